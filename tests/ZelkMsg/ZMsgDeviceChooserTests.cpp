// The device chooser driven through its modal steps with an in-process server: the box after a failed
// search (Rescan, Filter, Cancel), AutoConnectAsRoot, Rescan and Security inside the dialog keeping the
// current identity, and the filter marking other types.
#include "ZelkMsg/ZMsgDeviceChooser.h"

#include <deque>
#include <typeinfo>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKServer.h"
#include "Gui/DialogTestSupport.h"
#include "Gui/ZKMessageBox.h"
#include "Platform/Input.h"
#include "ZelkMsg/ZCChooseDeviceAccessDialog.h"
#include "ZelkMsg/ZCDevFilterOptionsDialog.h"
#include "ZelkMsg/ZMsgRegistry.h"
#include "support/FakeZKServer.h"
#include "support/TestSupport.h"

namespace {

using zktest::GuiWindowTest;
using Op = FakeZKServer::Op;
using zk::input::KeyPress;

constexpr std::uint16_t kRoot = 4660;
constexpr std::uint16_t kUser = 21;

ZKDeviceListEntry Device(const std::string& type, std::uint32_t serial, std::uint16_t rootId) {
    ZKDeviceListEntry entry;
    entry.address1 = serial;
    entry.identity.typeName = type;
    entry.identity.serialNumber = serial;
    entry.identity.rootId = rootId;
    entry.identity.boxState = 10000;
    entry.identity.mainMajor = 3;
    entry.identity.mainMinor = 1;
    entry.identity.mainBuild = 7;
    entry.description = "bench";
    return entry;
}

class DeviceChooserTest : public GuiWindowTest {
protected:
    zktest::TempDir dir;
    zktest::ScopedEnv hkcu{"ZK_HKCU_DB", dir.File("hkcu.db")};
    zktest::ScopedEnv hklm{"ZK_HKLM_DB", dir.File("hklm.db")};
    ZMsgRegistry registry;
    ZKTimerServer timers;
    FakeZKServer fake;
    std::unique_ptr<ZKServer> server;
    zktest::StandInOwner owner;

    void SetUp() override {
        GuiWindowTest::SetUp();
        zk::ShowWindow(parent, zk::SW_HIDE);
    }
    void Serve(const std::vector<ZKDeviceListEntry>& devices) {
        std::vector<std::uint8_t> list;
        for (const ZKDeviceListEntry& d : devices) {
            const auto bytes = d.Encode();
            list.insert(list.end(), bytes.begin(), bytes.end());
        }
        fake.SetDeviceList(list);
    }
    // An ECU with the root identity "Root", the user identity "User" and an extra identity without a name.
    void ServeEcuWithTwoIdentities() {
        ZKDeviceListEntry ecu = Device("ECU-M4", 1201, kRoot);
        ecu.identity.extraRootIds[0] = kRoot;
        ecu.identity.extraUserIds[0] = kUser;
        fake.SetAccessList({kRoot, 0, 0, 0, 0}, {kRoot, 0, 0, kRoot, kUser, 0});
        fake.SetIdentityName(kRoot, 0, "Root");
        fake.SetIdentityName(kRoot, kUser, "User");
        Serve({ecu});
    }
    std::optional<ZMsgDeviceChoice> Choose() {
        if (!server) {
            const FakeZKServer copy = fake;
            server = std::make_unique<ZKServer>([copy] { return std::make_unique<FakeZKServer>(copy); });
        }
        ZMsgDeviceChooser chooser(*server, registry, owner.MainWindow());
        return chooser.Choose(0, {});
    }

    ZKDialogBase* Top() const {
        const auto stack = owner.Stack();
        ZKDialogBase* dialog = nullptr;
        if (!stack.empty())
            zk::SendMessage(stack.back(), zk::WM_USER, reinterpret_cast<zk::WPARAM>(&dialog), 0);
        return dialog;
    }
    // Test steps, run in order inside the modal loops, each once its dialog is on top and ready. They are
    // polled on a timer, so that the loops keep taking the input the steps inject.
    struct Step {
        std::function<bool()> ready;
        std::function<void()> run;
    };
    std::deque<Step> steps;

    void Poll() {
        owner.After(5, [this] {
            if (!steps.empty() && steps.front().ready()) {
                const Step step = std::move(steps.front());
                steps.pop_front();
                step.run();
            }
            if (!steps.empty()) Poll();
        });
    }
    void Add(Step step) {
        steps.push_back(std::move(step));
        if (steps.size() == 1) Poll();
    }
    template <class T>
    bool TopIs() const {
        ZKDialogBase* top = Top();
        return top && typeid(*top) == typeid(T);
    }
    template <class T>
    void When(
        std::function<void(T&)> step, std::function<bool(T&)> ready = [](T&) { return true; }) {
        Add({[this, ready] { return TopIs<T>() && ready(dynamic_cast<T&>(*Top())); },
             [this, step] { step(dynamic_cast<T&>(*Top())); }});
    }
    // The message box is a dialog only to itself: it is recognised by its type and driven by keys.
    void WhenBox(std::function<void()> step) {
        Add({[this] { return TopIs<ZKMessageBox>(); }, step});
    }
    static std::vector<std::string> RowTexts(ZCChooseDeviceAccessDialog& dialog) {
        std::vector<std::string> texts;
        for (int i = 0; i < dialog.Rows().Count(); ++i)
            texts.push_back(dialog.Rows().At(i).Text());
        return texts;
    }
    static std::string CurrentText(ZCChooseDeviceAccessDialog& dialog) {
        return dialog.Rows().At(dialog.Rows().Current()).Text();
    }
};

TEST_F(DeviceChooserTest, AFailedSearchOffersRescanAndTheNextSearchShowsTheDevices) {
    Serve({});
    WhenBox([this] {
        Serve({Device("PDU-16", 77, 0)});
        KeyPress('R', 'r');
    });
    When<ZCChooseDeviceAccessDialog>([](ZCChooseDeviceAccessDialog& dialog) {
        EXPECT_EQ((std::vector<std::string>{"PDU-16#0077 3-1-7 bench"}), RowTexts(dialog));
        EXPECT_TRUE(dialog.OkButton().Enabled());
        // One row of buttons, 10 pixels apart and 10 above the bottom edge: OK, Cancel, Rescan, Security.
        const zk::Rect client = zk::GetWindowRect(dialog.Window());
        zk::Rect previous = zk::GetWindowRect(dialog.OkButton().Window());
        EXPECT_EQ(client.bottom - 10, previous.bottom);
        for (ZKButton* b : {&dialog.CancelButton(), &dialog.RescanButton(), &dialog.SecurityButton()}) {
            const zk::Rect r = zk::GetWindowRect(b->Window());
            EXPECT_EQ(previous.right + 10, r.left) << b->Text();
            EXPECT_EQ(previous.top, r.top) << b->Text();
            previous = r;
        }
        KeyPress(zk::VK_RETURN, '\r');
    });
    const auto choice = Choose();
    ASSERT_TRUE(choice);
    EXPECT_EQ(77u, choice->entry.identity.serialNumber);
    EXPECT_EQ(0, choice->rootId);
    EXPECT_EQ(2, fake.Calls(Op::GetDeviceList));

    // Cancel (Enter presses it too) gives up.
    Serve({});
    WhenBox([] { KeyPress(zk::VK_RETURN, '\r'); });
    EXPECT_FALSE(Choose());
}

TEST_F(DeviceChooserTest, AutoConnectAsRootTakesTheOnlyDeviceWithoutTheDialog) {
    ASSERT_TRUE(registry.SetCompanyDWord("AutoConnectAsRoot", 1));
    Serve({Device("PDU-16", 77, 0)});
    int shown = 0;
    When<ZCChooseDeviceAccessDialog>([&](ZCChooseDeviceAccessDialog&) {
        ++shown;
        KeyPress(zk::VK_ESCAPE, 0x1B);
    });
    const auto choice = Choose();
    ASSERT_TRUE(choice);
    EXPECT_EQ(77u, choice->entry.identity.serialNumber);
    EXPECT_EQ(0, shown);

    // With two devices the user chooses.
    Serve({Device("PDU-16", 77, 0), Device("LOG-2", 5, 0)});
    EXPECT_FALSE(Choose());
    EXPECT_EQ(1, shown);
}

TEST_F(DeviceChooserTest, RescanAndSecurityKeepTheCurrentIdentity) {
    fake.SetVersion(1, 7);
    ServeEcuWithTwoIdentities();
    const auto searches = [this](int n) {
        return [this, n](ZCChooseDeviceAccessDialog&) { return fake.Calls(Op::GetDeviceList) >= n; };
    };
    When<ZCChooseDeviceAccessDialog>([](ZCChooseDeviceAccessDialog& dialog) {
        EXPECT_EQ((std::vector<std::string>{"ECU-M4#1201 3-1-7 Root", "ECU-M4#1201 3-1-7 User",
                                            "ECU-M4#1201 3-1-7 bench : No Identity File"}),
                  RowTexts(dialog));
        EXPECT_EQ("ECU-M4#1201 3-1-7 Root", CurrentText(dialog));
        KeyPress(zk::VK_DOWN);
        KeyPress('R', 'r');
    });
    When<ZCChooseDeviceAccessDialog>(
        [](ZCChooseDeviceAccessDialog& dialog) {
            EXPECT_EQ("ECU-M4#1201 3-1-7 User", CurrentText(dialog)) << "after Rescan";
            dialog.SecurityButton().Press();
        },
        searches(2));
    When<ZCChooseDeviceAccessDialog>(
        [this](ZCChooseDeviceAccessDialog& dialog) {
            EXPECT_EQ((std::pair{kRoot, kUser}), fake.SelectedIdentity());
            EXPECT_EQ("ECU-M4#1201 3-1-7 User", CurrentText(dialog)) << "after Security";
            KeyPress(zk::VK_RETURN, '\r');
        },
        searches(3));
    const auto choice = Choose();
    ASSERT_TRUE(choice);
    EXPECT_EQ(kRoot, choice->rootId);
    EXPECT_EQ(kUser, choice->userId);
    EXPECT_EQ(kUser, choice->access.userId);
}

TEST_F(DeviceChooserTest, SecurityNeedsServer17AndAFailedRescanEmptiesTheList) {
    fake.SetVersion(1, 6);
    ServeEcuWithTwoIdentities();
    When<ZCChooseDeviceAccessDialog>([this](ZCChooseDeviceAccessDialog& dialog) {
        dialog.SecurityButton().Press();
        zk::PumpPendingMessages();
        EXPECT_EQ(0, fake.Calls(Op::SelectIdentity));
        EXPECT_EQ(1, fake.Calls(Op::GetDeviceList));
        Serve({});
        KeyPress('R', 'R');
    });
    When<ZCChooseDeviceAccessDialog>(
        [](ZCChooseDeviceAccessDialog& dialog) {
            EXPECT_EQ((std::vector<std::string>{ZKChooseDialog::kPlaceholder}), RowTexts(dialog));
            EXPECT_FALSE(dialog.OkButton().Enabled());
            KeyPress(zk::VK_ESCAPE, 0x1B);
        },
        [this](ZCChooseDeviceAccessDialog&) { return fake.Calls(Op::GetDeviceList) >= 2; });
    EXPECT_FALSE(Choose());
}

TEST_F(DeviceChooserTest, TheFilterChosenAfterAFailedSearchDisablesOtherTypes) {
    Serve({});
    WhenBox([] { KeyPress('F', 'f'); });
    When<ZCDevFilterOptionsDialog>([this](ZCDevFilterOptionsDialog& filter) {
        filter.EnableBox().Press();
        zk::PumpPendingMessages();
        for (std::size_t i = 0; i < ZCDevFilterOptionsDialog::kTypeCount; ++i)
            if (ZCDevFilterOptionsDialog::kDeviceTypes[i] != std::string("PDU-16")) filter.TypeBox(i).Press();
        Serve({Device("ECU-M4", 1201, 0), Device("PDU-16", 77, 0)});
        KeyPress(zk::VK_RETURN, '\r');
    });
    When<ZCChooseDeviceAccessDialog>([](ZCChooseDeviceAccessDialog& dialog) {
        EXPECT_EQ((std::vector<std::string>{"PDU-16#0077 3-1-7 bench", "{Filtered} ECU-M4#1201 3-1-7 bench"}),
                  RowTexts(dialog));
        EXPECT_TRUE(dialog.Rows().At(0).Enabled());
        EXPECT_FALSE(dialog.Rows().At(1).Enabled());
        KeyPress(zk::VK_ESCAPE, 0x1B);
    });
    EXPECT_FALSE(Choose());
    EXPECT_EQ(2, fake.Calls(Op::GetDeviceList));

    // Cancel in the filter dialog gives up without searching again.
    Serve({});
    WhenBox([] { KeyPress('F', 'f'); });
    When<ZCDevFilterOptionsDialog>([](ZCDevFilterOptionsDialog&) { KeyPress(zk::VK_ESCAPE, 0x1B); });
    EXPECT_FALSE(Choose());
    EXPECT_EQ(3, fake.Calls(Op::GetDeviceList));
}

}  // namespace
