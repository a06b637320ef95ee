#include "Common/ZKLimits.h"

#include <cstdint>
#include <cstring>

namespace {

bool ReadDouble(ByteFile& file, double& value) {
    unsigned char bytes[8];
    if (!file.Read(bytes, sizeof bytes)) return false;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | bytes[i];
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool WriteDouble(ByteFile& file, double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    unsigned char bytes[8];
    for (auto& b : bytes) {
        b = static_cast<unsigned char>(bits & 0xFF);
        bits >>= 8;
    }
    return file.Write(bytes, sizeof bytes);
}

}  // namespace

bool ZKLimits::Read(ByteFile& file) {
    unsigned char flag = 0;
    if (!file.Read(&flag, 1) || flag != 1) return false;
    double l = 0.0, h = 0.0;
    if (!ReadDouble(file, l) || !ReadDouble(file, h)) return false;
    low = l;
    high = h;
    return true;
}

bool ZKLimits::Write(ByteFile& file) const {
    const unsigned char flag = 1;
    return file.Write(&flag, 1) && WriteDouble(file, low) && WriteDouble(file, high);
}
