#pragma once
// One device opened through the device server: its list entry and identity, the access it was opened under,
// its link state, the server's interfaces for it (main and groups), the basic operations the program needs
// of it (identify, read the profile location and the device store, read the next text message, keep the
// link alive) and its data operations (the stored profile, error states and their summary, features, item
// rights, renaming calibrations; ZKDeviceData.cpp). Every per-call operation returns true on success; a
// failing server call clears the connected bit and returns false, never throws. Only Open (and the item
// table rebuild of MarkInSync) throw plain text exceptions (std::runtime_error), which their callers catch.
//
// Threads: the owner's calls and the link check tick (timer service) run on the GUI thread; the link check's
// pings run on a thread of their own (ZKBackgroundCheck), so a hung server never holds the GUI thread; a
// failed check reports the server lost (ZKServer::ReportLost), after which every call fails at once.
// NextMessage, ReadMonitorValues and the item table queries also serve the device's message worker on its
// own thread. The link state and the item table each lock for a single access, never across a server call;
// the server interfaces are set by Open and never replaced.
//
// The device is also the data source of its message worker (ZKMonItemMsgServer, the second base): Profile,
// IsConnected, IsInSync, PositionOf, ConvertValue, ItemCount, ReadMonitorValues, NextMessage and
// HasProfileItem serve it. Open starts the worker as its last step; Destroy (and the destructor) stop it
// before anything of the device goes. The worker posts its batches to Hooks::mainWindow.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Common/ZKTimerClient.h"
#include "Common/device/IZKDevice.h"
#include "Common/device/ZKBackgroundCheck.h"
#include "Common/device/ZKDeviceAccess.h"
#include "Common/device/ZKDeviceItemTable.h"
#include "Common/device/ZKDeviceRecords.h"
#include "Common/device/ZKLinkState.h"
#include "Common/device/ZKMonItemMsgServer.h"
#include "Platform/WindowTypes.h"

class ZKServer;
class ZPProfile;

// Whether a store read needs the connected bit first.
enum class ZKStoreRead {
    Always,
    WhenConnected,
};

// Whether marking in sync rebuilds the item table from the profile.
enum class ZKItemTable {
    Keep,
    Rebuild,
};

class ZKDevice final : public ZKTimerClient, public ZKMonItemMsgServer {
public:
    static constexpr std::uint32_t kLinkCheckMs = 1000;
    static constexpr std::uint32_t kMaxPurpose = 7;
    static constexpr std::uint32_t kProfileHeaderSize = 64;
    static constexpr std::uint32_t kMaxProfileSize = 0x400000;
    static constexpr std::size_t kGroupSlots = 7;  // the last one is never fetched
    static constexpr std::uint16_t kBoxStateMainCode = 10000;

    // Error summary codes: colour slots of the colour scheme.
    static constexpr std::uint32_t kSummaryNoError = 35;
    static constexpr std::uint32_t kSummaryStoredErrors = 37;
    static constexpr std::uint32_t kSummaryActiveErrors = 38;
    // The rights byte of every item where the server or the profile has no item rights.
    static constexpr std::uint8_t kAllRights = 0x0F;

    // What the device needs of its owner besides the server and the profile.
    struct Hooks {
        // The receiver of the worker's WMU_DEV_TEXT and WMU_MON_VALUES.
        zk::HWND mainWindow;
        // The profile's items, in list order, for the item table. Without it, ZKDeviceItemTable::ItemsOf.
        std::function<std::vector<ZKDeviceItemTable::Item>(const ZPProfile&)> items;
        // The two words passed with the fetch of a gated group interface; (0, 0) without it.
        std::function<std::pair<std::uint16_t, std::uint16_t>(const ZPProfile&)> groupWords;
        // The profile side of the renaming calibrations: applying the bytes read (for the select renaming
        // calibration false means they do not fit the profile) and the size of the select renaming
        // calibration (nothing: it cannot be computed). Without them the bytes are read and handed out but
        // not applied, and a profile with select renaming groups fails with "could not calc select renaming
        // cal size".
        std::function<void(std::span<const std::uint8_t>)> applyRenaming;
        std::function<std::optional<std::uint32_t>()> selectRenamingSize;
        std::function<bool(std::span<const std::uint8_t>)> applySelectRenaming;
    };

    // Opens the device of `entry` through `server` for `purpose` (0..7): registers the link check with the
    // timer service (which must be running) on servers of 1.5 or later, opens the main interface, reads the
    // profile location (or its fallback from the store) and fetches the group interfaces the purpose asks
    // for. Throws "no identify" when the device cannot be opened, "unknown purpose" for a purpose above 7,
    // and "GetCalibrationGroup", "GetCalibrationProgrammingGroup", "GetLoggingSetupGroup" or
    // "LoggingData_GetGroup" when a required group cannot be had. `server` and `profile` must outlive the
    // device; the profile may be null.
    static std::unique_ptr<ZKDevice> Open(const ZKServer& server, const ZKDeviceListEntry& entry,
                                          const ZPProfile* profile, std::uint32_t purpose,
                                          const ZKDeviceAccess& access, Hooks hooks = {});
    // Empties the owner's pointer first, then stops and deletes the device. GUI thread.
    static void Destroy(std::unique_ptr<ZKDevice>& device);

    ~ZKDevice() override;
    ZKDevice(const ZKDevice&) = delete;
    ZKDevice& operator=(const ZKDevice&) = delete;

    // --- identity and profile location (GUI thread) ---
    bool Identify(ZKDeviceIdentity& identity);
    // The extended identity on servers of 2.10 or later, else the basic one.
    bool IdentifyBest(ZKDeviceIdentity& identity);
    // IdentifyBest into the stored list entry's identity (and its key).
    bool RefreshIdentity();
    // The stored identity, refreshed in place; the key follows it.
    const ZKDeviceIdentity& Identity() const { return entry_.identity; }
    void SetIdentity(const ZKDeviceIdentity& identity);
    // The identity key alone (the u32 at identity offset 0).
    void SetKey(std::uint32_t key);
    bool ReadProfileLocation(ZKProfileLocation& location);
    // The location from the profile header at store address 0; when the header cannot be read or is bad,
    // address 0, size 64, header word 0. Always succeeds and sets the connected bit.
    bool ReadProfileHeader(ZKProfileLocation& location);

    // `length` bytes of the device store from `address`, exactly. Result code 46 (no data) fails without
    // touching the link state; so does a reply of the wrong size.
    bool ReadStore(std::uint32_t address, std::uint32_t length, std::vector<std::uint8_t>& data,
                   ZKStoreRead when);
    // The next pending text message; false also when none is pending.
    bool NextMessage(std::string& text, ZKOnFailure onFailure) override;
    // One raw word per item id (at most 256); only while the link is fully up.
    bool ReadMonitorValues(const std::vector<std::uint16_t>& itemIds, std::vector<std::uint32_t>& values,
                           ZKOnFailure onFailure) override;

    // The link check: pings the main interface and keeps every fetched group alive; false when any fails.
    // Blocks for up to a call deadline per interface.
    bool CheckLink();
    // Timer service tick (client id 0): collects the answer of the link check started by the previous tick
    // (a failure reports the server lost) and starts the next unless one is in flight. Nothing once the
    // server is lost.
    void Tick(std::uint32_t id, std::uint32_t param) override;
    // Waits until no link check is in flight; its answer is collected by the next tick.
    void WaitForLinkCheck() { linkCheck_.WaitIdle(); }

    // --- data operations (GUI thread) ---
    // The profile image kept in the device store, raw, when its header is good and names the device's main
    // code version (or any version). On a version mismatch the user is warned; when the image is unusable
    // and `mayDownload` is set, the user is asked whether to download it. There is no download service, so
    // a Yes ends with the message that the update could not be downloaded. Questions go through ZKUserPrompt.
    bool GetStoredProfile(std::vector<std::uint8_t>& image, bool mayDownload);
    // One state per error id (at most 25); only while connected and the stored identity's box state is
    // MainCode (10000), otherwise false without a call.
    bool ReadErrorStates(const std::vector<std::uint16_t>& errorIds, std::vector<ZKErrorState>& states);
    // The states of any number of error ids, read in batches of 25 in order (the last batch takes the rest);
    // false, with no states, when a batch fails.
    bool ReadAllErrorStates(const std::vector<std::uint16_t>& errorIds, std::vector<ZKErrorState>& states);
    // Clears the device's stored errors; only while connected.
    bool ClearErrors();
    // The error state of every source of the profile's local error database condensed into `code`:
    // kSummaryNoError, kSummaryStoredErrors or kSummaryActiveErrors. Without both error databases `code` is
    // left alone. A failed read sets kSummaryActiveErrors and returns false.
    bool ErrorSummary(std::uint32_t& code);
    // Adds the device's feature ids (not 0, not yet present) to `features`, in the device's order. Needs the
    // connected bit and a server of 1.3 or later. On failure `failure` (when given) gets the reason.
    bool ReadFeatures(std::vector<std::uint16_t>& features, std::string* failure = nullptr);
    // The rights byte of a profile item for the menu access check; kAllRights on servers before 2.4 and for
    // profiles without item rights. False for an item not in the item table.
    bool ReadItemRights(std::uint16_t itemId, std::uint8_t& rights);
    // Reads the renaming calibration (section 1) and, when the profile has select renaming groups, the
    // select renaming calibration (section 3) in pieces of at most 512 bytes, copies each to its buffer
    // when given and applies it through the hooks. On failure `failure` (when given) gets the reason.
    bool ReadRenamingCalibration(std::vector<std::uint8_t>* renaming,
                                 std::vector<std::uint8_t>* selectRenaming, std::string* failure = nullptr);

    // --- link state (any thread) ---
    bool IsConnected() const override { return link_.IsConnected(); }
    bool IsInSync() const override { return link_.IsInSync(); }
    bool IsFullyUp() const { return link_.IsFullyUp(); }
    // Sets the in-sync bit; with Rebuild also rebuilds the item table, which throws "no items" when the
    // device has no profile or the profile no items (the bit stays set).
    void MarkInSync(ZKItemTable table);
    // Clears the whole link state.
    void MarkLost() { link_.Clear(); }

    // --- item table (any thread) ---
    std::size_t ItemCount() const override { return items_.Count(); }
    bool PositionOf(std::uint16_t id, std::uint16_t& position) const override {
        return items_.PositionOf(id, position);
    }
    bool ConvertValue(std::uint16_t id, std::uint32_t raw, double& value) const override {
        return items_.Convert(id, raw, value);
    }
    // Whether the profile's item list (through Hooks::items) holds the item.
    bool HasProfileItem(std::uint16_t id) const override;

    // --- what the device was opened with ---
    const ZKDeviceListEntry& Entry() const { return entry_; }
    std::uint32_t Key() const { return key_.load(); }
    std::uint32_t Purpose() const { return purpose_; }
    const ZKDeviceAccess& Access() const { return access_; }
    const ZPProfile* Profile() const override { return profile_; }
    const ZKProfileLocation& ProfileLocation() const { return location_; }
    void SetProfileLocation(const ZKProfileLocation& location) { location_ = location; }
    // The profile revision in the header of the device's profile; 0 without a profile or header.
    std::uint16_t ProfileRevision() const;
    bool HasGroup(ZKDeviceGroup group) const { return groups_[static_cast<std::size_t>(group)] != nullptr; }

private:
    ZKDevice(const ZKServer& server, const ZKDeviceListEntry& entry, const ZPProfile* profile,
             std::uint32_t purpose, const ZKDeviceAccess& access, Hooks hooks);

    // Clears the connected bit unless the call succeeded with result code 0. Take the HRESULT in its own
    // statement first: `result` is an out-parameter of the same call.
    bool Succeeded(std::int32_t hresult, std::uint16_t result);
    // Fetches one group interface; false when it is refused or the server has none.
    bool FetchGroup(ZKDeviceGroup group);
    void FetchGroups();
    // `length` bytes of calibration section `section` in pieces of at most 512 bytes; throws the reason.
    std::vector<std::uint8_t> ReadCalibrationSection(std::uint16_t section, std::uint32_t length);
    bool HasItemRights() const;
    std::vector<ZKDeviceItemTable::Item> ProfileItems() const;

    const ZKServer& server_;
    std::unique_ptr<IZKDevice> main_;
    std::array<std::unique_ptr<IZKDeviceGroup>, kGroupSlots> groups_;
    ZKLinkState link_;
    ZKProfileLocation location_;
    ZKDeviceListEntry entry_;
    std::atomic<std::uint32_t> key_;
    std::uint32_t purpose_;
    ZKDeviceAccess access_;
    const ZPProfile* profile_;
    ZKDeviceItemTable items_;
    Hooks hooks_;
    // Last: its thread ends before the interfaces go.
    ZKBackgroundCheck linkCheck_;
};
