#include "ZelkNetServer/ZelkNetListener.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "Common/device/ZKServerLauncher.h"

ZelkNetListener::~ZelkNetListener() {
    Close();
}

bool ZelkNetListener::Open(const std::string& runtimeFolder, std::string& error, bool& alreadyRunning) {
    alreadyRunning = false;
    if (!zk::PrepareRuntimeFolder(runtimeFolder, error)) return false;

    const std::string lockPath = zk::NetServerLockPath(runtimeFolder);
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) {
        error = "cannot open " + lockPath + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        alreadyRunning = errno == EWOULDBLOCK;
        error = alreadyRunning ? "another zelknetserver is running for this user"
                               : "cannot lock " + lockPath + ": " + std::strerror(errno);
        ::close(lockFd_);
        lockFd_ = -1;
        return false;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(lockFd_, 0) != 0 || ::write(lockFd_, pid.data(), pid.size()) < 0) {
        // The pid in the lock file is for people only; the lock itself is what counts.
    }

    socketPath_ = zk::NetServerSocketPath(runtimeFolder);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path) {
        error = "the socket path " + socketPath_ + " is too long";
        Close();
        return false;
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    ::unlink(socketPath_.c_str());  // a stale socket of a server that died; we hold the lock
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const mode_t oldMask = ::umask(0177);  // the socket is born 0600
    const bool bound =
        listenFd_ >= 0 && ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::chmod(socketPath_.c_str(), 0600) != 0 || ::listen(listenFd_, 128) != 0 ||
        ::pipe2(wakeFd_, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = "cannot listen on " + socketPath_ + ": " + std::strerror(errno);
        Close();
        return false;
    }
    return true;
}

void ZelkNetListener::Serve(std::function<void(int)> accepted) {
    thread_ = std::thread([this, accepted = std::move(accepted)] { AcceptLoop(accepted); });
}

void ZelkNetListener::AcceptLoop(const std::function<void(int)>& accepted) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_[0], POLLIN, 0}};
    while (true) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) continue;
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid()) {
            ++refused_;
            ::close(fd);
            continue;
        }
        accepted(fd);
    }
}

void ZelkNetListener::Close() {
    if (thread_.joinable()) {
        const char wake = 1;
        if (::write(wakeFd_[1], &wake, 1) < 0) {
            // The pipe cannot be full: it is written once.
        }
        thread_.join();
    }
    for (int& fd : wakeFd_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);  // releases the lock
        lockFd_ = -1;
    }
}
