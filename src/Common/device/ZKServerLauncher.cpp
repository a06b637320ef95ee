#include "Common/device/ZKServerLauncher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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

// Waits up to `wait` for output on `fd` and appends it to `text` (at most a few KiB are kept); false once
// the output has ended.
bool ReadSome(int fd, std::string& text, std::chrono::milliseconds wait) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(wait.count())) <= 0) return true;
    char buffer[1024];
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count > 0 && text.size() < 4096) text.append(buffer, static_cast<std::size_t>(count));
    return count > 0 || (count < 0 && errno == EINTR);
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
    const SpawnResult spawned = SpawnDetached(*program, launch.arguments, SpawnOutput::Pipe);
    if (!spawned.started) {
        error = "cannot start " + *program + ": " + std::strerror(spawned.error);
        return -1;
    }
    // The server's output ends when its starting process has exited (a detached server keeps nothing of
    // its parent's): by then it serves, or it failed and said why.
    ScopedFd output(spawned.output);
    std::string said;
    bool ended = false;
    while (Clock::now() < deadline) {
        if (int fd = ConnectNetServer(socketPath); fd >= 0) return fd;
        if (ended) break;
        ended = !ReadSome(output.Get(), said, std::chrono::milliseconds(10));
    }
    while (!said.empty() && (said.back() == '\n' || said.back() == ' '))
        said.pop_back();
    if (ended)
        error = said.empty() ? *program + " ended without serving" : said;
    else
        error = *program + " did not answer within " + std::to_string(launch.timeout.count()) + " ms";
    return -1;
}

bool WaitNetServerGone(const std::string& runtimeFolder, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    pid_t pid = 0;
    if (FILE* lock = std::fopen(NetServerLockPath(runtimeFolder).c_str(), "r")) {
        if (std::fscanf(lock, "%d", &pid) != 1) pid = 0;
        std::fclose(lock);
    }
    const std::string socketPath = NetServerSocketPath(runtimeFolder);
    for (;;) {
        const int fd = ConnectNetServer(socketPath);
        if (fd >= 0) ::close(fd);
        const bool running = fd >= 0 || (pid > 0 && ::kill(pid, 0) == 0);
        if (!running) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace zk
