#pragma once
// One device the server can reach, as the device service sees it. The simulated devices of a scenario are
// one kind (ZelkNetSimDevice); devices behind real links (serial ports, TCP line streams) will be others.
//
// Every operation returns an HRESULT (negative = failed) and fills `code` with the device's result code.
// Requests are checked for shape (counts, lengths) by the service before they get here.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Common/device/ZKDeviceRecords.h"
#include "Common/device/ZKNetCodes.h"

struct ZelkNetResult {
    std::int32_t hresult = zknet::kS_OK;
    std::uint16_t code = zknet::kResultOk;

    static ZelkNetResult Ok() { return {}; }
    static ZelkNetResult Code(std::uint16_t code) { return {zknet::kS_OK, code}; }
    static ZelkNetResult Failed(std::int32_t hresult) { return {hresult, 0}; }
    bool operator==(const ZelkNetResult&) const = default;
};

class ZelkNetDevice {
public:
    virtual ~ZelkNetDevice() = default;

    // The entry of the server's device list (address, basic identity, description).
    virtual ZKDeviceListEntry ListEntry() const = 0;
    // Whether the device can be reached now (listed, opened, answers calls).
    virtual bool Reachable() const = 0;

    virtual ZelkNetResult Identify(ZKDeviceIdentity& identity) = 0;
    // The next pending message; an empty text when none is pending.
    virtual ZelkNetResult NextMessage(std::string& text) = 0;
    virtual ZelkNetResult ReadStore(std::uint32_t address, std::uint32_t length, ZKBytes& bytes) = 0;
    virtual ZelkNetResult ReadMonitorValues(std::uint32_t key, std::span<const std::uint16_t> items,
                                            std::vector<std::uint32_t>& values) = 0;
    // 12 bytes per id: active bits, stored bits, count (u32 each, little-endian).
    virtual ZelkNetResult ReadErrorStates(std::uint32_t key, std::span<const std::uint16_t> ids,
                                          ZKBytes& records) = 0;
    virtual ZelkNetResult ClearErrors(std::uint32_t key) = 0;
    virtual ZelkNetResult GetProfileLocation(std::uint32_t key, ZKProfileLocation& location) = 0;
    virtual ZelkNetResult GetFeatures(std::uint32_t key,
                                      std::array<std::uint16_t, zknet::kFeatureCount>& ids) = 0;
    virtual ZelkNetResult Ping() = 0;
    virtual ZelkNetResult ReadItemRights(std::uint32_t key, std::uint16_t first, std::uint16_t count,
                                         ZKBytes& rights) = 0;
    // At most 512 bytes of a calibration section from `offset`.
    virtual ZelkNetResult ReadCalibration(std::uint32_t key, std::uint16_t section, std::uint16_t offset,
                                          std::uint16_t length, ZKBytes& bytes) = 0;

    // Lets time pass: `nowMs` counts from the server's start. Called regularly by the server.
    virtual void Tick(std::uint64_t nowMs) = 0;
};
