// The main window on the headless backend with an in-process server: device messages and the identity
// report in the log, the status tick's checks, AutoOffLine, the automatic search, Save, Copy To Clipboard,
// menus and keys, the server-lost path, closing, placement and the minimum size.
#include "ZelkMsg/ZelkMsgWnd.h"

#include <gtest/gtest.h>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKNetCodes.h"
#include "Common/device/ZKServer.h"
#include "Common/profile/ZPImageWriter.h"
#include "Common/profile/ZPProfileHeader.h"
#include "Gui/ZKCopyDataCommand.h"
#include "Gui/ZKDC.h"
#include "Gui/ZKGlobalOptions.h"
#include "Platform/Clipboard.h"
#include "Platform/Input.h"
#include "Platform/MessageLoop.h"
#include "ZelkMsg/ZMsgRegistry.h"
#include "support/DeviceTestProfile.h"
#include "support/FakeZKServer.h"
#include "support/TestSupport.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using Op = FakeZKDevice::Op;

ZKDeviceIdentity Identity(const std::string& type, std::uint32_t serial) {
    ZKDeviceIdentity id;
    id.typeName = type;
    id.serialNumber = serial;
    id.boxState = 10000;
    id.mainMajor = 3;
    id.mainMinor = 1;
    id.mainBuild = 7;
    id.lastProgramTime = 1710149400;
    return id;
}

// The image of the device test profile for the devices' code version 3.1.7, with profile revision `revision`.
std::vector<std::uint8_t> ProfileImage(int revision, bool errorDatabases = true) {
    std::string text =
        errorDatabases ? zktest::DeviceProfileText() : zktest::DeviceProfileTextWithoutErrors();
    const auto replace = [&text](const std::string& from, const std::string& to) {
        const auto at = text.find(from);
        if (at != std::string::npos) text.replace(at, from.size(), to);
    };
    replace("CODE_BRANCH(1) CODE_VERSION(2) CODE_REVISION(3)",
            "CODE_BRANCH(3) CODE_VERSION(1) CODE_REVISION(7)");
    replace("PROFILE_REVISION(1)", "PROFILE_REVISION(" + std::to_string(revision) + ")");
    ZPProfile profile;
    EXPECT_TRUE(profile.ParseText(text, "device.txt"));
    const auto image = ZPImageWriter::Compile(profile, 0);
    EXPECT_TRUE(image.has_value());
    return image.value_or(std::vector<std::uint8_t>{});
}

class ZelkMsgWndTest : public ::testing::Test {
protected:
    zktest::TempDir dir;
    zktest::ScopedEnv hkcu{"ZK_HKCU_DB", dir.File("hkcu.db")};
    zktest::ScopedEnv hklm{"ZK_HKLM_DB", dir.File("hklm.db")};
    zktest::ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.Path()};
    zktest::ScopedEnv tz{"TZ", "UTC"};
    zk::WindowSystemScope scope{
        zk::WindowSystemOptions{{1920, 1080}, std::nullopt, zk::BackendChoice::Headless}};
    zktest::Watchdog watchdog{30s};
    ZMsgRegistry registry;
    ZKGlobalOptions displayOptions{registry};
    FakeZKServer fakeServer;
    FakeZKDevice fakeDevice;
    ZKDeviceListEntry entry;
    std::unique_ptr<ZelkMsgWnd> window;
    std::unique_ptr<ZKServer> server;
    std::vector<std::string> boxes;
    ZMsgAnswer answer = ZMsgAnswer::No;
    std::optional<std::string> enteredName;
    std::optional<ZMsgDeviceChoice> choice;
    std::optional<ZMsgAutoConnectOptions> edited;
    std::optional<ZKGlobalOptions::Flags> globalOptions;               // what the options dialog's OK applies
    std::vector<std::pair<ZKDevice*, const ZPProfile*>> errorDialogs;  // what each opened with
    std::function<ZKDevice*()> errorDevice;                            // the last one's device source

    void SetUp() override {
        fakeDevice.SetIdentity(Identity("ECU-M4", 1201));
        entry.address1 = 1;
        entry.address3 = 1;
        entry.identity = Identity("ECU-M4", 1201);
        entry.description = "bench";
        fakeServer.AddDevice(1, 0, 1, fakeDevice);
        fakeServer.SetDeviceList(entry.Encode());
    }

    void Make(ZelkMsgWnd::Settings settings = {}) {
        settings.registry = &registry;
        settings.copyDataEndpoint = false;
        window = std::make_unique<ZelkMsgWnd>(settings);
        const FakeZKServer fake = fakeServer;
        server = std::make_unique<ZKServer>([fake] { return std::make_unique<FakeZKServer>(fake); });
        window->SetServer(server.get());
        ZMsgPrompt prompt;
        prompt.messageBox = [this](const std::string& text, ZMsgButtons buttons, int) {
            boxes.push_back(text);
            return buttons == ZMsgButtons::Ok ? ZMsgAnswer::Ok : answer;
        };
        prompt.fileName = [this](const std::string&, const std::string&) { return enteredName; };
        prompt.folder = [this](const std::string&, const std::string&) { return dir.Path() + "/"; };
        prompt.chooseDevice = [this] { return choice; };
        prompt.autoConnectOptions = [this](const ZMsgAutoConnectOptions&) { return edited; };
        prompt.globalOptions = [this](ZKGlobalOptions& options) {
            if (globalOptions) options.Apply(*globalOptions);
        };
        prompt.errorStates = [this](std::function<ZKDevice*()> device, const ZPProfile& profile) {
            errorDialogs.push_back({device(), &profile});
            errorDevice = std::move(device);
        };
        window->SetPrompt(prompt);
        ASSERT_TRUE(window->Create());
        ZKTimerServer::SetTickWindow(window->Window());
        server->SetMainWindow(window->Window());
    }

    void TearDown() override {
        if (window && zk::IsWindow(window->Window())) zk::DestroyWindow(window->Window());
        ZKTimerServer::SetTickWindow(zk::HWND());
        server.reset();
        window.reset();
    }

    // Dispatches messages until `done` holds; false when it did not within `timeout`.
    static bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end || !zk::PumpPendingMessages()) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    void Connect() {
        ASSERT_TRUE(window->OpenDevice(entry, {}));
        window->RunConnectedSteps();
    }
    std::size_t Rows() const { return window->LogRows().size(); }
    // Ticks until the profile loader has been collected.
    bool TickUntilProfileCollected() {
        return PumpUntil([&] {
            window->StatusTick();
            return !window->ProfileLoading();
        });
    }
    // The device keeps `image` in its store and names it as its profile.
    void StoreOnDevice(const std::vector<std::uint8_t>& image) {
        fakeDevice.SetStore(image);
        ZKProfileLocation location;
        location.size = static_cast<std::uint32_t>(image.size());
        location.headerWord = static_cast<std::uint16_t>((image[60] << 8) | image[61]);
        fakeDevice.SetProfileLocation(location);
    }
};

TEST_F(ZelkMsgWndTest, TheServersProfileIsLoadedInTheBackgroundAndEnablesTheErrorPoll) {
    fakeServer.StoreProfile(ProfileImage(4));
    Make();
    Connect();
    ASSERT_TRUE(window->ProfileLoading());
    ASSERT_TRUE(TickUntilProfileCollected());
    const ZPProfileHeader* header = window->MainProfile().Header();
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(4, header->ProfileRevision());
    EXPECT_EQ(4, window->ConnectionStatus().profileRevision);
    EXPECT_EQ(1, fakeServer.Calls(FakeZKServer::Op::StoreProfile)) << "only the test's own store";
    EXPECT_EQ(2u, window->Device()->ItemCount()) << "the item table comes from the loaded profile";
    ASSERT_TRUE(window->Device()->IsFullyUp());
    EXPECT_TRUE(window->MenuItems('D')[3].enabled) << "Errors";
    // The error summary is read on every fifth tick of a fully up link.
    std::vector<int> polled;
    for (int tick = 0; tick < 12; ++tick) {
        const int before = fakeDevice.Calls(Op::ReadErrorStates);
        window->StatusTick();
        if (fakeDevice.Calls(Op::ReadErrorStates) != before) polled.push_back(tick);
    }
    ASSERT_EQ(2u, polled.size());
    EXPECT_EQ(5, polled[1] - polled[0]);

    window->Disconnect();
    EXPECT_EQ(nullptr, window->MainProfile().Header()) << "a disconnect empties the main profile";
}

TEST_F(ZelkMsgWndTest, AProfileLoadedBeforeTheFirstTickStillGetsTheIdentityReport) {
    fakeServer.StoreProfile(ProfileImage(4));
    ZKProfileLocation location;
    location.size = 4096;
    location.headerWord = 4;
    fakeDevice.SetProfileLocation(location);
    fakeDevice.SetCalibration(1, std::vector<std::uint8_t>(4096, 0));  // the renaming calibration
    Make();
    Connect();
    ASSERT_TRUE(window->Device()->IsConnected());
    ASSERT_TRUE(window->WaitForProfileLoad(5s));
    window->StatusTick();
    EXPECT_FALSE(window->ProfileLoading());
    EXPECT_EQ("CONNECTED", window->StateText());
    ASSERT_EQ(16u, Rows());
    EXPECT_EQ("$cgDEVICE :$tECU-M4 #1201", window->LogRows()[1]);
    EXPECT_EQ(2u, window->Device()->ItemCount()) << "the item table comes from the loaded profile";
    window->StatusTick();
    EXPECT_EQ(16u, Rows()) << "one report per return of the link";
}

TEST_F(ZelkMsgWndTest, AnOlderOrMissingServerProfileGivesWayToTheDevicesWhichIsThenStored) {
    const auto devices = ProfileImage(5);
    StoreOnDevice(devices);
    for (const int serverRevision : {0, 4}) {
        SCOPED_TRACE(serverRevision);
        if (serverRevision) fakeServer.StoreProfile(ProfileImage(serverRevision));
        if (!window) Make();
        Connect();
        ASSERT_TRUE(TickUntilProfileCollected());
        ASSERT_NE(nullptr, window->MainProfile().Header());
        EXPECT_EQ(5, window->MainProfile().Header()->ProfileRevision());
        EXPECT_EQ(devices, fakeServer.StoredProfile());
        window->Disconnect();
    }
}

TEST_F(ZelkMsgWndTest, AProfileThatFailsToLoadLeavesTheMainProfileEmpty) {
    auto image = ProfileImage(4);
    image[70] ^= 1;
    fakeServer.StoreProfile(image);
    Make();
    Connect();
    ASSERT_TRUE(TickUntilProfileCollected());
    EXPECT_EQ(nullptr, window->MainProfile().Header());
    EXPECT_EQ(0, window->ConnectionStatus().profileRevision);
    EXPECT_FALSE(window->MenuItems('D')[3].enabled) << "Errors";
    EXPECT_EQ("CONNECTED", window->StateText());
}

TEST_F(ZelkMsgWndTest, ErrorsOpensOverTheWindowsDeviceAndTheTitleFlashesInTheSummarysColour) {
    fakeServer.StoreProfile(ProfileImage(4));
    fakeDevice.SetErrorState(21, {0x1, 0x1, 0});
    Make();
    Connect();
    ASSERT_TRUE(TickUntilProfileCollected());
    for (int tick = 0; tick < 5; ++tick)
        window->StatusTick();
    EXPECT_EQ(38, window->DeviceTitleFlash()) << "an active error";
    fakeDevice.SetErrorState(21, {0, 0x1, 0});
    for (int tick = 0; tick < 5; ++tick)
        window->StatusTick();
    EXPECT_EQ(37, window->DeviceTitleFlash()) << "stored only";

    EXPECT_TRUE(window->ChooseMenuItem('D', 'E'));
    ASSERT_EQ(1u, errorDialogs.size());
    EXPECT_EQ(window->Device(), errorDialogs[0].first);
    EXPECT_EQ(&window->MainProfile(), errorDialogs[0].second);
    // A disconnect while the dialog is open leaves it without a device, never with a dangling one.
    window->Disconnect();
    EXPECT_EQ(nullptr, errorDevice());
    EXPECT_FALSE(window->DeviceTitleFlash());
}

TEST_F(ZelkMsgWndTest, AProfileWithoutErrorDatabasesKeepsErrorsDisabledAndTheTitleStill) {
    fakeServer.StoreProfile(ProfileImage(4, false));
    fakeDevice.SetErrorState(21, {0x1, 0x1, 0});
    Make();
    Connect();
    ASSERT_TRUE(TickUntilProfileCollected());
    ASSERT_NE(nullptr, window->MainProfile().Header());
    ASSERT_TRUE(window->Device()->IsFullyUp());
    for (int tick = 0; tick < 10; ++tick)
        window->StatusTick();
    EXPECT_FALSE(window->MenuItems('D')[3].enabled) << "Errors";
    EXPECT_FALSE(window->ChooseMenuItem('D', 'E'));
    EXPECT_TRUE(errorDialogs.empty());
    EXPECT_EQ(0, fakeDevice.Calls(Op::ReadErrorStates));
    EXPECT_FALSE(window->DeviceTitleFlash());
}

TEST_F(ZelkMsgWndTest, TheProfileLocationIsReadAgainWhenTheLinkComesBack) {
    ZKProfileLocation first;
    first.size = 4096;
    first.headerWord = 1;
    fakeDevice.SetProfileLocation(first);
    Make();
    Connect();
    window->StatusTick();
    ASSERT_TRUE(window->Device()->IsFullyUp());
    const std::size_t reported = Rows();
    ZKProfileLocation second = first;
    second.headerWord = 2;
    fakeDevice.SetProfileLocation(second);
    window->Device()->MarkLost();
    window->StatusTick();
    EXPECT_EQ(second, window->Device()->ProfileLocation());
    // A device that has no location any more keeps the one known, and its link.
    fakeDevice.SetAnswer(Op::GetProfileLocation, zknet::kS_OK, 1);
    window->Device()->MarkLost();
    window->StatusTick();
    EXPECT_EQ(second, window->Device()->ProfileLocation());
    EXPECT_TRUE(window->Device()->IsFullyUp());
    EXPECT_EQ(3 * reported, Rows()) << "one identity report per return of the link";
    window->StatusTick();
    EXPECT_EQ(3 * reported, Rows());
}

TEST_F(ZelkMsgWndTest, TheFirstTickReportsTheIdentityAndMessagesFollowAsRows) {
    Make();
    fakeDevice.QueueMessages({"Idle speed 850 rpm", "Oil pressure low!!", "two\nlines"});
    Connect();
    EXPECT_EQ("CONNECTED (not in sync)", window->StateText());
    window->StatusTick();
    EXPECT_EQ("CONNECTED", window->StateText());
    ASSERT_EQ(16u, Rows());
    EXPECT_EQ("$cgDEVICE :$tECU-M4 #1201", window->LogRows()[1]);
    ASSERT_TRUE(PumpUntil([&] { return Rows() == 19; }));
    const auto rows = window->LogRows();
    EXPECT_EQ("$cwIdle speed 850 rpm", rows[16]);
    EXPECT_EQ("$crOil pressure low", rows[17]);
    EXPECT_EQ("$cwtwolines", rows[18]);
    // A tick while the link is fully up only keeps it alive: no second report.
    window->StatusTick();
    EXPECT_EQ(19u, Rows());
}

TEST_F(ZelkMsgWndTest, ADifferentDeviceAfterALinkLossIsDroppedWithARedRow) {
    struct Change {
        std::function<void(ZKDeviceIdentity&)> apply;
        std::string row;
    };
    const Change changes[] = {
        {[](ZKDeviceIdentity& id) { id.typeName = "OTHER"; }, "$crDevice type has changed"},
        {[](ZKDeviceIdentity& id) { id.rootId = 99; }, "$crRootID changed"},
        {[](ZKDeviceIdentity& id) { id.mainBuild = 8; }, "$crBox code changed"}};
    Make();
    for (const Change& change : changes) {
        SCOPED_TRACE(change.row);
        fakeDevice.SetIdentity(Identity("ECU-M4", 1201));
        Connect();
        window->SetExpectedIdentity(0x1234, 0);
        ZKDeviceIdentity same = Identity("ECU-M4", 1201);
        same.rootId = 0x1234;
        fakeDevice.SetIdentity(same);
        window->StatusTick();
        ASSERT_TRUE(window->Device()->IsFullyUp());
        window->Device()->MarkLost();
        change.apply(same);
        fakeDevice.SetIdentity(same);
        window->StatusTick();
        EXPECT_EQ(nullptr, window->Device());
        EXPECT_EQ(change.row, window->LogRows().back());
        EXPECT_EQ("OFFLINE", window->StateText());
    }
}

TEST_F(ZelkMsgWndTest, AutoOffLineDropsTheDeviceOnTheEleventhFailedIdentification) {
    Make();
    Connect();
    fakeDevice.SetAnswer(Op::Identify, zknet::kE_FAIL);
    for (int i = 1; i <= 10; ++i) {
        window->StatusTick();
        ASSERT_NE(nullptr, window->Device()) << i;
        EXPECT_EQ(static_cast<std::uint32_t>(i), window->OfflineCounter());
    }
    EXPECT_EQ("DISCONNECTED", window->StateText());
    window->StatusTick();
    EXPECT_EQ(nullptr, window->Device());
    EXPECT_EQ(0u, window->OfflineCounter());
}

TEST_F(ZelkMsgWndTest, WithoutAutoOffLineASilentDeviceStaysAndAnAnswerResetsTheCount) {
    registry.SaveAutoConnectOptions({0, 0, 0});
    Make();
    Connect();
    fakeDevice.SetAnswer(Op::Identify, zknet::kE_FAIL);
    for (int i = 0; i < 30; ++i)
        window->StatusTick();
    EXPECT_NE(nullptr, window->Device());
    fakeDevice.SetAnswer(Op::Identify, zknet::kS_OK);
    window->StatusTick();
    EXPECT_EQ("CONNECTED", window->StateText());
    EXPECT_EQ(16u, Rows());
}

TEST_F(ZelkMsgWndTest, TheSearchOpensTheFirstDeviceAndResumesAfterADisconnect) {
    ZelkMsgWnd::Settings settings;
    settings.searchForTheRun = true;
    Make(settings);
    EXPECT_EQ("OFFLINE Searching....", window->StateText());
    EXPECT_EQ((ZMsgAutoConnectOptions{1, 0, 1}), window->AutoConnectOptions());
    ASSERT_TRUE(PumpUntil([&] { return window->Device() != nullptr; }));
    EXPECT_EQ("ECU-M4", window->Device()->Entry().identity.typeName);
    // No root id: the option opens the device without an identity.
    EXPECT_EQ(0, window->Device()->Access().rootId);
    window->Disconnect();
    EXPECT_TRUE(window->Searching());
    // The run's searching is not stored.
    ZMsgAutoConnectOptions stored;
    registry.LoadAutoConnectOptions(stored);
    EXPECT_EQ(0u, stored.autoConnect);
}

TEST_F(ZelkMsgWndTest, SingleShotStopsSearchingAfterTheFirstConnection) {
    registry.SaveAutoConnectOptions({1, 1, 1});
    Make();
    ASSERT_TRUE(PumpUntil([&] { return window->Device() != nullptr; }));
    EXPECT_FALSE(window->Searching());
    window->Disconnect();
    EXPECT_EQ("OFFLINE", window->StateText());
}

TEST_F(ZelkMsgWndTest, OnlyTheSelectedDeviceIsOpened) {
    ZKDeviceListEntry other = entry;
    other.address1 = 2;
    other.identity = Identity("PDU-16", 77);
    auto list = entry.Encode();
    other.AppendTo(list);
    fakeServer.SetDeviceList(list);
    FakeZKDevice pdu;
    pdu.SetIdentity(other.identity);
    fakeServer.AddDevice(2, 0, 1, pdu);
    for (const char* selector : {"1", "PDU-16#77"}) {
        ZelkMsgWnd::Settings settings;
        settings.searchForTheRun = true;
        settings.onlyDevice = ZMsgDeviceSelector::Parse(selector);
        Make(settings);
        ASSERT_TRUE(PumpUntil([&] { return window->Device() != nullptr; })) << selector;
        EXPECT_EQ("PDU-16", window->Device()->Entry().identity.typeName) << selector;
        TearDown();
        zk::MSG quit;  // the destroyed window's WM_QUIT
        while (zk::PeekMessage(quit, zk::PM_REMOVE)) {
        }
    }
    EXPECT_FALSE(ZMsgDeviceSelector::Parse("PDU-16#"));
    EXPECT_FALSE(ZMsgDeviceSelector::Parse("#77"));
    EXPECT_FALSE(ZMsgDeviceSelector::Parse("x1"));
}

TEST_F(ZelkMsgWndTest, SaveWritesTheRowsAndAsksBeforeOverwriting) {
    registry.SetWorkingDirectory(dir.Path() + "/");
    Make();
    window->ReceiveMessages({"first", "hot!!"});
    enteredName.reset();
    window->SaveLog();
    EXPECT_TRUE(boxes.empty());  // cancelled

    enteredName = "run";
    window->SaveLog();
    const std::string path = dir.File("run.txt");
    EXPECT_EQ("first\r\nhot\r\n", zktest::ReadWholeFile(path));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Log written to \"" + path + "\"", boxes[0]);

    window->ReceiveMessages({"more"});
    answer = ZMsgAnswer::No;
    window->SaveLog();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("\"" + path + "\" already exists.\nDo you want to overwrite it?", boxes[1]);
    EXPECT_EQ("first\r\nhot\r\n", zktest::ReadWholeFile(path));
    answer = ZMsgAnswer::Yes;
    window->SaveLog();
    EXPECT_EQ("first\r\nhot\r\nmore\r\n", zktest::ReadWholeFile(path));

    // Save To takes the chosen folder and always appends ".txt".
    enteredName = "run.txt";
    window->SaveLogTo();
    EXPECT_EQ("first\r\nhot\r\nmore\r\n", zktest::ReadWholeFile(dir.File("run.txt.txt")));
}

TEST_F(ZelkMsgWndTest, CopyToClipboardAndClearLog) {
    Make();
    Connect();
    window->StatusTick();
    window->ReceiveMessages({"hot!!"});
    window->CopyToClipboard();
    const std::string text = zk::GetClipboardText();
    EXPECT_TRUE(text.starts_with("\nDEVICE : ECU-M4 #1201\nIDENTITY : 0\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\nLAST PROGRAM TIME : Mon Mar 11 09:30:00 2024\n")) << text;
    EXPECT_TRUE(text.ends_with("\nhot\n")) << text;
    window->ClearLog();
    EXPECT_EQ(0u, Rows());
}

TEST_F(ZelkMsgWndTest, MenuItemsFollowTheConnectionAndHotLettersOpenMenus) {
    Make();
    const auto enabled = [&](char item) {
        for (const ZMsgMenuItem& i : window->MenuItems('D'))
            if (i.key == item) return i.enabled;
        return false;
    };
    EXPECT_TRUE(enabled('A'));
    EXPECT_TRUE(enabled('C'));
    EXPECT_FALSE(enabled('D'));
    EXPECT_FALSE(enabled('E'));
    EXPECT_FALSE(window->ChooseMenuItem('D', 'D'));
    EXPECT_TRUE(window->ChooseMenuItem('D', 'A'));  // searching on
    EXPECT_FALSE(enabled('C'));
    EXPECT_EQ("OFFLINE Searching....", window->StateText());
    EXPECT_TRUE(window->ChooseMenuItem('D', 'A'));  // and off again
    Connect();
    EXPECT_FALSE(enabled('A'));
    EXPECT_TRUE(enabled('D'));
    EXPECT_TRUE(window->ChooseMenuItem('D', 'D'));
    EXPECT_EQ(nullptr, window->Device());

    // The Device menu opens as a popup, which the Escape waiting in the queue closes again.
    zk::input::KeyPress(zk::VK_ESCAPE);
    zk::SendMessage(window->Window(), zk::WM_KEYDOWN, 'D', 0);
    EXPECT_EQ('D', window->OpenedMenu());
    zk::input::KeyDown(zk::VK_SHIFT);
    ASSERT_TRUE(zk::PumpPendingMessages());
    zk::SendMessage(window->Window(), zk::WM_KEYDOWN, 'F', 0);
    EXPECT_EQ('D', window->OpenedMenu());
    zk::input::KeyUp(zk::VK_SHIFT);
    ASSERT_TRUE(zk::PumpPendingMessages());
}

TEST_F(ZelkMsgWndTest, ConnectOpensTheChosenDeviceOrSaysItCannot) {
    Make();
    EXPECT_TRUE(window->ChooseMenuItem('D', 'C'));  // cancelled chooser
    EXPECT_EQ(nullptr, window->Device());
    ZKDeviceListEntry gone = entry;
    gone.address1 = 9;
    choice = ZMsgDeviceChoice{gone, {}, 0, 0};
    window->ChooseMenuItem('D', 'C');
    EXPECT_EQ(nullptr, window->Device());
    EXPECT_EQ((std::vector<std::string>{"Could not connect!"}), boxes);
    choice = ZMsgDeviceChoice{entry, {}, 0x1234, 0};
    fakeServer.SetIdentityName(0x1234, 0, "Bench Team");
    window->ChooseMenuItem('D', 'C');
    ASSERT_NE(nullptr, window->Device());
    EXPECT_EQ("ID(Bench Team)", window->ConnectionStatus().DeviceTexts()[0]);
    EXPECT_FALSE(window->ChooseMenuItem('D', 'C'));  // no second device
}

TEST_F(ZelkMsgWndTest, AutoConnectOptionsAreStoredOnlyAfterOk) {
    Make();
    ZMsgAutoConnectOptions stored;
    EXPECT_TRUE(window->ChooseMenuItem('O', 'A'));  // cancelled
    EXPECT_FALSE(registry.LoadAutoConnectOptions(stored));
    edited = ZMsgAutoConnectOptions{1, 1, 0};
    window->ChooseMenuItem('O', 'A');
    EXPECT_EQ(*edited, window->AutoConnectOptions());
    ASSERT_TRUE(registry.LoadAutoConnectOptions(stored));
    EXPECT_EQ(*edited, stored);
}

TEST_F(ZelkMsgWndTest, TheServerLostBoxComesOnceAndYesRestartsOnce) {
    Make();
    int asked = 0;
    int restarted = 0;
    window->SetServerLostHandlers([&](const std::string&) { return ++asked, true; }, [&] { ++restarted; });
    zk::PostMessage(window->Window(), WMU_SERVER_LOST, 0, 0);
    zk::PostMessage(window->Window(), WMU_SERVER_LOST, 0, 0);
    zk::CMessageLoop loop;
    EXPECT_EQ(0, loop.Run());  // the window closes itself and quits with 0
    EXPECT_FALSE(zk::IsWindow(window->Window()));
    EXPECT_EQ(1, asked);
    EXPECT_EQ(1, restarted);
}

TEST_F(ZelkMsgWndTest, CloseWaitsForModalChildrenAndStoresTheRestoredPlacement) {
    Make();
    const zk::HWND hwnd = window->Window();
    zk::MoveWindow(hwnd, 40, 30, 700, 500);
    window->ModalStack().Push(hwnd);
    zk::SendMessage(hwnd, zk::WM_CLOSE, 0, 0);
    EXPECT_TRUE(zk::IsWindow(hwnd));
    window->ModalStack().Remove(hwnd);
    zk::ShowWindow(hwnd, zk::SW_MINIMIZE);
    zk::SendMessage(hwnd, zk::WM_CLOSE, 0, 0);
    EXPECT_FALSE(zk::IsWindow(hwnd));
    zk::WindowPlacement stored;
    ASSERT_TRUE(registry.GetWindowPlacement(stored));
    EXPECT_EQ(static_cast<std::uint32_t>(zk::SW_SHOWNORMAL), stored.showCmd);
    EXPECT_EQ((zk::Rect{40, 30, 740, 530}), stored.normalPosition);
}

TEST_F(ZelkMsgWndTest, ASavedMaximisedPlacementIsAppliedAtCreation) {
    zk::WindowPlacement placement;
    placement.showCmd = zk::SW_SHOWMAXIMIZED;
    placement.normalPosition = {10, 20, 810, 620};
    registry.SetWindowPlacement(placement);
    Make();
    EXPECT_EQ((zk::Rect{10, 20, 810, 620}), zk::GetWindowRect(window->Window()));
    ASSERT_TRUE(zk::PumpPendingMessages());
    EXPECT_TRUE(zk::IsZoomed(window->Window()));
    EXPECT_EQ("ZelkMsg 2.15.83", zk::GetWindowText(window->Window()));
}

TEST_F(ZelkMsgWndTest, CopyDataCommandsZeroToFiveAreKnown) {
    Make();
    const auto send = [&](std::uint32_t command, std::uintptr_t dwData = 0) {
        const auto block = ZKCopyDataCommand::MakeBlock(command, {}, 24);
        zk::COPYDATASTRUCT data{dwData, static_cast<zk::DWORD>(block.size()), block.data()};
        return zk::SendMessage(window->Window(), zk::WM_COPYDATA, 0, reinterpret_cast<zk::LPARAM>(&data));
    };
    for (std::uint32_t command = 0; command <= 5; ++command)
        EXPECT_EQ(1, send(command)) << command;
    EXPECT_EQ(0, send(6));
    EXPECT_EQ(0, send(2, 1));
}

TEST_F(ZelkMsgWndTest, GlobalOptionsSwitchTheWholeWindowToTheChosenScheme) {
    displayOptions.Reload();
    displayOptions.Install();
    ZelkMsgWnd::Settings settings;
    settings.displayOptions = &displayOptions;
    Make(settings);
    const zk::HWND hwnd = window->Window();
    // The caption band, the status bar and the log's background, as the window shows them.
    const auto colours = [&] {
        EXPECT_TRUE(zk::UpdateWindow(hwnd));
        EXPECT_TRUE(zk::SaveWindowPng(hwnd, dir.File("shot.png")));
        const auto shot = ZKBitmap::FromPngFile(dir.File("shot.png"));
        return std::vector<ZKRGB>{shot->Pixel(300, 5), shot->Pixel(300, 40), shot->Pixel(300, 300)};
    };
    const std::vector<ZKRGB> light = colours();
    EXPECT_EQ((ZKRGB{255, 255, 255}), light[2]);

    window->ChooseMenuItem('F', 'G');  // the dialog left as it was
    EXPECT_EQ(light, colours());

    // A dialog open over the window changes with it.
    zk::WindowCreateParams dialogParams;
    dialogParams.style = zk::WS_POPUP | zk::WS_VISIBLE;
    dialogParams.parent = hwnd;  // its owner
    dialogParams.cx = dialogParams.cy = 50;
    dialogParams.proc = zk::DefWindowProc;
    const zk::HWND dialog = zk::CreateWindowEx(dialogParams);
    ASSERT_TRUE(dialog);
    zk::ValidateRect(dialog, nullptr);
    window->ModalStack().Push(dialog);

    globalOptions = ZKGlobalOptions::Flags{false, false, false, false, false};
    window->ChooseMenuItem('F', 'G');
    EXPECT_FALSE(displayOptions.BlackOnWhite()) << "the window heard its own notice";
    zk::Rect update;
    EXPECT_TRUE(zk::GetUpdateRect(dialog, &update)) << "the open dialog is redrawn";
    window->ModalStack().Remove(dialog);
    zk::DestroyWindow(dialog);
    const std::vector<ZKRGB> dark = colours();
    EXPECT_EQ((ZKRGB{0, 0, 0}), dark[2]);
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_NE(light[i], dark[i]) << i;
}

TEST_F(ZelkMsgWndTest, TheCaptionMovesTheWindowAndItsEdgesSizeIt) {
    Make();
    const zk::HWND hwnd = window->Window();
    zk::MoveWindow(hwnd, 100, 100, 800, 600);
    const auto hit = [&](int x, int y) {
        return zk::SendMessage(hwnd, zk::WM_NCHITTEST, 0,
                               zk::PointToLParam(zk::ClientToScreen(hwnd, {x, y})));
    };
    EXPECT_EQ(zk::HTCAPTION, hit(400, 10));
    EXPECT_EQ(zk::HTCLIENT, hit(400, 300));
    EXPECT_EQ(zk::HTLEFT, hit(1, 300));
    EXPECT_EQ(zk::HTTOP, hit(400, 1));
    EXPECT_EQ(zk::HTBOTTOMRIGHT, hit(799, 599));
    EXPECT_EQ(zk::HTTOPLEFT, hit(6, 1));
    zk::ShowWindow(hwnd, zk::SW_MAXIMIZE);
    EXPECT_EQ(zk::HTCAPTION, hit(400, 1));  // a maximised window has no sizing edges
    zk::ShowWindow(hwnd, zk::SW_RESTORE);
}

TEST(ZelkMsgWndSizing, ADraggedEdgeStopsAtTheMinimumAndTheOppositeEdgeStays) {
    zk::Rect r{100, 100, 700, 400};  // 600 × 300
    ZelkMsgWnd::ApplyMinimumSize(zk::WMSZ_LEFT, r);
    EXPECT_EQ((zk::Rect{60, 100, 700, 400}), r);
    r = {100, 100, 700, 400};
    ZelkMsgWnd::ApplyMinimumSize(zk::WMSZ_BOTTOMRIGHT, r);
    EXPECT_EQ((zk::Rect{100, 100, 740, 580}), r);
    r = {100, 100, 700, 400};
    ZelkMsgWnd::ApplyMinimumSize(zk::WMSZ_TOP, r);
    EXPECT_EQ((zk::Rect{100, -80, 700, 400}), r);
    r = {0, 0, 800, 600};
    ZelkMsgWnd::ApplyMinimumSize(zk::WMSZ_TOPLEFT, r);
    EXPECT_EQ((zk::Rect{0, 0, 800, 600}), r);
}

}  // namespace
