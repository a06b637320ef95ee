// The global options dialog driven by its keys: what "OK" stores and announces, what "Cancel" leaves, the
// "this program only" switch; and, with zkgallery as a second running program, a scheme change that
// reaches the other program's windows unless it was made for this program only.
#include "Gui/ZKGlobalOptionsDialog.h"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "Common/ZKRegistry.h"
#include "Gui/GuiWindowTest.h"
#include "Gui/ZKCopyDataCommand.h"
#include "Gui/ZKOptionsNotice.h"
#include "Platform/CopyData.h"
#include "Platform/Input.h"
#include "Platform/Process.h"
#include "Platform/ShellFolders.h"
#include "support/TestSupport.h"

namespace {

using namespace std::chrono_literals;
using Flags = ZKGlobalOptions::Flags;
using Notice = std::pair<ZKGlobalOptions::Option, bool>;

class GlobalOptionsDialogTest : public zktest::GuiWindowTest {
protected:
    void SetUp() override {
        GuiWindowTest::SetUp();
        options_.SetChangeNotifier(
            [this](ZKGlobalOptions::Option option, bool local) { notices_.emplace_back(option, local); });
    }

    // Types the letters into a new dialog, ends it with `last` (Enter or Escape) and returns its result.
    int Run(const std::string& letters, int last, std::optional<ZKGlobalOptionsDialog>& dialog) {
        options_.Reload();
        dialog.emplace(parent, options_, "ZelkMsg");
        for (const char letter : letters)
            zk::input::KeyPress(std::toupper(letter), static_cast<unsigned char>(letter));
        zk::input::KeyPress(last, last == zk::VK_RETURN ? '\r' : 0x1B);
        return dialog->DoModal();
    }
    std::optional<std::uint32_t> Stored(const std::string& key, const std::string& name) {
        const auto opened = zk::RegKey::Open(zk::RegHive::CurrentUser, key);
        const auto value = opened ? opened->QueryValue(name) : std::nullopt;
        if (!value || value->data.size() != 4) return std::nullopt;
        return value->data[0] | value->data[1] << 8 | value->data[2] << 16 | value->data[3] << 24;
    }
    std::vector<std::optional<std::uint32_t>> StoredFour(const std::string& key) {
        return {Stored(key, "NEWGUI"), Stored(key, "ColorBlind"), Stored(key, "ReverseFolderOrder"),
                Stored(key, "FloatingFocus")};
    }

    zktest::TempDir dir_;
    zktest::ScopedEnv hkcu_{"ZK_HKCU_DB", dir_.File("hkcu.db")};
    zktest::ScopedEnv hklm_{"ZK_HKLM_DB", dir_.File("hklm.db")};
    ZKRegistry registry_{"ZelkMsg"};
    ZKGlobalOptions options_{registry_};
    std::vector<Notice> notices_;
    const std::string company_ = "Software\\Zelkor";
    const std::string app_ = "Software\\Zelkor\\ZelkMsg";
    const std::vector<std::optional<std::uint32_t>> none_ = std::vector<std::optional<std::uint32_t>>(4);
};

TEST_F(GlobalOptionsDialogTest, BoxesStartFromTheFlagsAndCancelStoresNothing) {
    ASSERT_TRUE(registry_.SetCompanyDWord("NEWGUI", 0));
    ASSERT_TRUE(registry_.SetCompanyDWord("ColorBlind", 1));
    std::optional<ZKGlobalOptionsDialog> dialog;
    EXPECT_EQ(0, Run("", zk::VK_ESCAPE, dialog));
    EXPECT_EQ((Flags{false, false, true, false, false}), dialog->Chosen());

    EXPECT_EQ(0, Run("rbl", zk::VK_ESCAPE, dialog));
    EXPECT_EQ((Flags{true, true, true, true, false}), dialog->Chosen()) << "the letters tick their boxes";
    EXPECT_EQ((std::vector<std::optional<std::uint32_t>>{0, 1, std::nullopt, std::nullopt}),
              StoredFour(company_));
    EXPECT_EQ(none_, StoredFour(app_));
    EXPECT_FALSE(Stored(app_, "GlobalSettingsAppliedLocally"));
    EXPECT_TRUE(notices_.empty());
}

TEST_F(GlobalOptionsDialogTest, OkStoresAndAnnouncesOnlyWhatChanged) {
    std::optional<ZKGlobalOptionsDialog> dialog;
    EXPECT_EQ(1, Run("cb", zk::VK_RETURN, dialog));
    EXPECT_EQ((std::vector<std::optional<std::uint32_t>>{0, 1, std::nullopt, std::nullopt}),
              StoredFour(company_));
    EXPECT_EQ((std::vector<Notice>{{ZKGlobalOptions::kBlackOnWhite, false},
                                   {ZKGlobalOptions::kColourBlind, false}}),
              notices_);
    EXPECT_EQ(none_, StoredFour(app_));

    notices_.clear();
    EXPECT_EQ(1, Run("", zk::VK_RETURN, dialog));
    EXPECT_TRUE(notices_.empty()) << "nothing changed";
}

TEST_F(GlobalOptionsDialogTest, ThisProgramOnlyWritesAllFourIntoTheProgramsOwnKey) {
    std::optional<ZKGlobalOptionsDialog> dialog;
    EXPECT_EQ(1, Run("lf", zk::VK_RETURN, dialog));
    EXPECT_EQ(1u, Stored(app_, "GlobalSettingsAppliedLocally"));
    EXPECT_EQ((std::vector<std::optional<std::uint32_t>>{1, 0, 0, 1}), StoredFour(app_));
    EXPECT_EQ(none_, StoredFour(company_)) << "the shared key stays as it was";
    EXPECT_EQ((std::vector<Notice>{{ZKGlobalOptions::kBlackOnWhite, true},
                                   {ZKGlobalOptions::kColourBlind, true},
                                   {ZKGlobalOptions::kReverseFolderOrder, true},
                                   {ZKGlobalOptions::kFloatingFocus, true}}),
              notices_);
}

TEST_F(GlobalOptionsDialogTest, UntickingTheSwitchShowsTheSharedFlagsAndOkMakesThemApplyAgain) {
    ASSERT_TRUE(registry_.SetCompanyDWord("NEWGUI", 0));
    ASSERT_TRUE(registry_.SetCompanyDWord("ReverseFolderOrder", 1));
    ASSERT_TRUE(registry_.SetAppDWord("GlobalSettingsAppliedLocally", 1));
    ASSERT_TRUE(registry_.SetAppDWord("NEWGUI", 1));
    ASSERT_TRUE(registry_.SetAppDWord("FloatingFocus", 1));

    std::optional<ZKGlobalOptionsDialog> dialog;
    EXPECT_EQ(0, Run("", zk::VK_ESCAPE, dialog));
    EXPECT_EQ((Flags{true, true, false, false, true}), dialog->Chosen()) << "the program's own flags";

    EXPECT_EQ(1, Run("l", zk::VK_RETURN, dialog));
    EXPECT_EQ((Flags{false, false, false, true, false}), dialog->Chosen()) << "the shared flags";
    EXPECT_FALSE(Stored(app_, "GlobalSettingsAppliedLocally"));
    EXPECT_EQ(none_, StoredFour(app_));
    EXPECT_EQ((std::vector<std::optional<std::uint32_t>>{0, 0, 1, 0}), StoredFour(company_));
    EXPECT_EQ((std::vector<Notice>{{ZKGlobalOptions::kBlackOnWhite, false},
                                   {ZKGlobalOptions::kColourBlind, false},
                                   {ZKGlobalOptions::kReverseFolderOrder, false},
                                   {ZKGlobalOptions::kFloatingFocus, false}}),
              notices_);
    options_.Reload();
    EXPECT_EQ((Flags{false, false, false, true, false}), options_.Current());
}

// This process is one program of the maker (a main window that takes the notices, the options, the dialog);
// zkgallery, started from the same folder, is the other. Its pictures show which scheme it draws in.
class TwoProgramsTest : public zktest::GuiWindowTest {
protected:
    void SetUp() override {
        GuiWindowTest::SetUp();
        zk::WindowCreateParams params;
        params.style = zk::WS_POPUP | zk::WS_VISIBLE;
        params.cx = 200;
        params.cy = 100;
        params.proc = [this](zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam) {
            if (message != zk::WM_COPYDATA) return zk::DefWindowProc(hwnd, message, wParam, lParam);
            return ZKOptionsNotice::OnCopyData(options_, hwnd,
                                               *reinterpret_cast<const zk::COPYDATASTRUCT*>(lParam));
        };
        main_ = zk::CreateWindowEx(params);
        ASSERT_TRUE(main_);
        ASSERT_TRUE(registry_.SetInstallDirectory(std::filesystem::path(gallery_).parent_path()));
        notice_.emplace(options_, registry_, main_);
        options_.Reload();

        const zk::SpawnResult spawned = zk::SpawnDetached(gallery_, {"--headless"});
        ASSERT_TRUE(spawned.started);
        galleryPid_ = spawned.pid;
        galleryTarget_ = {galleryPid_, zk::CopyDataSocketPath(zk::RuntimeFolder(), galleryPid_)};
        ASSERT_TRUE(zktest::WaitUntil([&] { return ::access(galleryTarget_.socketPath.c_str(), F_OK) == 0; },
                                      10000ms))
            << "zkgallery does not listen";
    }

    void TearDown() override {
        if (galleryPid_ > 0 &&
            (!Command(0, "") ||
             !zktest::WaitUntil([&] { return ::access(galleryTarget_.socketPath.c_str(), F_OK) != 0; },
                                5000ms)))
            ::kill(galleryPid_, SIGKILL);
        GuiWindowTest::TearDown();
    }

    bool Command(std::uint32_t command, const std::string& text) {
        const auto block = ZKCopyDataCommand::MakeBlock(command, std::as_bytes(std::span(text)));
        return zk::SendCopyData(galleryTarget_, zk::HWND(), 0, block, 10000) == 1;
    }
    // The colour of a pixel of the gallery's dialogs window and of its message log, as it draws them now.
    std::pair<ZKRGB, ZKRGB> GalleryColours() {
        const std::string folder = dir_.File("shots" + std::to_string(++shots_));
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(Command(1, folder));
        const auto dialogs = ZKBitmap::FromPngFile(folder + "/dialogs.png");
        const auto log = ZKBitmap::FromPngFile(folder + "/log.png");
        if (!dialogs || !log) {
            ADD_FAILURE() << "no pictures in " << folder;
            return {};
        }
        return {dialogs->Pixel(480, 180), log->Pixel(480, 300)};
    }
    int RunDialog(const std::string& letters) {
        ZKGlobalOptionsDialog dialog(main_, options_, "ZelkMsg");
        for (const char letter : letters)
            zk::input::KeyPress(std::toupper(letter), static_cast<unsigned char>(letter));
        zk::input::KeyPress(zk::VK_RETURN, '\r');
        return dialog.DoModal();
    }

    zktest::TempDir dir_;
    zktest::ScopedEnv runtime_{"XDG_RUNTIME_DIR", dir_.Path()};
    zktest::ScopedEnv hkcu_{"ZK_HKCU_DB", dir_.File("hkcu.db")};
    zktest::ScopedEnv hklm_{"ZK_HKLM_DB", dir_.File("hklm.db")};
    const std::string gallery_ = ZK_GALLERY;
    ZKRegistry registry_{"ZelkMsg"};
    ZKGlobalOptions options_{registry_};
    zk::HWND main_;
    std::optional<ZKOptionsNotice> notice_;
    pid_t galleryPid_ = 0;
    zk::CopyDataTarget galleryTarget_;
    int shots_ = 0;
};

TEST_F(TwoProgramsTest, ASchemeChangeRedrawsTheOtherProgramUnlessItIsForThisProgramOnly) {
    constexpr ZKRGB kLight{255, 255, 255};  // the window background in the light scheme
    constexpr ZKRGB kDark{0, 0, 0};         // and in the dark one
    EXPECT_EQ(std::make_pair(kLight, kLight), GalleryColours());

    ASSERT_EQ(1, RunDialog("b"));
    EXPECT_FALSE(options_.BlackOnWhite()) << "this program heard its own notice";
    EXPECT_EQ(std::make_pair(kDark, kDark), GalleryColours());

    // A stray notice would now make the gallery read the light scheme that is stored behind its back.
    ASSERT_TRUE(registry_.SetCompanyDWord("NEWGUI", 1));
    ASSERT_EQ(1, RunDialog("lb"));
    EXPECT_TRUE(options_.Local());
    EXPECT_TRUE(options_.BlackOnWhite());
    EXPECT_EQ(std::make_pair(kDark, kDark), GalleryColours());
}

}  // namespace
