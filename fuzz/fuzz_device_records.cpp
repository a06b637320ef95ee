// Device records from the server: any bytes decode or are refused, and whatever decodes survives being
// encoded and decoded again unchanged (text after a NUL may be lost; the decoded values may not).
#include <cstddef>
#include <cstdint>
#include <span>

#include "Common/device/ZKDeviceRecords.h"

namespace {

void Identity(std::span<const std::uint8_t> bytes) {
    const auto identity = ZKDeviceIdentity::Decode(bytes);
    if (!identity) return;
    const ZKBytes again = identity->Encode(bytes.size() == ZKDeviceIdentity::kExtendedSize);
    if (again.size() != bytes.size() || ZKDeviceIdentity::Decode(again) != identity) __builtin_trap();
}

void List(std::span<const std::uint8_t> bytes) {
    const auto entries = ZKDeviceListEntry::DecodeList(bytes);
    if (!entries) return;
    ZKBytes again;
    for (const ZKDeviceListEntry& entry : *entries)
        entry.AppendTo(again);
    if (again.size() != bytes.size() || ZKDeviceListEntry::DecodeList(again) != entries) __builtin_trap();
}

void Location(std::span<const std::uint8_t> bytes) {
    const auto location = ZKProfileLocation::Decode(bytes);
    if (location && ZKProfileLocation::Decode(location->Encode()) != location) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    Identity(bytes);
    List(bytes);
    Location(bytes);
    return 0;
}
