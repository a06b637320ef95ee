#pragma once
// The access under which a device is opened: the identity pair and, per access area, the code the server
// gave and whether the area is required or merely wanted. Kept by value in the device; chosen by the
// device chooser.

#include <array>
#include <cstdint>

struct ZKDeviceAccess {
    static constexpr std::size_t kAreaCount = 14;
    static constexpr std::uint16_t kGranted = 0;
    static constexpr std::uint16_t kDefaultCode = 3000;  // not asked yet

    // Areas whose code gates a group interface of the device.
    static constexpr std::size_t kAreaCalibrationProgramming = 2;
    static constexpr std::size_t kAreaCalibration = 4;
    static constexpr std::size_t kAreaLoggingSetup = 5;

    std::uint16_t rootId = 0;  // 0 = none
    std::uint16_t userId = 0;  // 0 = none
    std::array<std::uint16_t, kAreaCount> codes = DefaultCodes();
    std::array<std::uint32_t, kAreaCount> required{};  // 0 or 1: the area must be granted
    std::array<std::uint32_t, kAreaCount> wanted{};    // 0 or 1: the area is reported when not granted

    bool Granted(std::size_t area) const { return area < kAreaCount && codes[area] == kGranted; }

    bool operator==(const ZKDeviceAccess&) const = default;

private:
    static constexpr std::array<std::uint16_t, kAreaCount> DefaultCodes() {
        std::array<std::uint16_t, kAreaCount> codes{};
        codes.fill(kDefaultCode);
        return codes;
    }
};
