#include "ZelkNetServer/ZelkNetTcpPort.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

using AddressList = std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)>;

AddressList Resolve(const ZelkNetLinkSpec& linkSpec, bool passive, std::string& why) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
    addrinfo* found = nullptr;
    const int error =
        ::getaddrinfo(linkSpec.host.c_str(), std::to_string(linkSpec.port).c_str(), &hints, &found);
    if (error != 0) why = "cannot resolve " + linkSpec.host + ": " + ::gai_strerror(error);
    return AddressList(error == 0 ? found : nullptr, &::freeaddrinfo);
}

// Waits until `fd` shows `events` or the wake descriptor is readable; false on wake-up or time-out.
bool WaitFor(int fd, short events, int wakeFd, int timeoutMs) {
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    int ready = 0;
    while ((ready = ::poll(fds, 2, timeoutMs)) < 0 && errno == EINTR) {
    }
    return ready > 0 && fds[1].revents == 0 && fds[0].revents != 0;
}

}  // namespace

ZelkNetTcpPort::~ZelkNetTcpPort() {
    if (listenFd_ >= 0) ::close(listenFd_);
}

int ZelkNetTcpPort::Open(int wakeFd, std::string& why) {
    return spec_.kind == ZelkNetLinkSpec::Kind::TcpListen ? Accept(wakeFd, why) : Connect(wakeFd, why);
}

int ZelkNetTcpPort::Connect(int wakeFd, std::string& why) {
    const AddressList addresses = Resolve(spec_, false, why);
    for (const addrinfo* at = addresses.get(); at; at = at->ai_next) {
        const int fd =
            ::socket(at->ai_family, at->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, at->ai_protocol);
        if (fd < 0) continue;
        if (::connect(fd, at->ai_addr, at->ai_addrlen) != 0 && errno != EINPROGRESS) {
            why = std::string("cannot connect: ") + std::strerror(errno);
        } else if (!WaitFor(fd, POLLOUT, wakeFd, kConnectTimeoutMs)) {
            why = "cannot connect: no answer";
        } else {
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
                // A peer that vanishes without closing is noticed eventually.
                const int on = 1;
                ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
                return fd;
            }
            why = std::string("cannot connect: ") + std::strerror(error);
        }
        ::close(fd);
    }
    return -1;
}

bool ZelkNetTcpPort::Listen(std::string& why) {
    const AddressList addresses = Resolve(spec_, true, why);
    for (const addrinfo* at = addresses.get(); at; at = at->ai_next) {
        const int fd =
            ::socket(at->ai_family, at->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, at->ai_protocol);
        if (fd < 0) continue;
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, at->ai_addr, at->ai_addrlen) == 0 && ::listen(fd, 1) == 0) {
            listenFd_ = fd;
            return true;
        }
        why = std::string("cannot listen: ") + std::strerror(errno);
        ::close(fd);
    }
    return false;
}

int ZelkNetTcpPort::Accept(int wakeFd, std::string& why) {
    if (listenFd_ < 0 && !Listen(why)) return -1;
    while (WaitFor(listenFd_, POLLIN, wakeFd, -1)) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) return fd;
        if (errno != EAGAIN && errno != EINTR && errno != ECONNABORTED) {
            why = std::string("cannot accept: ") + std::strerror(errno);
            return -1;
        }
    }
    why = "stopped";
    return -1;
}
