#pragma once
// The one main window of ZelkMsg: caption with the menus, the status bar and the message log. It owns the
// connection to one device at a time: connecting (by the chooser or by the automatic search), the 200 ms
// status tick that checks the device is still the same one and writes its identity report whenever the link
// comes back in sync, the error poll, and disconnecting. It turns device text messages into log rows and
// saves, copies and clears the log.
//
// The window is also the timer service (its ZKTimerServer base), so the object must exist before the server
// connection registers its heartbeat; its handle then becomes the target of every cross-thread message.
//
// Timers: 0 the device search (500 ms), 1 the status tick (200 ms, 500 ms while the device does not
// answer).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevMsgClient.h"
#include "Common/device/ZKDevice.h"
#include "Common/profile/ZKProfileLoader.h"
#include "Common/profile/ZKProfilePlus.h"
#include "Gui/ZKListContainer.h"
#include "Gui/ZKMenuBarHolder.h"
#include "Platform/CopyData.h"
#include "ZelkMsg/ZMsgAutoConnectOptions.h"
#include "ZelkMsg/ZMsgConnectionStatus.h"
#include "ZelkMsg/ZMsgDeviceSearch.h"
#include "ZelkMsg/ZMsgPrompt.h"
#include "ZelkMsg/ZMsgStatusBar.h"
#include "ZelkMsg/ZelkAppWnd.h"

class ZKGlobalOptions;
class ZKOptionsNotice;
class ZKServer;
class ZMsgRegistry;
struct ZKAccessOption;

// Who else hears what the window shows (the console front-end).
class ZMsgWndObserver {
public:
    virtual ~ZMsgWndObserver() = default;
    // Rows just appended to the log, one batch.
    virtual void RowsAppended(std::span<const std::string> rows) = 0;
    // The status bar's state text changed.
    virtual void StatusChanged(const std::string& text) = 0;
};

// Which device the automatic search may open: by its index in the server's list or by type and serial.
struct ZMsgDeviceSelector {
    std::optional<std::size_t> index;
    std::string typeName;
    std::uint32_t serialNumber = 0;

    // "N" or "TYPE#SERIAL"; nothing for any other text.
    static std::optional<ZMsgDeviceSelector> Parse(const std::string& text);
    // The devices of `list` it selects.
    std::vector<ZKDeviceListEntry> Select(const std::vector<ZKDeviceListEntry>& list) const;
};

// A menu item as the menus show it: its access letter, label, whether it can be chosen, and whether a
// separator line follows it.
struct ZMsgMenuItem {
    char key = 0;
    std::string label;
    bool enabled = true;
    bool separatorBelow = false;
    friend bool operator==(const ZMsgMenuItem&, const ZMsgMenuItem&) = default;
};

class ZelkMsgWnd final : public ZelkAppWnd,
                         public ZKMenuBarHolder<ZelkMsgWnd>,
                         public ZKTimerServer,
                         public ZKDevMsgClient {
public:
    static constexpr std::uintptr_t kSearchTimer = 0;
    static constexpr std::uintptr_t kStatusTimer = 1;
    static constexpr zk::UINT kSearchMs = 500;
    static constexpr zk::UINT kStatusMs = 200;
    static constexpr zk::UINT kStatusSlowMs = 500;
    static constexpr int kLogTab = 200;
    static constexpr std::uint32_t kOfflineLimit = 10;  // failed identifications tolerated with AutoOffLine
    static constexpr std::uint32_t kErrorPollEvery = 5;
    static constexpr std::uint16_t kProfileBoxState = 1300;
    static constexpr std::uint32_t kPurpose = 1;
    static constexpr std::chrono::milliseconds kLoaderStopLimit{5000};
    static constexpr int kAboutTab = 90;
    static constexpr char kMenuKeys[] = {'F', 'O', 'D'};

    struct Settings {
        ZMsgRegistry* registry = nullptr;           // the settings store (required)
        ZKGlobalOptions* displayOptions = nullptr;  // reloaded on the option change notices; may be null
        bool persistPlacement = true;               // read and store "WindowPlacement"
        bool searchForTheRun = false;               // search as if AutoConnect were set, without storing it
        std::optional<ZMsgDeviceSelector> onlyDevice;  // the search opens only this device
        bool copyDataEndpoint = true;                  // listen for the maker's copy-data commands
    };

    explicit ZelkMsgWnd(Settings settings);
    ~ZelkMsgWnd() override;

    // The server connection, before the window is created; it must outlive the window.
    void SetServer(const ZKServer* server) { server_ = server; }
    void SetPrompt(ZMsgPrompt prompt) { prompt_ = std::move(prompt); }
    void SetObserver(ZMsgWndObserver* observer) { observer_ = observer; }

    // --- state, for the status bar and for checks ---
    ZMsgConnectionStatus ConnectionStatus() const;
    // The state text alone (no server call).
    std::string StateText() const;
    const ZMsgAutoConnectOptions& AutoConnectOptions() const { return options_; }
    bool Searching() const { return searching_; }
    ZKDevice* Device() const { return device_.get(); }
    // The profile the device is opened with; filled once a background load has succeeded.
    const ZKProfilePlus& MainProfile() const { return profile_; }
    bool ProfileLoading() const { return loader_ != nullptr; }
    // Waits at most `limit` for a background profile load to end; the status tick still has to collect it.
    bool WaitForProfileLoad(std::chrono::milliseconds limit);
    std::uint32_t OfflineCounter() const { return offlineCounter_; }
    // The colour slot the "Device" menu title flashes in, or nothing.
    std::optional<int> DeviceTitleFlash() const { return deviceTitleFlash_; }
    // The title letter of the menu opened last by its hot letter (0 for none).
    char OpenedMenu() const { return openedMenu_; }
    std::vector<std::string> LogRows() const;
    ZKListContainer& Log() { return log_; }
    ZMsgStatusBar& StatusBar() { return statusBar_; }

    // --- menus: items built afresh when a menu opens, chosen by access letter ---
    std::vector<ZMsgMenuItem> MenuItems(char menu) const;
    // Carries out an item of a menu when it is enabled; false otherwise.
    bool ChooseMenuItem(char menu, char item);

    // The identity (root id, user id) the device is expected to answer as; 0 for any.
    void SetExpectedIdentity(std::uint16_t rootId, std::uint16_t userId) {
        expectedRootId_ = rootId;
        expectedUserId_ = userId;
    }

    // --- commands ---
    // Opens a device with an access description; false (nothing shown) when it cannot be opened.
    bool OpenDevice(const ZKDeviceListEntry& entry, const ZKDeviceAccess& access);
    // After any connect: profile load for a device with a calibration, message client, status tick.
    void RunConnectedSteps();
    void Disconnect();
    void ToggleSearching();
    void SaveLog();
    void SaveLogTo();
    // Writes the log to `path`, asking first when the file exists; confirms with a box. False when nothing
    // was written.
    bool WriteLogTo(const std::string& path);
    void CopyToClipboard();
    void ClearLog();
    void ShowAbout();
    std::string AboutText() const;
    // A message box through the installed prompt (no prompt: OK, or No).
    ZMsgAnswer Ask(const std::string& text, ZMsgButtons buttons, int tabStop = 0);
    // The manual connect of the Device menu: the chooser, then the device opened as chosen.
    void ManualConnect();
    // The auto-connect options dialog; after OK the options are taken over and stored.
    void EditAutoConnectOptions();
    // The global options dialog (with display options only); what it stores is announced by notices.
    void EditGlobalOptions();
    // The error state dialog over the window's device and profile.
    void ShowErrorStates();
    // The rows of a new device message batch, appended and shown.
    void ReceiveMessages(const std::vector<std::string>& texts) override;

    // --- ticks, also driven directly by tests ---
    void StatusTick();
    void SearchTick();

    // Keeps a dragged edge from making the window smaller than 640 × 480.
    static void ApplyMinimumSize(int edge, zk::Rect& rect);

protected:
    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    zk::LRESULT OnCreate() override;
    void Layout(int width, int height) override;
    bool OnCopyDataCommand(std::uint32_t command, std::span<const std::byte> argument) override;

private:
    // Appends rows to the log, shows its end and tells the observer.
    void AppendRows(std::vector<std::string> rows);
    void AppendIdentityReport(const ZKDeviceIdentity& identity);
    void StartSearching();
    void ErrorPoll();
    // The status tick's identity check once the device answered; false when the device was dropped.
    bool CheckSameDevice(const ZKDeviceIdentity& identity);
    // Starts the background load of the device's profile when an image can be had.
    void StartProfileLoad();
    // The image of the device's profile: the server's stored one unless it is missing or older than the
    // device's, else the device's own, which is then handed to the server for storing.
    bool ObtainProfileImage(std::vector<std::uint8_t>& image);
    // Once the loader has ended: a loaded profile becomes the main one, with the device's features and
    // renaming calibrations, and the item table is rebuilt.
    void CollectLoadedProfile();
    void MarkInSyncWithRebuild();
    // Opens the first access option of the found devices; true when a device was opened.
    bool OpenFirstOption(const std::vector<ZKDeviceListEntry>& devices);
    void OnKeyDown(int vk);
    // Opens the menu with that title letter.
    void OpenMenu(char menu);
    // The menus' operations: the items of a menu as popup rows, and the action on the chosen row.
    void FillMenu(char menu, ZKListBoxContents& items);
    void FillFile(ZKListBoxContents& items, zk::DWORD) { FillMenu('F', items); }
    void FillOptions(ZKListBoxContents& items, zk::DWORD) { FillMenu('O', items); }
    void FillDevice(ZKListBoxContents& items, zk::DWORD) { FillMenu('D', items); }
    const Entry* ChooseFromMenu(ZKListBoxContents& items, int result, const Entry& entry);
    void CreateMenus();
    // Whether the main profile holds both error databases (needed by the error poll and "Errors").
    bool ProfileHasErrorDatabases() const;
    void NoteStatus();
    std::string WorkingDirectory() const;

    Settings settings_;
    const ZKServer* server_ = nullptr;
    ZMsgPrompt prompt_;
    ZMsgWndObserver* observer_ = nullptr;

    ZKMenuBar menuBar_;
    ZMsgStatusBar statusBar_;
    ZKListContainer log_{kLogTab};
    // The identity the device is expected to be opened as, chosen at connect time.
    std::uint16_t expectedRootId_ = 0;
    std::uint16_t expectedUserId_ = 0;
    ZKProfilePlus profile_;
    std::vector<std::uint16_t> features_;
    std::unique_ptr<ZKDevice> device_;
    std::unique_ptr<ZKProfileLoader> loader_;
    ZMsgAutoConnectOptions options_;
    bool searching_ = false;
    std::uint32_t errorPollCounter_ = 0;
    std::uint32_t offlineCounter_ = 0;
    ZMsgDeviceSearch search_;
    std::optional<int> deviceTitleFlash_;
    const Entry* deviceMenu_ = nullptr;
    char openedMenu_ = 0;
    std::string lastStateText_;
    zk::CopyDataEndpoint endpoint_;
    // Announces the display options written here to this window and the maker's other programs.
    std::unique_ptr<ZKOptionsNotice> notice_;
};
