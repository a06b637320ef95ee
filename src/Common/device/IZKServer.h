#pragma once
// The device server as the program sees it: the operations of zelknetserver's server interface that the
// program uses, declared in the order of their slots in that interface (the slot is given with each).
//
// Every operation returns an HRESULT (negative = failure; zknet::Failed) and hands its results out through
// its reference parameters, which are only meaningful when the call succeeded. A call that the server does
// not answer in time fails like any other. Text is 8-bit UTF-8; byte blocks and word lists are vectors, and a
// successful call always delivers its block or list (possibly empty).
//
// Implementations must allow calls from several threads at once (the GUI thread's heartbeat and the device
// search run side by side).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Common/device/IZKDevice.h"

class IZKServer {
public:
    virtual ~IZKServer() = default;

    // Slot 5: a list of u16 triples for five selectors (root id, user id, two unused, access area).
    virtual std::int32_t GetAccessList(std::uint16_t selector1, std::uint16_t selector2,
                                       std::uint16_t selector3, std::uint16_t selector4,
                                       std::uint16_t selector5, std::vector<std::uint16_t>& words) = 0;
    // Slot 9: the text of a server or device error code.
    virtual std::int32_t GetErrorText(std::uint16_t code, std::string& text) = 0;
    // Slot 10: the display name of an identity; empty when the server has none.
    virtual std::int32_t GetIdentityName(std::uint16_t identity, std::uint16_t subIdentity,
                                         std::string& name) = 0;
    // Slot 11: the server keeps a whole profile image in its profile store.
    virtual std::int32_t StoreProfile(const std::vector<std::uint8_t>& profile) = 0;
    // Slot 12: the stored profile for a device type and main code version.
    virtual std::int32_t GetStoredProfile(const std::string& typeName, std::uint16_t major,
                                          std::uint16_t minor, std::uint16_t build,
                                          std::vector<std::uint8_t>& profile) = 0;
    // Slot 13: every reachable device as consecutive 1256-byte list entries.
    virtual std::int32_t GetDeviceList(std::vector<std::uint8_t>& list) = 0;
    // Slot 14: the per-device interface of the device at the address; null when it cannot be opened. The
    // device may outlive this object.
    virtual std::int32_t OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                                    std::unique_ptr<IZKDevice>& device) = 0;
    // Slot 15.
    virtual std::int32_t GetVersion(std::uint16_t& major, std::uint16_t& minor) = 0;
    // Slot 19: succeeds while the server is alive.
    virtual std::int32_t Ping() = 0;
    // Slot 20: servers of 1.7.0 or later.
    virtual std::int32_t SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) = 0;
    // Slot 23: servers of 2.4.0 or later; status 0 means the rights mask is valid.
    virtual std::int32_t GetAccessRights(std::uint16_t identity, std::uint16_t subIdentity,
                                         std::uint8_t& rights, std::uint16_t& status) = 0;
    // Slot 27: the third part of the version; servers of 2.7 or later.
    virtual std::int32_t GetBuildNumber(std::uint16_t& build) = 0;
};
