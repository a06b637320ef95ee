#pragma once
// What the status bar shows of the main window's connection, computed by the main window on every paint.

#include <cstdint>
#include <string>
#include <vector>

struct ZMsgConnectionStatus {
    // 0 offline (no device), 1 disconnected (link not connected), 2 connected but not in sync, 3 connected.
    int state = 0;
    bool searching = false;  // looking for a device by itself
    bool hasDevice = false;
    // The rest is shown only with a device.
    std::string identityName;  // the server's name of the expected identity, or "Unknown"
    std::string typeName;
    std::uint32_t serialNumber = 0;
    std::uint16_t mainMajor = 0;
    std::uint16_t mainMinor = 0;
    std::uint16_t mainBuild = 0;
    std::uint16_t profileRevision = 0;  // the main profile's header revision word

    // "OFFLINE Searching....", "OFFLINE", "DISCONNECTED", "CONNECTED (not in sync)" or "CONNECTED".
    std::string StateText() const;
    // The texts left of the state with a device: "ID(<name>)", then, unless offline,
    // "Dev(<type> #<serial, at least four digits>)" and "SwVer(<major>.<minor>.<build>/<revision>)".
    std::vector<std::string> DeviceTexts() const;

    friend bool operator==(const ZMsgConnectionStatus&, const ZMsgConnectionStatus&) = default;
};
