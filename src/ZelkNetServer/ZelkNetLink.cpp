#include "ZelkNetServer/ZelkNetLink.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ZelkNetServer/ZelkNetLineFramer.h"

namespace {

// How often an open port is asked whether it is still there.
constexpr int kCheckMs = 250;

}  // namespace

ZelkNetLink::ZelkNetLink(std::string name, std::unique_ptr<ZelkNetLinkPort> port, ZelkNetLinkSink sink)
    : name_(std::move(name)), port_(std::move(port)), sink_(std::move(sink)) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

ZelkNetLink::~ZelkNetLink() {
    Stop();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void ZelkNetLink::Start() {
    if (thread_.joinable() || wakeFd_ < 0) return;
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
}

void ZelkNetLink::Stop() {
    stopping_ = true;
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0 && ::write(wakeFd_, &one, sizeof one) < 0) {
        // The counter is already non-zero: the thread wakes anyway.
    }
    if (thread_.joinable()) thread_.join();
}

void ZelkNetLink::Log(const std::string& text) const {
    if (sink_.log) sink_.log(name_ + ": " + text);
}

bool ZelkNetLink::Pause(std::chrono::milliseconds delay) {
    pollfd wake{wakeFd_, POLLIN, 0};
    while (::poll(&wake, 1, static_cast<int>(delay.count())) < 0 && errno == EINTR) {
    }
    return !stopping_;
}

void ZelkNetLink::Run() {
    auto retry = kFirstRetry;
    std::string lastFailure;
    while (!stopping_) {
        std::string why;
        const int fd = port_->Open(wakeFd_, why);
        if (stopping_) {
            if (fd >= 0) ::close(fd);
            break;
        }
        if (fd < 0) {
            // Logged once per reason, not on every attempt.
            if (why != lastFailure) Log(why);
            lastFailure = why;
            if (!Pause(retry)) break;
            retry = std::min(retry * 2, kLastRetry);
            continue;
        }
        retry = kFirstRetry;
        lastFailure.clear();
        Log("up");
        sink_.state(true);
        const std::string gone = ReadUntilGone(fd);
        ::close(fd);
        sink_.state(false);
        Log("down (" + gone + ")");
    }
}

std::string ZelkNetLink::ReadUntilGone(int fd) {
    ZelkNetLineFramer framer;
    std::vector<std::string> lines;
    std::string gone;
    char buffer[65536];
    while (gone.empty()) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, kCheckMs);
        if (ready < 0 && errno != EINTR) gone = std::string("poll: ") + std::strerror(errno);
        if (stopping_) gone = "stopped";
        if (!gone.empty() || ready < 0) continue;
        if (ready == 0) {
            if (!port_->StillThere(fd)) gone = "the port went away";
            continue;
        }
        if (fds[0].revents == 0) continue;
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            framer.Feed(std::string_view(buffer, static_cast<std::size_t>(count)), lines);
        } else if (count == 0) {
            gone = "closed by the other end";
        } else if (errno != EAGAIN && errno != EINTR) {
            gone = std::strerror(errno);
        }
        if (!lines.empty()) {
            sink_.lines(lines);
            lines.clear();
        }
    }
    // What arrived of an unfinished line is kept as a line of its own.
    framer.Finish(lines);
    if (!lines.empty()) sink_.lines(lines);
    return gone;
}
