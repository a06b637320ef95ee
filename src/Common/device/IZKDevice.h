#pragma once
// One opened device as the program sees it: the operations of zelknetserver's per-device interface that the
// program uses, declared in the order of their slots in that interface (the slot is given with each).
//
// Every operation returns an HRESULT (negative = failure; zknet::Failed) and, except Ping, a 16-bit device
// result code through its last argument (0 = success; zknet::kResultNoData = the data is not available). The
// other out-parameters are only meaningful when both say success. `key` is the identity key, the u32 at
// offset 0 of the device's identity.
//
// Implementations must allow calls from several threads at once (the device worker and the GUI thread).

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Common/device/ZKDeviceRecords.h"
#include "Common/device/ZKNetCodes.h"

// The state of one error source as the device reports it.
struct ZKErrorState {
    std::uint32_t active = 0;  // bit word of active causes
    std::uint32_t stored = 0;  // bit word of stored causes
    std::uint32_t count = 0;

    bool operator==(const ZKErrorState&) const = default;
};

// The group interfaces a device hands out besides its main interface, in the order the device keeps them.
enum class ZKDeviceGroup {
    Calibration,
    CalibrationProgramming,
    LoggingSetup,
    LoggingData,
    Further1,  // servers of 2.12 or later
    Further2,  // servers of 2.12 or later
};

// One group interface. The program only keeps it alive; its other operations are not used.
class IZKDeviceGroup {
public:
    virtual ~IZKDeviceGroup() = default;
    // The group's argument-less keep-alive; a failure means the link is lost.
    virtual std::int32_t KeepAlive() = 0;
};

class IZKDevice {
public:
    static constexpr std::size_t kFeatureCount = 64;
    using Features = std::array<std::uint16_t, kFeatureCount>;

    virtual ~IZKDevice() = default;

    // Slot 3: the identity in its basic form (the extended fields stay 0).
    virtual std::int32_t Identify(ZKDeviceIdentity& identity, std::uint16_t& result) = 0;
    // Slot 5: the next pending text message; empty when none is pending.
    virtual std::int32_t GetNextMessage(std::string& text, std::uint16_t& result) = 0;
    // Slot 6: `length` bytes of the device store from `address`.
    virtual std::int32_t ReadStore(std::uint32_t address, std::uint32_t length,
                                   std::vector<std::uint8_t>& data, std::uint16_t& result) = 0;
    // Slot 8: one raw value per item id (at most 256 ids).
    virtual std::int32_t ReadMonitorValues(std::uint32_t key, const std::vector<std::uint16_t>& itemIds,
                                           std::vector<std::uint32_t>& values, std::uint16_t& result) = 0;
    // Slot 38: one state per error id (at most 25 ids).
    virtual std::int32_t ReadErrorStates(std::uint32_t key, const std::vector<std::uint16_t>& errorIds,
                                         std::vector<ZKErrorState>& states, std::uint16_t& result) = 0;
    // Slot 39: clears the device's stored errors.
    virtual std::int32_t ClearErrors(std::uint32_t key, std::uint16_t& result) = 0;
    // Slot 40: where the device keeps its profile image.
    virtual std::int32_t GetProfileLocation(std::uint32_t key, ZKProfileLocation& location,
                                            std::uint16_t& result) = 0;
    // Slot 45: feature ids; entries of 0 are empty.
    virtual std::int32_t GetFeatures(std::uint32_t key, Features& features, std::uint16_t& result) = 0;
    // Slot 46: a failure means the link is lost.
    virtual std::int32_t Ping() = 0;
    // Slot 53: the rights bytes of `count` profile items from list position `firstItem`.
    virtual std::int32_t ReadItemRights(std::uint32_t key, std::uint16_t firstItem, std::uint16_t count,
                                        std::vector<std::uint8_t>& rights, std::uint16_t& result) = 0;
    // Slot 56: up to `length` (at most 512) bytes of a calibration section (1 = renaming, 3 = select
    // renaming) from `offset`; the count read is data.size().
    virtual std::int32_t ReadCalibration(std::uint32_t key, std::uint16_t section, std::uint16_t offset,
                                         std::uint16_t length, std::vector<std::uint8_t>& data,
                                         std::uint16_t& result) = 0;
    // Slot 60: the identity in its extended form; servers of 2.10 or later.
    virtual std::int32_t IdentifyEx(ZKDeviceIdentity& identity, std::uint16_t& result) = 0;

    // Slots 32, 30, 33, 34, 64 and 66 (one per group, in ZKDeviceGroup order): a group interface, fetched
    // with two words from the device's profile (0 for the groups that need none). A device that serves no
    // groups keeps this default, which fails with E_NOTIMPL.
    virtual std::int32_t GetGroup(ZKDeviceGroup group, std::uint16_t word1, std::uint16_t word2,
                                  std::unique_ptr<IZKDeviceGroup>& out) {
        (void)group;
        (void)word1;
        (void)word2;
        out.reset();
        return zknet::kE_NOTIMPL;
    }
};
