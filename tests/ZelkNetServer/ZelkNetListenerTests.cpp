// Who may talk to the server: a process of another user is closed on at once, one of the server's own user
// gets an HTTP/2 answer. The other user is a forked child that keeps root's capabilities but switches its
// effective uid, which is what the kernel reports as the peer's uid at connect time.
#include "ZelkNetServer/ZelkNetListener.h"

#include <gtest/gtest.h>
#include <linux/securebits.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <optional>

#include "Common/device/netclient/ZKNetClient.h"
#include "ZelkNetServer/ZelkNetServer.h"
#include "support/TestSupport.h"

namespace {

// What a child saw of the server; its exit code.
enum PeerOutcome {
    kAnswered = 0,      // the server sent its SETTINGS frame: gRPC serves this connection
    kClosed = 1,        // the connection ended before any answer
    kNotSwitched = 2,   // the child could not take on the other uid
    kNoConnection = 3,  // connect failed
    kSilent = 4,        // neither an answer nor a close within the wait
    kCrashed = 5,
};

// Connects from a forked child (as `euid` when given) and sends the HTTP/2 client preface with an empty
// SETTINGS frame. The parent runs gRPC threads, so the child makes nothing but system calls.
PeerOutcome ConnectFromChild(const std::string& socketPath, std::optional<uid_t> euid) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    static constexpr char kPreface[] = "PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n\0\0\0\x04\0\0\0\0\0";
    const pid_t child = ::fork();
    if (child < 0) return kCrashed;
    if (child == 0) {
        // Without the fixup flag a root process that leaves uid 0 loses its capabilities; keeping
        // CAP_DAC_OVERRIDE lets it reach the 0700 folder and the 0600 socket as the other user.
        if (euid && (::prctl(PR_SET_SECUREBITS, SECBIT_NO_SETUID_FIXUP) != 0 ||
                     ::syscall(SYS_setresuid, -1, *euid, -1) != 0))
            ::_exit(kNotSwitched);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            ::_exit(kNoConnection);
        if (::send(fd, kPreface, sizeof kPreface - 1, MSG_NOSIGNAL) < 0) ::_exit(kClosed);
        unsigned char frame[9];
        std::size_t got = 0;
        while (got < sizeof frame) {
            pollfd wait{fd, POLLIN, 0};
            if (::poll(&wait, 1, 5000) != 1) ::_exit(kSilent);
            const ssize_t n = ::read(fd, frame + got, sizeof frame - got);
            if (n <= 0) ::_exit(kClosed);
            got += static_cast<std::size_t>(n);
        }
        ::_exit(frame[3] == 0x04 ? kAnswered : kClosed);  // byte 3 of a frame header is its type
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? static_cast<PeerOutcome>(WEXITSTATUS(status)) : kCrashed;
}

}  // namespace

TEST(ZelkNetListener, PeerOfAnotherUserIsClosedOnWithoutService) {
    if (::geteuid() != 0) GTEST_SKIP() << "connecting as another user needs root (to switch the child's uid)";
    constexpr uid_t kOtherUser = 65534;
    ASSERT_NE(kOtherUser, ::getuid());
    zktest::TempDir temp;
    const std::string folder = temp.Path() + "/zelkor";
    ZelkNetServer server(ZelkNetScenario{}, ZelkNetServerOptions{folder, false});
    std::string error;
    bool running = false;
    ASSERT_TRUE(server.Start(error, running)) << error;

    EXPECT_EQ(kAnswered, ConnectFromChild(server.SocketPath(), std::nullopt));
    const PeerOutcome other = ConnectFromChild(server.SocketPath(), kOtherUser);
    if (other == kNotSwitched) GTEST_SKIP() << "this root cannot switch its effective uid";
    EXPECT_EQ(kClosed, other);

    // The refusal left the server serving its own user.
    auto client = ZKNetClient::ConnectExisting(folder, error);
    ASSERT_TRUE(client) << error;
    zelknet::VersionReply version;
    auto context = ZKNetClient::Context();
    EXPECT_TRUE(client->Server().GetVersion(context.get(), {}, &version).ok());
    client.reset();
    server.Shutdown();
}
