#pragma once
// The program's one connection to the device server: created once at start-up, version-checked, kept
// under a once-a-second heartbeat, and wrapping each server operation the program uses in a method that
// returns true on success and false (with its outputs empty) on any failure. Nothing here shows anything;
// callers decide what to tell the user.
//
// The heartbeat is driven by timer service ticks on the GUI thread, but its ping runs on a thread of its own
// (ZKBackgroundCheck): a tick only collects the previous answer and starts the next ping, so a server that
// hangs never holds the GUI thread, and at most one ping is in flight. The first failure is reported as a
// lost server, once; from then on the server stands behind a closed gate (ZKServerGate) and every call
// fails at once, on this object and on every device opened through it.
//
// Every other method may be called from any thread: the interface is made once at construction and never
// replaced, and IZKServer implementations take concurrent calls.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Common/ZKTimerClient.h"
#include "Common/device/IZKServer.h"
#include "Common/device/ZKBackgroundCheck.h"
#include "Common/device/ZKDeviceRecords.h"
#include "Common/device/ZKServerGate.h"
#include "Platform/WindowTypes.h"

// Posted to the main window when the server stops answering; both parameters 0.
constexpr zk::UINT WMU_SERVER_LOST = zk::WM_USER + 38;

// One entry of an access list: an identity pair and the access code the server gives it.
struct ZKAccessEntry {
    std::uint16_t identity = 0;
    std::uint16_t subIdentity = 0;
    std::uint16_t code = 0;

    bool operator==(const ZKAccessEntry&) const = default;
};

// Which triples of an access list to keep.
enum class ZKAccessFilter {
    All,
    RootsOnly,  // drop the triples whose second word (a user id) is not 0
};

// What the start-up check found.
enum class ZKServerStartup {
    Ok,
    CantStart,     // the server could not be created
    CantUse,       // it does not tell its version
    WrongVersion,  // its major version is not 2
};

class ZKServer final : public ZKTimerClient {
public:
    // Makes the server interface; null (or an exception) when the server cannot be reached or started.
    using Factory = std::function<std::unique_ptr<IZKServer>()>;
    // Tells the main window that the server is gone. Called on the GUI thread, once.
    using LostNotice = std::function<void()>;

    static constexpr std::uint32_t kHeartbeatMs = 1000;
    static constexpr std::uint16_t kLocalTextNoRootId = 10000;
    static constexpr std::uint16_t kLocalTextBoxState = 10001;
    static constexpr std::size_t kAccessTripleWords = 3;

    // Creates the interface (failure: std::runtime_error("BUGGER")), asks its version and, for servers of
    // 1.5 or later, registers the heartbeat with the timer service (client id 0), which must be running.
    // Without `onLost`, the lost server is posted as WMU_SERVER_LOST to the window given by SetMainWindow.
    explicit ZKServer(const Factory& create, LostNotice onLost = {});
    ~ZKServer() override;
    ZKServer(const ZKServer&) = delete;
    ZKServer& operator=(const ZKServer&) = delete;

    // Creates the server connection as program start-up does and checks it: created, tells its version,
    // major version 2. On Ok `server` holds the connection; otherwise it stays empty.
    static ZKServerStartup Start(const Factory& create, LostNotice onLost, std::unique_ptr<ZKServer>& server);
    // The message for a failed start ("Cant start ZelkNetServer", ...); empty for Ok.
    static std::string StartupText(ZKServerStartup result);

    // GUI thread: where a lost server is posted as WMU_SERVER_LOST.
    void SetMainWindow(zk::HWND window) { mainWindow_ = window; }

    // GUI thread: reports the server lost (the heartbeat's or a device link check's failure). Only the first
    // report tells the owner; it also closes the gate, so no call reaches the server any more. Posting to
    // a missing main window is an internal error.
    void ReportLost() const;
    bool IsLost() const { return closed_->load(); }

    // The version and build number are asked once per connection, at construction, and kept: a server does
    // not change its version while it lives, and a new server is a new ZKServer (the program restarts after
    // a lost one). So a version test costs no call, which matters when the server hangs: a status tick's
    // IdentifyBest then waits for one call deadline, not three. An answer that failed is asked again on
    // the next use. Once the server is lost both fail, as every call does.
    bool GetVersion(std::uint16_t& major, std::uint16_t& minor) const;
    // True when the server's version is at least (major, minor, build). Servers before 2.7 have no build
    // number: for them the same major and minor pass only when `build` is 0.
    bool VersionAtLeast(std::uint16_t major, std::uint16_t minor, std::uint16_t build) const;

    // The access list of five selectors, filtered, sorted by the identity name of each entry's pair (byte
    // order; entries whose name cannot be fetched keep their place relative to the others).
    bool GetAccessList(std::uint16_t selector1, std::uint16_t selector2, std::uint16_t selector3,
                       std::uint16_t selector4, std::uint16_t selector5, ZKAccessFilter filter,
                       std::vector<ZKAccessEntry>& list) const;
    // The text of an error code. 10000 and 10001 are answered here (10001 with the box state of `identity`
    // when given); other codes above 10001 have no text; the rest come from the server.
    bool ErrorText(std::uint16_t code, const ZKDeviceIdentity* identity, std::string& text) const;
    // The server's text of any code.
    bool ServerErrorText(std::uint16_t code, std::string& text) const;
    // The display name of an identity; false when the server has none (an empty name).
    bool IdentityName(std::uint16_t identity, std::uint16_t subIdentity, std::string& name) const;
    bool StoreProfile(std::span<const std::uint8_t> profile) const;
    bool GetStoredProfile(const std::string& typeName, std::uint16_t major, std::uint16_t minor,
                          std::uint16_t build, std::vector<std::uint8_t>& profile) const;
    // Every reachable device; false when the server's list is not a whole number of entries.
    bool GetDeviceList(std::vector<ZKDeviceListEntry>& list) const;
    bool OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                    std::unique_ptr<IZKDevice>& device) const;
    // Callers check VersionAtLeast(1, 7, 0) first.
    bool SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) const;
    // Servers of 2.4.0 or later; true when the server's answer is valid.
    bool AccessRights(std::uint16_t identity, std::uint16_t subIdentity, std::uint8_t& rights) const;

    // The heartbeat: collects the answer of the ping started by the previous tick (a failure reports the
    // server lost) and starts the next ping unless one is still in flight.
    void Tick(std::uint32_t id, std::uint32_t param) override;
    // Waits until no heartbeat ping is in flight; its answer is collected by the next tick.
    void WaitForHeartbeat() { heartbeat_.WaitIdle(); }

private:
    static bool HasBuildNumber(std::uint16_t major, std::uint16_t minor);
    bool GetBuildNumber(std::uint16_t& build) const;

    ZKGateState closed_ = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<IZKServer> server_;
    LostNotice onLost_;
    zk::HWND mainWindow_;
    // The cached answers; any thread may fill them, and every thread would fill in the same values.
    mutable std::atomic<std::uint32_t> version_{0};  // major << 16 | minor
    mutable std::atomic<bool> versionKnown_{false};
    mutable std::atomic<std::uint16_t> build_{0};
    mutable std::atomic<bool> buildKnown_{false};
    // Last: its thread ends before the interface goes.
    ZKBackgroundCheck heartbeat_;
};
