#include "Common/device/ZKServerLauncher.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "Platform/Process.h"
#include "Platform/ShellFolders.h"

namespace zk {
namespace {

using Clock = std::chrono::steady_clock;

class ScopedFd {
public:
    explicit ScopedFd(int fd) : fd_(fd) {}
    ~ScopedFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Waits for an exclusive lock on the file until the deadline.
bool LockUntil(int fd, Clock::time_point deadline) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

std::string NetServerSocketPath(const std::string& runtimeFolder) {
    return runtimeFolder + "/netserver.sock";
}
std::string NetServerLockPath(const std::string& runtimeFolder) {
    return runtimeFolder + "/netserver.lock";
}

int ConnectNetServer(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int ConnectOrSpawnNetServer(const NetServerLaunch& launch, std::string& error) {
    const auto deadline = Clock::now() + launch.timeout;
    const std::string folder = launch.runtimeFolder.empty() ? RuntimeFolder() : launch.runtimeFolder;
    if (!PrepareRuntimeFolder(folder, error)) return -1;
    const std::string socketPath = NetServerSocketPath(folder);
    if (int fd = ConnectNetServer(socketPath); fd >= 0) return fd;

    // Nobody listens: take turns with other starting clients, then look again before starting a server.
    ScopedFd turn(::open((folder + "/netserver.start").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (turn.Get() < 0 || !LockUntil(turn.Get(), deadline)) {
        error = "cannot take the server start lock in " + folder;
        return -1;
    }
    if (int fd = ConnectNetServer(socketPath); fd >= 0) return fd;

    const std::optional<std::string> program = FindProgram(launch.program);
    if (!program) {
        error = "cannot find " + launch.program;
        return -1;
    }
    const SpawnResult spawned = SpawnDetached(*program, launch.arguments);
    if (!spawned.started) {
        error = "cannot start " + *program + ": " + std::strerror(spawned.error);
        return -1;
    }
    while (Clock::now() < deadline) {
        if (int fd = ConnectNetServer(socketPath); fd >= 0) return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    error = *program + " did not answer within " + std::to_string(launch.timeout.count()) + " ms";
    return -1;
}

}  // namespace zk
