#include "Common/profile/ZPRecord.h"

#include <bit>

void ZPRecordWriter::U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value >> 8));
    U8(static_cast<std::uint8_t>(value));
}

void ZPRecordWriter::U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value >> 16));
    U16(static_cast<std::uint16_t>(value));
}

void ZPRecordWriter::I64(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    U32(static_cast<std::uint32_t>(bits >> 32));
    U32(static_cast<std::uint32_t>(bits));
}

void ZPRecordWriter::F64(double value) {
    I64(std::bit_cast<std::int64_t>(value));
}

void ZPRecordWriter::String(const std::string& text) {
    Count(text.size());
    out_.insert(out_.end(), text.begin(), text.end());
}

const std::uint8_t* ZPRecordReader::Take(std::size_t size) {
    if (failed_ || size > Remaining()) {
        failed_ = true;
        return nullptr;
    }
    const std::uint8_t* at = bytes_.data() + position_;
    position_ += size;
    return at;
}

std::uint8_t ZPRecordReader::U8() {
    const std::uint8_t* at = Take(1);
    return at ? at[0] : 0;
}

std::uint16_t ZPRecordReader::U16() {
    const std::uint8_t* at = Take(2);
    return at ? static_cast<std::uint16_t>((at[0] << 8) | at[1]) : 0;
}

std::uint32_t ZPRecordReader::U32() {
    const std::uint8_t* at = Take(4);
    if (!at) return 0;
    return (static_cast<std::uint32_t>(at[0]) << 24) | (static_cast<std::uint32_t>(at[1]) << 16) |
           (static_cast<std::uint32_t>(at[2]) << 8) | at[3];
}

std::int64_t ZPRecordReader::I64() {
    const std::uint64_t high = U32();
    const std::uint64_t low = U32();
    return static_cast<std::int64_t>((high << 32) | low);
}

double ZPRecordReader::F64() {
    return std::bit_cast<double>(I64());
}

bool ZPRecordReader::Bool() {
    const std::uint8_t value = U8();
    if (value > 1) failed_ = true;
    return value == 1;
}

std::string ZPRecordReader::String() {
    const std::size_t size = Count(1);
    const std::uint8_t* at = Take(size);
    return at ? std::string(reinterpret_cast<const char*>(at), size) : std::string();
}

std::size_t ZPRecordReader::Count(std::size_t minElementSize) {
    const std::size_t count = U32();
    if (failed_ || (minElementSize > 0 && count > Remaining() / minElementSize)) {
        failed_ = true;
        return 0;
    }
    return count;
}

std::span<const std::uint8_t> ZPRecordReader::Bytes(std::size_t size) {
    const std::uint8_t* at = Take(size);
    return at ? std::span<const std::uint8_t>(at, size) : std::span<const std::uint8_t>();
}
