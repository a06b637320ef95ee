#include "Platform/CopyData.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Platform/Process.h"
#include "Platform/ShellFolders.h"
#include "Platform/Window.h"
#include "support/TestSupport.h"
#include "support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using namespace zk;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kPeerQuit = 0x5155495400000000ull;  // ends zk_copydata_peer

std::vector<std::byte> Bytes(std::string_view text) {
    std::vector<std::byte> out;
    for (char c : text)
        out.push_back(static_cast<std::byte>(c));
    return out;
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// A socket file that nobody listens on, as a crashed program leaves it.
void MakeDeadSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(0, ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address));
    ::close(fd);
}

TEST(CopyDataFrameReader, AFrameSurvivesAnySplitStopsAtItsEndAndRespectsTheCap) {
    auto frame = EncodeCopyDataFrame(0x1122334455667788ull, Bytes("hello"));
    frame.push_back(std::byte{0xEE});  // the start of something else
    CopyDataFrameReader reader;
    std::size_t total = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        std::size_t used = 0;
        reader.Feed(std::span(frame).subspan(i, 1), used);
        total += used;
    }
    EXPECT_EQ(CopyDataFrameReader::Status::Complete, reader.GetStatus());
    EXPECT_EQ(frame.size() - 1, total);
    EXPECT_EQ(0x1122334455667788ull, reader.DwData());
    EXPECT_EQ(5u, reader.CbData());
    EXPECT_EQ(Bytes("hello"), reader.Bytes());

    // A frame over the cap is refused at its header, before any of its body is taken.
    CopyDataFrameReader capped(4);
    std::size_t used = 0;
    EXPECT_EQ(CopyDataFrameReader::Status::TooLarge, capped.Feed(frame, used));
    EXPECT_EQ(kCopyDataHeaderSize, used);
}

// A window of this process that records what it receives.
class CopyDataEndpointTest : public ::testing::Test {
protected:
    struct Received {
        std::uint64_t dwData = 0;
        std::vector<std::byte> bytes;
        WPARAM wParam = 0;
        bool onGuiThread = false;
    };

    void SetUp() override {
        WindowCreateParams params;
        params.proc = [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message != WM_COPYDATA) return DefWindowProc(hwnd, message, wParam, lParam);
            const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            const auto* first = static_cast<const std::byte*>(data.lpData);
            received_.push_back({data.dwData, {first, first + data.cbData}, wParam, IsGuiThread()});
            return 42;
        };
        window_ = CreateWindowEx(params);
        ASSERT_TRUE(window_);
    }

    // Runs `work` on another thread while this (the GUI) thread dispatches messages.
    void RunBeside(const std::function<void()>& work) {
        zktest::Watchdog watchdog(10s, "copy-data loop");
        std::thread worker([&] {
            work();
            PostMessage(HWND(), WM_USER, 0, 0);
        });
        MSG msg;
        while (GetMessage(msg) && !(msg.message == WM_USER && !msg.hwnd))
            DispatchMessage(msg);
        worker.join();
    }

    zktest::TempDir dir_;
    zktest::ScopedEnv runtime_{"XDG_RUNTIME_DIR", dir_.Path()};
    WindowSystemScope windowSystem_;
    HWND window_;
    std::vector<Received> received_;
};

TEST_F(CopyDataEndpointTest, AMessageArrivesOnTheGuiThreadAndItsAnswerReturns) {
    CopyDataEndpoint endpoint;
    std::string error;
    ASSERT_TRUE(endpoint.Open(window_, error)) << error;
    const std::string path = endpoint.SocketPath();
    EXPECT_EQ(CopyDataSocketPath(RuntimeFolder(), ::getpid()), path);
    struct stat st {};
    ASSERT_EQ(0, ::stat(path.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);

    const CopyDataTarget self{::getpid(), path};
    std::optional<LRESULT> answer;
    RunBeside([&] { answer = SendCopyData(self, HWND(), 7, Bytes("payload")); });
    EXPECT_EQ(42, answer.value_or(-1));
    ASSERT_EQ(1u, received_.size());
    EXPECT_EQ(7u, received_[0].dwData);
    EXPECT_EQ(Bytes("payload"), received_[0].bytes);
    EXPECT_EQ(0u, received_[0].wParam);
    EXPECT_TRUE(received_[0].onGuiThread);

    // From the GUI thread itself the message goes straight to the window, with the sender's handle.
    EXPECT_EQ(42, SendCopyData(self, window_, 8, Bytes("x")).value_or(-1));
    ASSERT_EQ(2u, received_.size());
    EXPECT_EQ(window_.ToWParam(), received_[1].wParam);

    endpoint.Close();
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(SendCopyData(self, window_, 9, Bytes("late")).has_value());
    EXPECT_EQ(2u, received_.size());
}

TEST_F(CopyDataEndpointTest, AnOversizeFrameIsDroppedUnansweredAndTheEndpointServesOn) {
    CopyDataEndpoint endpoint;
    std::string error;
    ASSERT_TRUE(endpoint.Open(window_, error)) << error;

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, endpoint.SocketPath().c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(0, ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address));
    const auto header = EncodeCopyDataFrame(1, {});
    std::vector<std::byte> huge(header.begin(), header.end());
    const std::uint32_t size = kCopyDataMaxBytes + 1;
    std::memcpy(huge.data() + 8, &size, 4);  // the machine is little-endian like the frame
    ASSERT_EQ(static_cast<ssize_t>(huge.size()), ::send(fd, huge.data(), huge.size(), MSG_NOSIGNAL));
    timeval limit{3, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    char answer[8];
    EXPECT_EQ(0, ::recv(fd, answer, sizeof answer, 0)) << "closed without an answer";
    ::close(fd);

    std::optional<LRESULT> next;
    RunBeside([&] { next = SendCopyData({::getpid(), endpoint.SocketPath()}, HWND(), 2, Bytes("ok")); });
    EXPECT_EQ(42, next.value_or(-1));
    ASSERT_EQ(1u, received_.size());
    EXPECT_EQ(2u, received_[0].dwData);
}

TEST_F(CopyDataEndpointTest, AnOpenFolderOrASecondEndpointIsRefused) {
    std::string error;
    ASSERT_TRUE(CreateFolderTree(RuntimeFolder(), 0700));
    ASSERT_EQ(0, ::chmod(RuntimeFolder().c_str(), 0750));
    CopyDataEndpoint endpoint;
    EXPECT_FALSE(endpoint.Open(window_, error));
    EXPECT_NE(std::string::npos, error.find("mode 750")) << error;

    ASSERT_EQ(0, ::chmod(RuntimeFolder().c_str(), 0700));
    ASSERT_TRUE(endpoint.Open(window_, error)) << error;
    CopyDataEndpoint second;
    EXPECT_FALSE(second.Open(window_, error));
    endpoint.Close();
    EXPECT_TRUE(second.Open(window_, error)) << error;
}

// Other programs: zk_copydata_peer processes, spawned with our runtime folder.
class CopyDataProgramsTest : public ::testing::Test {
protected:
    struct Peer {
        pid_t pid = 0;
        std::string out;
        CopyDataTarget Target() const { return {pid, CopyDataSocketPath(RuntimeFolder(), pid)}; }
    };

    void TearDown() override {
        for (const Peer& peer : peers_) {
            // A peer that quits cleanly removes its socket; an exited process may linger as a zombie of
            // whoever adopted it, so the socket is what tells.
            if (!SendCopyData(peer.Target(), HWND(), kPeerQuit, {}) ||
                !zktest::WaitUntil([&] { return !Exists(peer.Target().socketPath); }, 3000ms))
                ::kill(peer.pid, SIGKILL);
        }
    }

    Peer Start(const std::string& program, std::vector<std::string> options = {}) {
        const std::string tag = std::to_string(peers_.size());
        Peer peer{0, dir_.File("peer" + tag + ".out")};
        const std::string ready = dir_.File("peer" + tag + ".ready");
        options.insert(options.end(), {"--out", peer.out, "--ready", ready});
        const SpawnResult spawned = SpawnDetached(program, options);
        EXPECT_TRUE(spawned.started);
        EXPECT_TRUE(zktest::WaitUntil([&] { return Exists(ready); }, 5000ms)) << program;
        peer.pid = spawned.pid;
        peers_.push_back(peer);
        return peer;
    }

    std::string Received(const Peer& peer) { return Exists(peer.out) ? zktest::ReadWholeFile(peer.out) : ""; }

    zktest::TempDir dir_;
    zktest::ScopedEnv runtime_{"XDG_RUNTIME_DIR", dir_.Path()};
    const std::string program_ = ZK_COPYDATA_PEER;
    const std::string install_ = std::filesystem::path(program_).parent_path();
    std::vector<Peer> peers_;
};

TEST_F(CopyDataProgramsTest, OnlyProgramsInTheInstallFolderAreTargetsAndASlowOneIsSkipped) {
    const std::string elsewhere = dir_.File("elsewhere");
    std::filesystem::create_directory(elsewhere);
    const std::string copy = elsewhere + "/zk_copydata_peer";
    std::filesystem::copy_file(program_, copy);

    const Peer fast = Start(program_, {"--answer", "5"});
    const Peer slow = Start(program_, {"--answer", "6", "--delay-ms", "3000"});
    const Peer outside = Start(copy);
    EXPECT_EQ((std::vector<CopyDataTarget>{fast.Target(), slow.Target()}),
              (std::vector<CopyDataTarget>{FindCopyDataTargets(install_)}))
        << "ordered by pid";
    EXPECT_EQ(std::vector<CopyDataTarget>{outside.Target()}, FindCopyDataTargets(elsewhere));

    const auto start = Clock::now();
    const CopyDataBroadcast outcome = BroadcastCopyData(install_, HWND(), 9, Bytes("abc"));
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(1u, outcome.answered);
    EXPECT_EQ(1u, outcome.failed);
    EXPECT_LT(elapsed, 1800ms) << "the slow program costs at most the 1000 ms time-out";
    EXPECT_EQ("dw=9 cb=3 gui=1 wp=0 data=616263\n", Received(fast));
    EXPECT_TRUE(zktest::WaitUntil([&] { return !Received(slow).empty(); }, 2000ms));
    EXPECT_EQ("", Received(outside));

    EXPECT_EQ(5, SendCopyData(fast.Target(), HWND(), 1, Bytes("")).value_or(-1));
}

TEST_F(CopyDataProgramsTest, AnEndpointGoesAwayWithItsWindow) {
    const Peer peer = Start(program_);
    ASSERT_TRUE(Exists(peer.Target().socketPath));
    EXPECT_TRUE(SendCopyData(peer.Target(), HWND(), kPeerQuit, {}).has_value());
    EXPECT_TRUE(zktest::WaitUntil([&] { return !Exists(peer.Target().socketPath); }, 3000ms));
}

TEST_F(CopyDataProgramsTest, StaleSocketsAreRemovedByWhoeverFindsThem) {
    ASSERT_TRUE(CreateFolderTree(RuntimeFolder(), 0700));
    // A process that is gone: the highest pid not in use.
    std::ifstream maxFile("/proc/sys/kernel/pid_max");
    pid_t dead = 0;
    maxFile >> dead;
    while (--dead > 1 && (::kill(dead, 0) == 0 || errno != ESRCH)) {
    }
    const std::string gone = CopyDataSocketPath(RuntimeFolder(), dead);
    MakeDeadSocket(gone);

    // A live process of the install folder whose socket has no listener.
    const auto sleep = FindProgram("sleep");
    ASSERT_TRUE(sleep);
    const SpawnResult sleeper = SpawnDetached(*sleep, {"5"});
    ASSERT_TRUE(sleeper.started);
    const std::string unheard = CopyDataSocketPath(RuntimeFolder(), sleeper.pid);
    MakeDeadSocket(unheard);
    const std::string sleepFolder = std::filesystem::canonical(*sleep).parent_path();

    EXPECT_EQ((std::vector<CopyDataTarget>{{sleeper.pid, unheard}}), FindCopyDataTargets(sleepFolder));
    EXPECT_FALSE(Exists(gone));
    const CopyDataBroadcast outcome = BroadcastCopyData(sleepFolder, HWND(), 0, Bytes("x"));
    EXPECT_EQ(0u, outcome.answered);
    EXPECT_EQ(1u, outcome.failed);
    EXPECT_FALSE(Exists(unheard));
    ::kill(sleeper.pid, SIGKILL);
}

}  // namespace
