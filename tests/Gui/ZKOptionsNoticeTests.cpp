#include "Gui/ZKOptionsNotice.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "Common/ZKRegistry.h"
#include "Gui/ZKCopyDataCommand.h"
#include "Platform/CopyData.h"
#include "Platform/Process.h"
#include "Platform/ShellFolders.h"
#include "Platform/Window.h"
#include "support/TestSupport.h"

namespace {

using namespace std::chrono_literals;
using namespace zk;

constexpr std::uint64_t kPeerQuit = 0x5155495400000000ull;  // ends zk_copydata_peer

std::string Hex(const std::vector<std::byte>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::byte b : bytes) {
        hex += digits[std::to_integer<int>(b) >> 4];
        hex += digits[std::to_integer<int>(b) & 15];
    }
    return hex;
}

COPYDATASTRUCT Block(const std::vector<std::byte>& bytes, std::uintptr_t dwData = 0) {
    COPYDATASTRUCT data;
    data.dwData = dwData;
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = bytes.data();
    return data;
}

TEST(ZKCopyDataCommand, ABlockNeedsKindZeroTheTagAndMoreThanSixteenBytes) {
    const auto notice = ZKCopyDataCommand::MakeNotice(3);
    ASSERT_EQ(288u, notice.size());
    EXPECT_EQ(
        "d7a172b025168048a8846175d1996733"
        "03000000" +
            std::string(2 * 268, '0'),
        Hex(notice));
    const auto parsed = ZKCopyDataCommand::Parse(Block(notice));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(3u, parsed->command);
    EXPECT_EQ(268u, parsed->argument.size());

    EXPECT_FALSE(ZKCopyDataCommand::Parse(Block(notice, 1))) << "data kind 1";
    const std::vector<std::byte> tagOnly(notice.begin(), notice.begin() + 16);
    EXPECT_FALSE(ZKCopyDataCommand::Parse(Block(tagOnly)));
    auto wrongTag = notice;
    wrongTag[15] = std::byte{0x34};
    EXPECT_FALSE(ZKCopyDataCommand::Parse(Block(wrongTag)));

    // 17 bytes carry the command's low byte only; nothing beyond the block is read.
    const std::vector<std::byte> shortest(notice.begin(), notice.begin() + 17);
    const auto partial = ZKCopyDataCommand::Parse(Block(shortest));
    ASSERT_TRUE(partial);
    EXPECT_EQ(3u, partial->command);
    EXPECT_TRUE(partial->argument.empty());
}

// This program's main window (with one child), its options, and other programs of the maker.
class ZKOptionsNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        WindowCreateParams params;
        params.style = WS_VISIBLE;
        params.x = params.y = 0;
        params.cx = 200;
        params.cy = 100;
        params.proc = [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message != WM_COPYDATA) return DefWindowProc(hwnd, message, wParam, lParam);
            ++noticesSeen_;
            return ZKOptionsNotice::OnCopyData(options_, hwnd,
                                               *reinterpret_cast<const COPYDATASTRUCT*>(lParam),
                                               [this] { ++schemeChanges_; });
        };
        main_ = CreateWindowEx(params);
        WindowCreateParams childParams;
        childParams.style = WS_CHILD | WS_VISIBLE;
        childParams.parent = main_;
        childParams.x = childParams.y = 10;
        childParams.cx = childParams.cy = 20;
        childParams.proc = DefWindowProc;
        child_ = CreateWindowEx(childParams);
        ASSERT_TRUE(main_ && child_);
        std::string error;
        ASSERT_TRUE(endpoint_.Open(main_, error)) << error;
        notice_.emplace(options_, registry_, main_);
        ASSERT_TRUE(registry_.SetInstallDirectory(std::filesystem::path(peerProgram_).parent_path()));
        options_.Reload();
    }

    void TearDown() override {
        if (peer_ > 0 &&
            (!SendCopyData({peer_, CopyDataSocketPath(RuntimeFolder(), peer_)}, HWND(), kPeerQuit, {}) ||
             !zktest::WaitUntil(
                 [&] { return ::access(CopyDataSocketPath(RuntimeFolder(), peer_).c_str(), F_OK) != 0; },
                 3000ms)))
            ::kill(peer_, SIGKILL);
    }

    void StartPeer() {
        const std::string ready = dir_.File("peer.ready");
        const SpawnResult spawned = SpawnDetached(peerProgram_, {"--out", peerOut_, "--ready", ready});
        ASSERT_TRUE(spawned.started);
        peer_ = spawned.pid;
        ASSERT_TRUE(zktest::WaitUntil([&] { return ::access(ready.c_str(), F_OK) == 0; }, 5000ms));
    }

    bool ChildNeedsPaint() {
        Rect update;
        return GetUpdateRect(child_, &update);
    }
    void PaintEverything() {
        ValidateRect(main_, nullptr);
        ValidateRect(child_, nullptr);
    }
    std::string PeerReceived() {
        return ::access(peerOut_.c_str(), F_OK) == 0 ? zktest::ReadWholeFile(peerOut_) : "";
    }

    zktest::TempDir dir_;
    zktest::ScopedEnv runtime_{"XDG_RUNTIME_DIR", dir_.Path()};
    zktest::ScopedEnv hkcu_{"ZK_HKCU_DB", dir_.File("hkcu.db")};
    zktest::ScopedEnv hklm_{"ZK_HKLM_DB", dir_.File("hklm.db")};
    const std::string peerProgram_ = ZK_COPYDATA_PEER;
    const std::string peerOut_ = dir_.File("peer.out");
    WindowSystemScope windowSystem_;
    ZKRegistry registry_{"ZelkMsg"};
    ZKGlobalOptions options_{registry_};
    HWND main_;
    HWND child_;
    CopyDataEndpoint endpoint_;
    std::optional<ZKOptionsNotice> notice_;
    pid_t peer_ = 0;
    int noticesSeen_ = 0;
    int schemeChanges_ = 0;
};

TEST_F(ZKOptionsNoticeTest, OurOwnWindowReloadsAndRedrawsAsTheOptionAsks) {
    PaintEverything();
    ASSERT_TRUE(options_.SetColourBlind(false, true));
    EXPECT_TRUE(options_.ColourBlind()) << "reloaded through the notice";
    EXPECT_EQ(1, noticesSeen_) << "our own process is reached once";
    EXPECT_EQ(0, schemeChanges_);
    EXPECT_TRUE(ChildNeedsPaint());

    PaintEverything();
    ASSERT_TRUE(options_.SetBlackOnWhite(false, false));
    EXPECT_FALSE(options_.BlackOnWhite());
    EXPECT_EQ(1, schemeChanges_);
    EXPECT_TRUE(ChildNeedsPaint());

    PaintEverything();
    ASSERT_TRUE(options_.SetLocal(true));
    ASSERT_TRUE(options_.SetFloatingFocus(true, true));
    EXPECT_TRUE(options_.Local());
    EXPECT_TRUE(options_.FloatingFocus());
    EXPECT_FALSE(ChildNeedsPaint()) << "floating focus does not redraw";
    EXPECT_EQ(3, noticesSeen_);
}

TEST_F(ZKOptionsNoticeTest, OtherProgramsHearOfSharedChangesOnly) {
    StartPeer();
    ASSERT_TRUE(options_.SetLocal(true));
    ASSERT_TRUE(options_.SetReverseFolderOrder(true, true));
    EXPECT_EQ("", PeerReceived()) << "a local change stays here";
    EXPECT_TRUE(options_.ReverseFolderOrder());

    ASSERT_TRUE(options_.SetLocal(false));
    ASSERT_TRUE(options_.SetBlackOnWhite(false, false));
    EXPECT_EQ("dw=0 cb=288 gui=1 wp=0 data=" + Hex(ZKCopyDataCommand::MakeNotice(2)) + "\n", PeerReceived());
}

}  // namespace
