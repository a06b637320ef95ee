// The readers of real text links: pseudo-terminals stand in for serial ports (reached through a symlink that
// the tests remove and recreate, as a USB adapter's path comes and goes), and loopback sockets for TCP peers.
#include "ZelkNetServer/ZelkNetLink.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

#include "ZelkNetServer/ZelkNetSerialPort.h"
#include "ZelkNetServer/ZelkNetTcpPort.h"
#include "support/TestSupport.h"

namespace {

using Lines = std::vector<std::string>;
constexpr auto kPatience = std::chrono::seconds(10);

// Records what a link reports and lets the test wait for it.
class Recorder {
public:
    ZelkNetLinkSink Sink() {
        return {[this](bool up) { Update([&] { states_.push_back(up); }); },
                [this](const Lines& lines) {
                    Update([&] { lines_.insert(lines_.end(), lines.begin(), lines.end()); });
                },
                nullptr};
    }
    bool WaitForLines(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return lines_.size() >= count; });
    }
    // Waits until the link has reported `up` for the n-th time (counted from 1 per state).
    bool WaitForState(bool up, std::size_t times = 1) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] {
            return std::size_t(std::count(states_.begin(), states_.end(), up)) >= times;
        });
    }
    Lines Taken() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    void Update(const std::function<void()>& change) {
        {
            std::lock_guard lock(mutex_);
            change();
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    Lines lines_;
    std::vector<bool> states_;
};

// A pseudo-terminal whose slave is reached through `link` (a symlink), like /dev/serial/by-id/... .
class FakeSerialPort {
public:
    explicit FakeSerialPort(const std::string& link) : link_(link) {
        int slave = -1;
        char name[128] = {};
        EXPECT_EQ(0, ::openpty(&master_, &slave, name, nullptr, nullptr));
        ::close(slave);  // the link opens it by its path
        ::unlink(link_.c_str());
        EXPECT_EQ(0, ::symlink(name, link_.c_str()));
    }
    ~FakeSerialPort() { Vanish(); }
    void Write(const std::string& bytes) {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), ::write(master_, bytes.data(), bytes.size()));
    }
    // The adapter is pulled out: the terminal hangs up and its path goes.
    void Vanish() {
        if (master_ < 0) return;
        ::close(master_);
        master_ = -1;
        ::unlink(link_.c_str());
    }

private:
    std::string link_;
    int master_ = -1;
};

ZelkNetLinkSpec SerialSpec(const std::string& path) {
    ZelkNetLinkSpec linkSpec;
    linkSpec.path = path;
    linkSpec.baud = 9600;
    linkSpec.SetFrame("7E2");
    return linkSpec;
}

std::unique_ptr<ZelkNetLink> SerialLink(const ZelkNetLinkSpec& linkSpec, Recorder& recorder) {
    auto link =
        std::make_unique<ZelkNetLink>("test", std::make_unique<ZelkNetSerialPort>(linkSpec), recorder.Sink());
    link->Start();
    return link;
}

}  // namespace

TEST(ZelkNetSerialLink, ReadsLinesInOrderWithTheLineRulesFromAnExclusivelyOpenedRawPort) {
    zktest::TempDir dir;
    FakeSerialPort port(dir.File("ttyUSB0"));
    Recorder recorder;
    const auto link = SerialLink(SerialSpec(dir.File("ttyUSB0")), recorder);
    ASSERT_TRUE(recorder.WaitForState(true));

    // The port is ours alone and set as asked (root may open it all the same; others get EBUSY).
    const int probe = ::open(dir.File("ttyUSB0").c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (::geteuid() != 0) {
        EXPECT_EQ(-1, probe);
        EXPECT_EQ(EBUSY, errno);
    } else {
        ASSERT_GE(probe, 0);
        int exclusive = 0;
        EXPECT_EQ(0, ::ioctl(probe, TIOCGEXCL, &exclusive));
        EXPECT_EQ(1, exclusive);
        termios tty{};
        ASSERT_EQ(0, ::tcgetattr(probe, &tty));
        EXPECT_EQ(B9600, ::cfgetispeed(&tty));
        // (A pseudo-terminal always keeps 8 data bits without parity; the stop bits it takes.)
        EXPECT_EQ(tcflag_t(CSTOPB), tty.c_cflag & CSTOPB);
        EXPECT_EQ(0u, tty.c_lflag & (ICANON | ECHO));
        EXPECT_EQ(0u, tty.c_iflag & ICRNL);
        ::close(probe);
    }

    port.Write("one\r\ntwo\n");
    port.Write("caf\xE9\r\n" + std::string(5000, 'x') + "\r\nlast");
    ASSERT_TRUE(recorder.WaitForLines(5));
    EXPECT_EQ((Lines{"one", "two", "caf\xC3\xA9", std::string(4096, 'x'), std::string(904, 'x')}),
              recorder.Taken());
}

TEST(ZelkNetSerialLink, APortThatVanishesGoesDownAndIsReopenedWhenItsPathComesBack) {
    zktest::TempDir dir;
    const std::string path = dir.File("ttyACM0");
    auto port = std::make_unique<FakeSerialPort>(path);
    Recorder recorder;
    const auto link = SerialLink(SerialSpec(path), recorder);
    ASSERT_TRUE(recorder.WaitForState(true));
    port->Write("before\npartial");
    ASSERT_TRUE(recorder.WaitForLines(1));

    port->Vanish();
    ASSERT_TRUE(recorder.WaitForState(false));
    // What had arrived of the unfinished line is not lost.
    EXPECT_EQ((Lines{"before", "partial"}), recorder.Taken());

    port = std::make_unique<FakeSerialPort>(path);
    ASSERT_TRUE(recorder.WaitForState(true, 2));
    port->Write("after\n");
    ASSERT_TRUE(recorder.WaitForLines(3));
    EXPECT_EQ("after", recorder.Taken().back());
}

TEST(ZelkNetSerialLink, APathRemovedUnderAnOpenPortCountsAsGone) {
    zktest::TempDir dir;
    const std::string path = dir.File("ttyUSB1");
    FakeSerialPort port(path);
    Recorder recorder;
    const auto link = SerialLink(SerialSpec(path), recorder);
    ASSERT_TRUE(recorder.WaitForState(true));
    ::unlink(path.c_str());  // the terminal itself still answers
    EXPECT_TRUE(recorder.WaitForState(false));
}

namespace {

// A loopback TCP peer on an ephemeral port, as a device that serves its lines.
class Peer {
public:
    Peer() {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(0, ::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address));
        EXPECT_EQ(0, ::listen(listen_, 4));
        socklen_t length = sizeof address;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~Peer() {
        Drop();
        ::close(listen_);
    }
    std::uint16_t Port() const { return port_; }
    bool Accept() {
        pollfd ready{listen_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) != 1)
            return false;
        fd_ = ::accept(listen_, nullptr, nullptr);
        return fd_ >= 0;
    }
    void Write(const std::string& bytes) {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL));
    }
    void Drop() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int listen_ = -1;
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

ZelkNetLinkSpec TcpSpec(std::uint16_t port, ZelkNetLinkSpec::Kind kind) {
    ZelkNetLinkSpec linkSpec;
    linkSpec.kind = kind;
    linkSpec.host = "127.0.0.1";
    linkSpec.port = port;
    return linkSpec;
}

}  // namespace

TEST(ZelkNetTcpLink, ReadsLinesAndReconnectsAfterTheConnectionDrops) {
    Peer peer;
    Recorder recorder;
    ZelkNetLink link("test",
                     std::make_unique<ZelkNetTcpPort>(TcpSpec(peer.Port(), ZelkNetLinkSpec::Kind::Tcp)),
                     recorder.Sink());
    link.Start();
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(recorder.WaitForState(true));
    peer.Write("hello\r\nwor");
    peer.Write("ld\nhalf");
    ASSERT_TRUE(recorder.WaitForLines(2));

    peer.Drop();
    ASSERT_TRUE(recorder.WaitForState(false));
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(recorder.WaitForState(true, 2));
    peer.Write("again\n");
    ASSERT_TRUE(recorder.WaitForLines(4));
    EXPECT_EQ((Lines{"hello", "world", "half", "again"}), recorder.Taken());
    link.Stop();
    EXPECT_TRUE(recorder.WaitForState(false, 2));
}

TEST(ZelkNetTcpLink, ListensOnLoopbackForOnePeerAtATime) {
    // A free port: taken from the system, then given back for the link to listen on.
    std::uint16_t port = 0;
    {
        Peer probe;
        port = probe.Port();
    }
    Recorder recorder;
    ZelkNetLink link("test",
                     std::make_unique<ZelkNetTcpPort>(TcpSpec(port, ZelkNetLinkSpec::Kind::TcpListen)),
                     recorder.Sink());
    link.Start();
    for (int round = 1; round <= 2; ++round) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        // The link listens once its thread has run: try until then.
        EXPECT_TRUE(zktest::WaitUntil(
            [&] { return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0; },
            kPatience));
        ASSERT_TRUE(recorder.WaitForState(true, round));
        const std::string line = "peer " + std::to_string(round) + "\n";
        ASSERT_EQ(static_cast<ssize_t>(line.size()), ::send(fd, line.data(), line.size(), MSG_NOSIGNAL));
        ASSERT_TRUE(recorder.WaitForLines(round));
        ::close(fd);
        ASSERT_TRUE(recorder.WaitForState(false, round));
    }
    EXPECT_EQ((Lines{"peer 1", "peer 2"}), recorder.Taken());
}
