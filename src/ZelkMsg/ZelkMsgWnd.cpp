#include "ZelkMsg/ZelkMsgWnd.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "Common/device/ZKAccessOptions.h"
#include "Common/device/ZKIdentityReport.h"
#include "Common/device/ZKServer.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPProfileHeader.h"
#include "Gui/ZKGDI.h"
#include "Gui/ZKGlobalOptions.h"
#include "Gui/ZKOptionsNotice.h"
#include "Platform/Clipboard.h"
#include "Platform/ZKAssert.h"
#include "ZelkMsg/ZMsgLogText.h"
#include "ZelkMsg/ZMsgRegistry.h"
#include "ZelkMsg/ZelkMsgVersion.h"

namespace {

constexpr int kStatusTop = 25;
constexpr int kStatusBottom = 51;
constexpr int kMargin = 5;
constexpr const char* kBuildDate = "Nov 17 2023";
constexpr std::size_t kTypeNameCompare = 32;

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool KeyDown(int vk) {
    return (zk::GetKeyState(vk) & 0x8000) != 0;
}

// Whether a profile image kept by the server may serve a device whose profile is at `location`: its header
// must be readable and its revision not older than the device's own profile (when the device has one).
bool StoredImageUsable(const std::vector<std::uint8_t>& image, const ZKProfileLocation& location) {
    if (image.size() < ZPImageIdentity::kHeaderSize) return false;
    const auto header = std::span(image).first(ZPImageIdentity::kHeaderSize);
    if (!ZPImageIdentity::HeaderFormatGood(header)) return false;
    return location.size == 0 || location.headerWord <= ZPImageIdentity::FromHeader(header).profileRevision;
}

}  // namespace

// --- device selector -------------------------------------------------------------------------------------

std::optional<ZMsgDeviceSelector> ZMsgDeviceSelector::Parse(const std::string& text) {
    const auto number = [](std::string_view digits, auto& value) {
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return !digits.empty() && error == std::errc() && end == digits.data() + digits.size();
    };
    ZMsgDeviceSelector selector;
    std::size_t index = 0;
    if (number(text, index)) {
        selector.index = index;
        return selector;
    }
    const auto hash = text.rfind('#');
    if (hash == std::string::npos || hash == 0) return std::nullopt;
    selector.typeName = text.substr(0, hash);
    if (!number(std::string_view(text).substr(hash + 1), selector.serialNumber)) return std::nullopt;
    return selector;
}

std::vector<ZKDeviceListEntry> ZMsgDeviceSelector::Select(const std::vector<ZKDeviceListEntry>& list) const {
    std::vector<ZKDeviceListEntry> selected;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ZKDeviceIdentity& id = list[i].identity;
        if (index ? *index == i : id.typeName == typeName && id.serialNumber == serialNumber)
            selected.push_back(list[i]);
    }
    return selected;
}

// --- window ----------------------------------------------------------------------------------------------

ZelkMsgWnd::ZelkMsgWnd(Settings settings)
    : ZelkAppWnd("ZelkMsg", settings.persistPlacement ? settings.registry : nullptr),
      settings_(std::move(settings)),
      statusBar_([this] { return ConnectionStatus(); }) {
    SetServerLostHandlers(
        [this](const std::string& text) { return Ask(text, ZMsgButtons::YesNo) == ZMsgAnswer::Yes; }, {});
}

ZelkMsgWnd::~ZelkMsgWnd() {
    search_.WaitAndForget(std::chrono::milliseconds(0));
    if (device_) ZKDevice::Destroy(device_);
    if (zk::IsWindow(Window())) zk::DestroyWindow(Window());
}

zk::LRESULT ZelkMsgWnd::OnCreate() {
    const zk::Rect client = zk::GetClientRect(Window());
    if (!statusBar_.Create(Window(), {0, 0, client.Width(), ZMsgStatusBar::kHeight})) return -1;
    CreateMenus();
    if (!log_.Create(Window(), {})) return -1;
    const int tabs[] = {kLogTab};
    log_.SetTabs(tabs);
    settings_.registry->LoadAutoConnectOptions(options_);
    if (settings_.searchForTheRun) options_.autoConnect = 1;
    ApplySavedPlacement();
    if (options_.autoConnect) StartSearching();
    if (settings_.copyDataEndpoint) {
        std::string error;
        endpoint_.Open(Window(), error);  // without it the window still works, only deaf to other programs
    }
    if (settings_.displayOptions)
        notice_ = std::make_unique<ZKOptionsNotice>(*settings_.displayOptions, *settings_.registry, Window());
    NoteStatus();
    return 0;
}

void ZelkMsgWnd::CreateMenus() {
    if (!menuBar_.Create(Window(), {1, 1, 200, kCaptionHeight})) return;
    AddMenu(menuBar_, "File", 'F', &ZelkMsgWnd::FillFile, &ZelkMsgWnd::ChooseFromMenu);
    AddMenu(menuBar_, "Options", 'O', &ZelkMsgWnd::FillOptions, &ZelkMsgWnd::ChooseFromMenu);
    deviceMenu_ = AddMenu(menuBar_, "Device", 'D', &ZelkMsgWnd::FillDevice, &ZelkMsgWnd::ChooseFromMenu);
    // The bar takes only the width of its titles; the rest of the caption moves the window.
    zk::MoveWindow(menuBar_.Window(), 1, 1, menuBar_.FreeArea().left, kCaptionHeight - 1);
}

void ZelkMsgWnd::Layout(int width, int height) {
    zk::MoveWindow(statusBar_.Window(), kMargin, kStatusTop, width - 2 * kMargin, kStatusBottom - kStatusTop);
    zk::MoveWindow(log_.Window(), kMargin, kStatusBottom, width - 2 * kMargin,
                   height - kMargin - kStatusBottom);
}

bool ZelkMsgWnd::ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                                      zk::LRESULT& result) {
    result = 0;
    switch (message) {
        case zk::WM_DESTROY:
            observer_ = nullptr;  // what the closing window still does is no news
            notice_.reset();
            endpoint_.Close();
            search_.WaitAndForget(std::chrono::milliseconds(2000));
            Disconnect();
            zk::PostQuitMessage(0);
            return true;
        case zk::WM_KEYDOWN:
            OnKeyDown(static_cast<int>(wParam));
            return true;
        case zk::WM_MOUSEWHEEL:
            log_.List().ScrollRows(zk::GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : -1);
            return true;
        case zk::WM_SIZING:
            ApplyMinimumSize(static_cast<int>(wParam), *reinterpret_cast<zk::Rect*>(lParam));
            result = 1;
            return true;
        case zk::WM_TIMER:
            if (wParam == kSearchTimer)
                SearchTick();
            else if (wParam == kStatusTimer)
                StatusTick();
            else
                ZKASSERT(!"unknown timer");
            NoteStatus();
            return true;
        case WMU_TIMER_TICK:
            ZKTimerServer::Deliver(wParam);
            return true;
        case WMU_DEV_TEXT:
            if (device_) device_->DispatchMessages(wParam);
            return true;
        case WMU_MON_VALUES:
            if (device_) device_->NotifySlot(wParam);
            return true;
        case WMU_CONTROL_NOTIFY:
        case WMU_POPUP_HOVER:
            if (HandleMenuMessage(message, wParam, lParam, result)) {
                NoteStatus();
                return true;
            }
            return ZelkAppWnd::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
        default:
            return ZelkAppWnd::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    }
}

void ZelkMsgWnd::ApplyMinimumSize(int edge, zk::Rect& r) {
    const bool left = edge == zk::WMSZ_LEFT || edge == zk::WMSZ_TOPLEFT || edge == zk::WMSZ_BOTTOMLEFT;
    const bool right = edge == zk::WMSZ_RIGHT || edge == zk::WMSZ_TOPRIGHT || edge == zk::WMSZ_BOTTOMRIGHT;
    const bool top = edge == zk::WMSZ_TOP || edge == zk::WMSZ_TOPLEFT || edge == zk::WMSZ_TOPRIGHT;
    const bool bottom =
        edge == zk::WMSZ_BOTTOM || edge == zk::WMSZ_BOTTOMLEFT || edge == zk::WMSZ_BOTTOMRIGHT;
    if (r.Width() < kMinWidth) {
        if (left) r.left = r.right - kMinWidth;
        if (right) r.right = r.left + kMinWidth;
    }
    if (r.Height() < kMinHeight) {
        if (top) r.top = r.bottom - kMinHeight;
        if (bottom) r.bottom = r.top + kMinHeight;
    }
}

void ZelkMsgWnd::OnKeyDown(int vk) {
    ZKListBoxBase& list = log_.List();
    switch (vk) {
        case zk::VK_PRIOR:
            list.ScrollPages(-1);
            return;
        case zk::VK_NEXT:
            list.ScrollPages(1);
            return;
        case zk::VK_UP:
            list.ScrollRows(-1);
            return;
        case zk::VK_DOWN:
            list.ScrollRows(1);
            return;
        default:
            break;
    }
    // The hot letter of a menu title opens that menu; with Ctrl or Shift held it does nothing.
    if (KeyDown(zk::VK_CONTROL) || KeyDown(zk::VK_SHIFT)) return;
    for (char key : kMenuKeys)
        if (vk == key) OpenMenu(key);
}

bool ZelkMsgWnd::OnCopyDataCommand(std::uint32_t command, std::span<const std::byte>) {
    if (command <= 1) return true;  // hooks of other applications
    if (command > 5) return false;
    if (!settings_.displayOptions) return true;
    // Dialogs open over the window are windows of their own; they change their colours with it.
    std::vector<zk::HWND> windows{Window()};
    windows.insert(windows.end(), ModalStack().Windows().begin(), ModalStack().Windows().end());
    return ZKOptionsNotice::Apply(*settings_.displayOptions, windows, command, [this] { log_.Remeasure(); });
}

// --- menus -----------------------------------------------------------------------------------------------

std::vector<ZMsgMenuItem> ZelkMsgWnd::MenuItems(char menu) const {
    switch (menu) {
        case 'F':
            return {{'S', "Save"},
                    {'T', "save To"},
                    {'G', "Global Options", true, true},
                    {'A', "About", true, true},
                    {'X', "eXit"}};
        case 'O':
            return {{'A', "AutoConnect"}, {'C', "Clear log"}, {'T', "Copy To Clipboard"}};
        case 'D': {
            const bool connected = device_ && device_->IsConnected();
            // The error state dialog needs the profile's error databases, which come with the profile.
            return {{'A', "AutoConnect", !device_},
                    {'C', "Connect", !device_ && !searching_},
                    {'D', "Disconnect", device_ != nullptr},
                    {'E', "Errors", connected && ProfileHasErrorDatabases()}};
        }
        default:
            return {};
    }
}

bool ZelkMsgWnd::ChooseMenuItem(char menu, char item) {
    const auto items = MenuItems(menu);
    const auto it =
        std::find_if(items.begin(), items.end(), [item](const ZMsgMenuItem& i) { return i.key == item; });
    if (it == items.end() || !it->enabled) return false;
    switch (menu * 256 + item) {
        case 'F' * 256 + 'S':
            SaveLog();
            break;
        case 'F' * 256 + 'T':
            SaveLogTo();
            break;
        case 'F' * 256 + 'G':
            EditGlobalOptions();
            break;
        case 'F' * 256 + 'A':
            ShowAbout();
            break;
        case 'F' * 256 + 'X':
            zk::PostMessage(Window(), zk::WM_CLOSE, 0, 0);
            break;
        case 'O' * 256 + 'A':
            EditAutoConnectOptions();
            break;
        case 'D' * 256 + 'C':
            ManualConnect();
            break;
        case 'O' * 256 + 'C':
            ClearLog();
            break;
        case 'O' * 256 + 'T':
            CopyToClipboard();
            break;
        case 'D' * 256 + 'A':
            ToggleSearching();
            break;
        case 'D' * 256 + 'D':
            Disconnect();
            break;
        case 'D' * 256 + 'E':
            ShowErrorStates();
            break;
        default:
            break;
    }
    NoteStatus();
    return true;
}

void ZelkMsgWnd::OpenMenu(char menu) {
    openedMenu_ = menu;
    MenuKey(ZKPopupMenuItem::VirtualKeyOf(menu));
    NoteStatus();
}

void ZelkMsgWnd::FillMenu(char menu, ZKListBoxContents& items) {
    for (const ZMsgMenuItem& item : MenuItems(menu)) {
        // The "Errors" item takes the colour the "Device" title flashes in.
        std::optional<ZKRGB> colour;
        if (menu == 'D' && item.key == 'E' && deviceTitleFlash_)
            colour = ZKGDI::Colour({}, *deviceTitleFlash_);
        items.Append(std::make_unique<ZKPopupMenuItem>(std::string(1, item.key), item.label, item.key,
                                                       item.enabled, colour));
        if (item.separatorBelow) items.Append(ZKPopupMenuItem::Separator());
    }
}

const ZelkMsgWnd::Entry* ZelkMsgWnd::ChooseFromMenu(ZKListBoxContents& items, int, const Entry& entry) {
    const int current = items.Current();
    if (current == ZKListBoxContents::kNone) return nullptr;
    const auto& row = static_cast<const ZKPopupMenuItem&>(items.At(current));
    ChooseMenuItem(entry.key, row.Key());
    return nullptr;
}

// --- log -------------------------------------------------------------------------------------------------

std::vector<std::string> ZelkMsgWnd::LogRows() const {
    std::vector<std::string> rows;
    const ZKListBoxContents& contents = log_.Rows();
    rows.reserve(static_cast<std::size_t>(contents.Count()));
    for (int i = 0; i < contents.Count(); ++i)
        rows.push_back(contents.At(i).Text());
    return rows;
}

void ZelkMsgWnd::AppendRows(std::vector<std::string> rows) {
    for (const std::string& row : rows)
        log_.AddFormatted("%s", row.c_str());
    log_.UpdateAndRedraw();
    if (observer_) observer_->RowsAppended(rows);
}

void ZelkMsgWnd::ReceiveMessages(const std::vector<std::string>& texts) {
    std::vector<std::string> rows;
    rows.reserve(texts.size());
    for (const std::string& text : texts)
        rows.push_back(ZMsgLogText::DeviceMessageRow(text));
    AppendRows(std::move(rows));
}

void ZelkMsgWnd::AppendIdentityReport(const ZKDeviceIdentity& identity) {
    std::string name;
    std::optional<std::string> identityName;
    if (server_ && server_->IdentityName(identity.rootId, 0, name)) identityName = name;
    AppendRows(ZKIdentityReportRows(identity, identityName));
}

std::string ZelkMsgWnd::WorkingDirectory() const {
    std::string folder;
    settings_.registry->GetWorkingDirectory(folder);
    return folder;
}

void ZelkMsgWnd::SaveLog() {
    const std::string name = device_ ? ZMsgLogText::DefaultFileName(device_->Entry().identity.typeName,
                                                                    device_->Entry().identity.serialNumber)
                                     : std::string();
    const auto entered = prompt_.fileName ? prompt_.fileName("Enter filename", name) : std::nullopt;
    if (!entered) return;
    WriteLogTo(ZMsgLogText::SavePath(WorkingDirectory(), *entered, ZMsgLogText::Extension::IfMissing));
}

void ZelkMsgWnd::SaveLogTo() {
    const auto folder = prompt_.folder ? prompt_.folder("Choose the folder where to save the text messages:",
                                                        WorkingDirectory())
                                       : std::nullopt;
    if (!folder) return;
    const std::string name = device_ ? ZMsgLogText::DefaultFileName(device_->Entry().identity.typeName,
                                                                    device_->Entry().identity.serialNumber)
                                     : std::string();
    const auto entered = prompt_.fileName ? prompt_.fileName("Enter filename", name) : std::nullopt;
    if (!entered) return;
    WriteLogTo(ZMsgLogText::SavePath(*folder, *entered, ZMsgLogText::Extension::Always));
}

bool ZelkMsgWnd::WriteLogTo(const std::string& path) {
    if (FileExists(path) && Ask("\"" + path + "\" already exists.\nDo you want to overwrite it?",
                                ZMsgButtons::YesNo) != ZMsgAnswer::Yes)
        return false;
    if (!ZMsgLogText::WriteFile(path, LogRows())) return false;
    Ask("Log written to \"" + path + "\"", ZMsgButtons::Ok);
    return true;
}

void ZelkMsgWnd::CopyToClipboard() {
    zk::SetClipboardText(ZMsgLogText::JoinPlainText(LogRows()));
}

void ZelkMsgWnd::ClearLog() {
    log_.ClearAndRedraw();
}

std::string ZelkMsgWnd::AboutText() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[512];
    std::snprintf(
        text, sizeof text,
        "Version $t: %d.%d.%d\nApplication $t: %s\nBuilt $t: %s\nAuthor $t: Zelkor engineering tools\n"
        "Rights $t: (c) %d Zelkor, all rights reserved\n",
        zelkmsg::kVersion.major, zelkmsg::kVersion.minor, zelkmsg::kVersion.build, AppName().c_str(),
        kBuildDate, local.tm_year + 1900);
    return text;
}

void ZelkMsgWnd::ShowAbout() {
    Ask(AboutText(), ZMsgButtons::Ok, kAboutTab);
}

ZMsgAnswer ZelkMsgWnd::Ask(const std::string& text, ZMsgButtons buttons, int tabStop) {
    if (!prompt_.messageBox) return buttons == ZMsgButtons::Ok ? ZMsgAnswer::Ok : ZMsgAnswer::No;
    return prompt_.messageBox(text, buttons, tabStop);
}

// --- connection ------------------------------------------------------------------------------------------

bool ZelkMsgWnd::ProfileHasErrorDatabases() const {
    const ZPProfile* profile = device_ ? device_->Profile() : nullptr;
    return profile && profile->GlobalErrorDB() && profile->LocalErrorDB();
}

void ZelkMsgWnd::ManualConnect() {
    const auto choice = prompt_.chooseDevice ? prompt_.chooseDevice() : std::nullopt;
    if (!choice) return;
    SetExpectedIdentity(choice->rootId, choice->userId);
    if (!device_ && !OpenDevice(choice->entry, choice->access)) {
        Ask("Could not connect!", ZMsgButtons::Ok);
        return;
    }
    RunConnectedSteps();
}

void ZelkMsgWnd::EditAutoConnectOptions() {
    const auto edited = prompt_.autoConnectOptions ? prompt_.autoConnectOptions(options_) : std::nullopt;
    if (!edited) return;
    options_ = *edited;
    settings_.registry->SaveAutoConnectOptions(options_);
}

void ZelkMsgWnd::EditGlobalOptions() {
    if (settings_.displayOptions && prompt_.globalOptions) prompt_.globalOptions(*settings_.displayOptions);
}

// The dialog asks for the device at every read: a status tick may disconnect while it is open.
void ZelkMsgWnd::ShowErrorStates() {
    if (prompt_.errorStates) prompt_.errorStates([this] { return device_.get(); }, profile_);
}

ZMsgConnectionStatus ZelkMsgWnd::ConnectionStatus() const {
    ZMsgConnectionStatus status;
    status.searching = searching_;
    status.hasDevice = device_ != nullptr;
    if (!device_) return status;
    status.state = !device_->IsConnected() ? 1 : !device_->IsInSync() ? 2 : 3;
    std::string name;
    status.identityName = server_ && server_->IdentityName(expectedRootId_, expectedUserId_, name)
                              ? name
                              : std::string("Unknown");
    const ZKDeviceIdentity& id = device_->Entry().identity;
    status.typeName = id.typeName;
    status.serialNumber = id.serialNumber;
    status.mainMajor = id.mainMajor;
    status.mainMinor = id.mainMinor;
    status.mainBuild = id.mainBuild;
    status.profileRevision = device_->ProfileRevision();
    return status;
}

std::string ZelkMsgWnd::StateText() const {
    ZMsgConnectionStatus status;
    status.searching = searching_;
    if (device_) status.state = !device_->IsConnected() ? 1 : !device_->IsInSync() ? 2 : 3;
    return status.StateText();
}

void ZelkMsgWnd::NoteStatus() {
    std::string text = StateText();
    if (text == lastStateText_) return;
    lastStateText_ = std::move(text);
    if (observer_) observer_->StatusChanged(lastStateText_);
}

bool ZelkMsgWnd::OpenDevice(const ZKDeviceListEntry& entry, const ZKDeviceAccess& access) {
    if (!server_) return false;
    ZKDevice::Hooks hooks;
    hooks.mainWindow = Window();
    try {
        device_ = ZKDevice::Open(*server_, entry, &profile_, kPurpose, access, std::move(hooks));
    } catch (const std::exception&) {
        device_.reset();
    }
    return device_ != nullptr;
}

void ZelkMsgWnd::RunConnectedSteps() {
    // Devices from box state 1300 on carry a profile.
    if (device_->Identity().boxState >= kProfileBoxState) StartProfileLoad();
    device_->AddMessageClient(this);
    zk::SetTimer(Window(), kStatusTimer, kStatusMs);
    NoteStatus();
}

void ZelkMsgWnd::Disconnect() {
    zk::KillTimer(Window(), kStatusTimer);
    deviceTitleFlash_.reset();
    if (deviceMenu_) deviceMenu_->button->SetFlash(false);
    if (loader_) {
        loader_->Stop(kLoaderStopLimit);
        loader_.reset();
    }
    if (device_) {
        device_->RemoveMessageClient(this);
        ZKDevice::Destroy(device_);
        expectedRootId_ = expectedUserId_ = 0;
        profile_.Reset();
        features_.clear();
    }
    searching_ = false;
    if (options_.autoConnect && !options_.singleShot) StartSearching();
    NoteStatus();
}

void ZelkMsgWnd::StartSearching() {
    searching_ = true;
    zk::SetTimer(Window(), kSearchTimer, kSearchMs);
}

void ZelkMsgWnd::ToggleSearching() {
    if (searching_) {
        searching_ = false;
        zk::KillTimer(Window(), kSearchTimer);
    } else {
        StartSearching();
    }
    NoteStatus();
}

void ZelkMsgWnd::StartProfileLoad() {
    std::vector<std::uint8_t> image;
    if (!server_ || !ObtainProfileImage(image)) return;  // the device works without its profile
    loader_ = std::make_unique<ZKProfileLoader>(std::move(image));
}

bool ZelkMsgWnd::ObtainProfileImage(std::vector<std::uint8_t>& image) {
    const ZKDeviceIdentity& id = device_->Identity();
    if (server_->GetStoredProfile(id.typeName, id.mainMajor, id.mainMinor, id.mainBuild, image) &&
        StoredImageUsable(image, device_->ProfileLocation()))
        return true;
    if (!device_->GetStoredProfile(image, false)) return false;
    server_->StoreProfile(image);  // not storing it only costs the next connect the device read
    return true;
}

void ZelkMsgWnd::CollectLoadedProfile() {
    if (!loader_ || loader_->ExitCode() == ZKProfileLoader::kStillActive) return;
    const std::unique_ptr<ZKProfileLoader> loader = std::move(loader_);
    if (!loader->MoveLoadedInto(profile_)) return;  // a failed load leaves the main profile as it was
    features_.clear();
    if (device_->ReadFeatures(features_)) {
        std::vector<std::uint8_t> renaming;
        std::vector<std::uint8_t> selectRenaming;
        device_->ReadRenamingCalibration(&renaming, &selectRenaming);
        profile_.RenamingCal() = MemFile(std::move(renaming));
        profile_.SelectRenamingCal() = MemFile(std::move(selectRenaming));
    }
    // A link in sync takes the new profile's item table now. A link not yet in sync (the load ended before
    // the first tick checked the device) gets it when the tick brings the link to sync, after the identity
    // checks and with the identity report, as on every return of the link.
    if (device_->IsInSync()) MarkInSyncWithRebuild();
}

bool ZelkMsgWnd::WaitForProfileLoad(std::chrono::milliseconds limit) {
    return !loader_ || loader_->Wait(limit);
}

void ZelkMsgWnd::MarkInSyncWithRebuild() {
    try {
        device_->MarkInSync(ZKItemTable::Rebuild);
    } catch (const std::exception&) {
        // Without a profile there is no item table; the link is in sync all the same.
    }
}

void ZelkMsgWnd::StatusTick() {
    if (!device_) return;
    CollectLoadedProfile();
    if (device_->IsFullyUp()) {
        ErrorPoll();
        return;
    }
    ZKDeviceIdentity identity;
    if (!device_->Identify(identity)) {
        if (options_.autoOffLine && ++offlineCounter_ > kOfflineLimit) {
            offlineCounter_ = 0;
            Disconnect();
            return;
        }
        zk::SetTimer(Window(), kStatusTimer, kStatusSlowMs);
        device_->MarkLost();
        return;
    }
    zk::SetTimer(Window(), kStatusTimer, kStatusMs);
    offlineCounter_ = 0;
    device_->SetKey(identity.Key());
    if (!CheckSameDevice(identity)) return;
    device_->SetIdentity(identity);
    // A device without a profile location answers with a failure that drops the link; the location is then
    // kept as it was, and the identification below brings the link back.
    ZKProfileLocation location;
    if (device_->ReadProfileLocation(location)) device_->SetProfileLocation(location);
    MarkInSyncWithRebuild();
    ZKDeviceIdentity best;
    if (device_->IdentifyBest(best)) AppendIdentityReport(best);
}

bool ZelkMsgWnd::CheckSameDevice(const ZKDeviceIdentity& identity) {
    const ZKDeviceIdentity& opened = device_->Entry().identity;
    const char* change = nullptr;
    if (identity.typeName.substr(0, kTypeNameCompare) != opened.typeName.substr(0, kTypeNameCompare))
        change = "$crDevice type has changed";
    else if (expectedRootId_ != 0 && identity.rootId != expectedRootId_)
        change = "$crRootID changed";
    else if (identity.mainMajor != opened.mainMajor || identity.mainMinor != opened.mainMinor ||
             identity.mainBuild != opened.mainBuild)
        change = "$crBox code changed";
    if (!change) return true;
    Disconnect();
    AppendRows({change});
    return false;
}

void ZelkMsgWnd::ErrorPoll() {
    if (device_ && ProfileHasErrorDatabases()) {
        if (++errorPollCounter_ % kErrorPollEvery != 0) return;
        std::uint32_t code = ZKDevice::kSummaryNoError;
        if (!device_->ErrorSummary(code)) return;
        if (code == ZKDevice::kSummaryNoError)
            deviceTitleFlash_.reset();
        else
            deviceTitleFlash_ = static_cast<int>(code);
        if (!deviceMenu_) return;
        ZKButton& title = *deviceMenu_->button;
        // A flashing title only takes the new colour (the button keeps the colour it started with).
        if (!deviceTitleFlash_ || (title.Flashing() && title.FlashSlot() != *deviceTitleFlash_))
            title.SetFlash(false);
        if (deviceTitleFlash_) title.SetFlash(true, *deviceTitleFlash_);
        return;
    }
    ZKDeviceIdentity keepAlive;  // the answer does not matter
    device_->Identify(keepAlive);
}

void ZelkMsgWnd::SearchTick() {
    if (!searching_ || device_ || !server_) {
        search_.Reap();
        return;
    }
    switch (search_.Reap()) {
        case ZMsgDeviceSearch::State::None:
            search_.Start(*server_);
            return;
        case ZMsgDeviceSearch::State::Running:
        case ZMsgDeviceSearch::State::Failed:
            return;
        case ZMsgDeviceSearch::State::Succeeded:
            break;
    }
    const auto& found = search_.Devices();
    const auto devices = settings_.onlyDevice ? settings_.onlyDevice->Select(found) : found;
    if (devices.empty() || !OpenFirstOption(devices)) return;
    searching_ = false;
    RunConnectedSteps();
    searching_ = options_.autoConnect && !options_.singleShot;
}

bool ZelkMsgWnd::OpenFirstOption(const std::vector<ZKDeviceListEntry>& devices) {
    std::vector<ZKAccessOption> options;
    if (!ZKAccessOptions::BuildAll(*server_, devices, 0, options)) return false;
    const ZKAccessOption& first = options.front();
    expectedRootId_ = first.rootId;
    expectedUserId_ = first.secondaryId;
    return OpenDevice(*first.entry, first.Access());
}
