// The object stream of a profile image, read directly (behind the cipher and zlib): any bytes either load
// into a profile or are refused with one of the reader's texts; a loaded profile writes a stream that loads
// again.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Common/MemFile.h"
#include "Common/profile/ZPImageStream.h"
#include "Common/profile/ZPProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> stream(data, size);
    ZPProfile profile;
    profile.SetConditionChecker({});
    MemFile tail;
    std::string error;
    if (!ZPImageStream::Read(stream, profile, &tail, {}, error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    const auto tailBytes = tail.Bytes();
    const auto written = ZPImageStream::Write(profile, profile.MainVersion(), tailBytes);
    ZPProfile again;
    again.SetConditionChecker({});
    if (!ZPImageStream::Read(written, again, nullptr, {}, error) || again.Dump() != profile.Dump())
        __builtin_trap();
    return 0;
}
