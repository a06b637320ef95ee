// The object-stream reader fed directly, as the loader hands it the inflated payload: any bytes load or fail,
// never crash or read out of bounds. A stream that loads is written again and must load to the same dump.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Common/profile/ZPImageStream.h"
#include "Common/profile/ZPProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ZPProfile profile;
    std::string error;
    if (!ZPImageStream::Read(std::span(data, size), profile, nullptr, {}, error)) return 0;
    const std::string dump = profile.Dump();
    const auto again = ZPImageStream::Write(profile, profile.MainVersion());
    ZPProfile second;
    if (!ZPImageStream::Read(again, second, nullptr, {}, error) || second.Dump() != dump) __builtin_trap();
    return 0;
}
