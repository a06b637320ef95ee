#pragma once
// Choosing the device to open and the identity to open it as: the server's device list is fetched on a
// thread under a please-wait box ("Searching for devices...."), each device's access options become rows
// ("<type>#<serial> <major>-<minor>-<build> <identity or description>[ : <reason>]"), and the user picks
// one in the dialog titled "How do you wish to access this device" (ZCChooseDeviceAccessDialog).
//
// A failed search is told in a box with "Rescan" (R), "Filter" (F) and "Cancel" (Escape, Enter): Rescan
// searches again, Filter edits the device type filter (ZCDevFilterOptionsDialog) and searches again after
// OK, while Cancel, also the filter dialog's, gives up. The filter lasts for one chooser: rows of other
// types stay in the list, disabled and marked "{Filtered} ". With "AutoConnectAsRoot" set and exactly one
// device, its first root option whose required areas are all granted is taken without showing the dialog.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/device/ZKAccessOptions.h"
#include "Platform/WindowTypes.h"

class ZKServer;
class ZKRegistry;

struct ZMsgDeviceChoice {
    ZKDeviceListEntry entry;
    ZKDeviceAccess access;
    std::uint16_t rootId = 0;
    std::uint16_t userId = 0;
};

class ZMsgDeviceChooser {
public:
    static constexpr const char* kTitle = "How do you wish to access this device";
    static constexpr const char* kSearching = "Searching for devices....";
    static constexpr const char* kNoList = "Could not get device list from ZelkNetServer";
    static constexpr const char* kNoDevices = "There are no devices available";
    static constexpr const char* kNoAccess = "Access denied to Devices!";

    ZMsgDeviceChooser(const ZKServer& server, ZKRegistry& registry, zk::HWND owner);

    // Runs the choice for devices of box state `threshold` and up with the caller's access requirements.
    std::optional<ZMsgDeviceChoice> Choose(std::uint16_t threshold, const ZKDeviceAccess& caller);

    // One search under a please-wait box owned by `owner`: the device list, then the options; the failure
    // text when either gives nothing.
    std::string Search(std::uint16_t threshold, zk::HWND owner);
    // The option AutoConnectAsRoot takes: with exactly one device, its first option with secondary id 0
    // whose required areas are all granted.
    std::optional<std::size_t> RootOption(const ZKDeviceAccess& caller) const;

    const ZKServer& Server() const { return server_; }
    const std::vector<ZKAccessOption>& Options() const { return options_; }
    // The device types that can be chosen; empty for all.
    const std::vector<std::string>& Filter() const { return filter_; }

private:
    // What the user answered to a failed search.
    enum class FailureAnswer { Rescan, Filter, Cancel };
    FailureAnswer AskAfterFailure(const std::string& failure) const;
    // The filter dialog; false after its Cancel.
    bool EditFilter();
    ZMsgDeviceChoice ChoiceOf(const ZKAccessOption& option, const ZKDeviceAccess& caller) const;

    const ZKServer& server_;
    ZKRegistry& registry_;
    zk::HWND owner_;
    std::vector<ZKDeviceListEntry> devices_;
    std::vector<ZKAccessOption> options_;  // point into devices_
    std::vector<std::string> filter_;
};
