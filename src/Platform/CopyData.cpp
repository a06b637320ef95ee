#include "Platform/CopyData.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

#include "Platform/ShellFolders.h"
#include "Platform/Window.h"

namespace zk {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kSocketPrefix = "copydata-";
constexpr std::string_view kSocketSuffix = ".sock";

std::uint64_t LoadLe(const std::byte* p, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | std::to_integer<std::uint64_t>(p[i]);
    return value;
}

void StoreLe(std::vector<std::byte>& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
}

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

constexpr Clock::time_point kNoDeadline = Clock::time_point::max();

int MillisecondsLeft(Clock::time_point deadline) {
    if (deadline == kNoDeadline) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// Waits until `fd` is ready for `events` or `wakeFd` (if any) becomes readable. False on the deadline, on a
// wake-up and on errors.
bool WaitReady(int fd, short events, Clock::time_point deadline, int wakeFd = -1) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        const int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, MillisecondsLeft(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (wakeFd >= 0 && fds[1].revents) return false;
        return true;
    }
}

bool WriteAll(int fd, std::span<const std::byte> data, Clock::time_point deadline) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n > 0) {
            data = data.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitReady(fd, POLLOUT, deadline)) continue;
        return false;
    }
    return true;
}

bool ReadExact(int fd, std::byte* out, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, out, size, 0);
        if (n > 0) {
            out += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) return false;
        if (errno == EINTR) continue;
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitReady(fd, POLLIN, deadline)) continue;
        return false;
    }
    return true;
}

bool SameUserPeer(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid();
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool ProcessAlive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The pid of an endpoint's file name, or 0 when the name is not one.
pid_t PidFromSocketName(std::string_view name) {
    if (!name.starts_with(kSocketPrefix) || !name.ends_with(kSocketSuffix)) return 0;
    const std::string_view digits =
        name.substr(kSocketPrefix.size(), name.size() - kSocketPrefix.size() - kSocketSuffix.size());
    if (digits.empty() || digits.front() == '0') return 0;
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    return (ec == std::errc() && end == digits.data() + digits.size() && pid > 0) ? pid : 0;
}

// Whether the process runs an executable that lies directly in `installFolder` (already canonical).
bool RunsFrom(pid_t pid, const std::filesystem::path& installFolder) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    return !ec && exe.parent_path() == installFolder;
}

std::string FolderOrDefault(const std::string& folder) {
    return folder.empty() ? RuntimeFolder() : folder;
}

}  // namespace

// --- frames ---

std::vector<std::byte> EncodeCopyDataFrame(std::uint64_t dwData, std::span<const std::byte> bytes) {
    std::vector<std::byte> frame;
    frame.reserve(kCopyDataHeaderSize + bytes.size());
    StoreLe(frame, dwData, 8);
    StoreLe(frame, bytes.size(), 4);
    frame.insert(frame.end(), bytes.begin(), bytes.end());
    return frame;
}

CopyDataFrameReader::Status CopyDataFrameReader::Feed(std::span<const std::byte> data, std::size_t& used) {
    used = 0;
    if (status_ != Status::NeedMore) return status_;
    if (headerFill_ < kCopyDataHeaderSize) {
        const std::size_t take = std::min(kCopyDataHeaderSize - headerFill_, data.size());
        std::copy_n(data.begin(), take, header_ + headerFill_);
        headerFill_ += take;
        used += take;
        data = data.subspan(take);
        if (headerFill_ < kCopyDataHeaderSize) return status_;
        dwData_ = LoadLe(header_, 8);
        cbData_ = static_cast<std::uint32_t>(LoadLe(header_ + 8, 4));
        if (cbData_ > maxBytes_) return status_ = Status::TooLarge;
        bytes_.reserve(cbData_);
    }
    const std::size_t take = std::min<std::size_t>(cbData_ - bytes_.size(), data.size());
    bytes_.insert(bytes_.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
    used += take;
    if (bytes_.size() == cbData_) status_ = Status::Complete;
    return status_;
}

std::string CopyDataSocketPath(const std::string& folder, pid_t pid) {
    return folder + "/" + std::string(kSocketPrefix) + std::to_string(pid) + std::string(kSocketSuffix);
}

// --- the endpoint ---

// A message handed to the GUI thread. Its block must outlive the handler; when the hand-over times out the
// handler may still be running, so the delivery is kept until the endpoint closes.
struct Delivery {
    std::vector<std::byte> bytes;
    COPYDATASTRUCT data;
};

struct CopyDataEndpoint::Impl {
    HWND window;
    std::string path;
    UniqueFd listenFd;
    UniqueFd wakeRead;
    UniqueFd wakeWrite;
    std::thread thread;
    std::vector<std::unique_ptr<Delivery>> retired;  // listener thread only, until joined

    void Listen();
    void Serve(int fd);
};

namespace {

// The open endpoint of this process, for direct delivery from the GUI thread.
std::mutex g_openMutex;
CopyDataEndpoint::Impl* g_open = nullptr;

}  // namespace

void CopyDataEndpoint::Impl::Listen() {
    for (;;) {
        if (!WaitReady(listenFd.Get(), POLLIN, kNoDeadline, wakeRead.Get())) {
            // Only a wake-up (or a broken poll) ends the wait without a deadline.
            return;
        }
        UniqueFd connection(::accept4(listenFd.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (connection.Get() < 0) continue;
        if (SameUserPeer(connection.Get())) Serve(connection.Get());
    }
}

void CopyDataEndpoint::Impl::Serve(int fd) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kCopyDataTimeoutMs);
    CopyDataFrameReader reader;
    std::byte buffer[64 * 1024];
    while (reader.GetStatus() == CopyDataFrameReader::Status::NeedMore) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            std::size_t used = 0;
            reader.Feed(std::span(buffer, static_cast<std::size_t>(n)), used);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            WaitReady(fd, POLLIN, deadline, wakeRead.Get()))
            continue;
        return;  // end of stream, error, deadline or closing: nothing is delivered
    }
    if (reader.GetStatus() != CopyDataFrameReader::Status::Complete) return;

    auto delivery = std::make_unique<Delivery>();
    delivery->bytes = reader.Bytes();
    delivery->data.dwData = static_cast<std::uintptr_t>(reader.DwData());
    delivery->data.cbData = reader.CbData();
    delivery->data.lpData = delivery->bytes.empty() ? nullptr : delivery->bytes.data();
    LRESULT result = 0;
    if (!SendMessageTimeout(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&delivery->data), SMTO_NORMAL,
                            kCopyDataTimeoutMs, &result)) {
        retired.push_back(std::move(delivery));
        return;
    }
    std::vector<std::byte> answer;
    StoreLe(answer, static_cast<std::uint64_t>(static_cast<std::int64_t>(result)), 8);
    WriteAll(fd, answer, Clock::now() + std::chrono::milliseconds(kCopyDataTimeoutMs));
}

CopyDataEndpoint::CopyDataEndpoint() = default;

CopyDataEndpoint::~CopyDataEndpoint() {
    Close();
}

bool CopyDataEndpoint::Open(HWND window, std::string& error, const std::string& folder) {
    Close();
    const std::string dir = FolderOrDefault(folder);
    if (!PrepareRuntimeFolder(dir, error)) return false;
    std::lock_guard lock(g_openMutex);
    if (g_open) {
        error = "this process already has a copy-data endpoint";
        return false;
    }
    auto impl = std::make_unique<Impl>();
    impl->window = window;
    impl->path = CopyDataSocketPath(dir, ::getpid());
    // The socket is bound under a temporary name and renamed once it listens, so a sender never finds the
    // endpoint without a listener and takes it for stale.
    const std::string temporary = impl->path + ".new";
    sockaddr_un address{};
    if (!FillAddress(temporary, address)) {
        error = "the socket path " + temporary + " is too long";
        return false;
    }
    ::unlink(temporary.c_str());
    impl->listenFd.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const mode_t oldMask = ::umask(0177);  // the socket is born 0600
    const bool bound =
        impl->listenFd.Get() >= 0 &&
        ::bind(impl->listenFd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    int pipeFds[2] = {-1, -1};
    if (!bound || ::listen(impl->listenFd.Get(), 64) != 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0 ||
        ::rename(temporary.c_str(), impl->path.c_str()) != 0) {
        error = "cannot listen on " + impl->path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        if (pipeFds[0] >= 0) ::close(pipeFds[0]);
        if (pipeFds[1] >= 0) ::close(pipeFds[1]);
        return false;
    }
    impl->wakeRead.Reset(pipeFds[0]);
    impl->wakeWrite.Reset(pipeFds[1]);
    impl->thread = std::thread([raw = impl.get()] { raw->Listen(); });
    g_open = impl.get();
    impl_ = std::move(impl);
    return true;
}

void CopyDataEndpoint::Close() {
    if (!impl_) return;
    {
        std::lock_guard lock(g_openMutex);
        if (g_open == impl_.get()) g_open = nullptr;
    }
    const char wake = 1;
    if (::write(impl_->wakeWrite.Get(), &wake, 1) < 0) {
        // The pipe is written once; it cannot be full.
    }
    impl_->thread.join();
    ::unlink(impl_->path.c_str());
    impl_.reset();
}

bool CopyDataEndpoint::IsOpen() const {
    return impl_ != nullptr;
}

const std::string& CopyDataEndpoint::SocketPath() const {
    static const std::string none;
    return impl_ ? impl_->path : none;
}

HWND CopyDataEndpoint::Window() const {
    return impl_ ? impl_->window : HWND();
}

// --- finding and sending ---

std::vector<CopyDataTarget> FindCopyDataTargets(const std::string& installFolder, const std::string& folder) {
    std::vector<CopyDataTarget> targets;
    std::error_code ec;
    const auto install = std::filesystem::weakly_canonical(installFolder, ec);
    if (ec || installFolder.empty()) return targets;
    const std::string dir = FolderOrDefault(folder);
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const pid_t pid = PidFromSocketName(entry.path().filename().native());
        if (pid == 0 || !entry.is_socket(ec)) continue;
        if (!ProcessAlive(pid)) {
            ::unlink(entry.path().c_str());
            continue;
        }
        if (RunsFrom(pid, install)) targets.push_back({pid, entry.path().native()});
    }
    std::sort(targets.begin(), targets.end(), [](const auto& a, const auto& b) { return a.pid < b.pid; });
    return targets;
}

namespace {

// Delivers straight to this process's own window; nothing when the target is not that endpoint.
std::optional<LRESULT> SendToOwnWindow(const CopyDataTarget& target, HWND sender, std::uint64_t dwData,
                                       std::span<const std::byte> bytes) {
    HWND window;
    {
        std::lock_guard lock(g_openMutex);
        if (!g_open || g_open->path != target.socketPath) return std::nullopt;
        window = g_open->window;
    }
    COPYDATASTRUCT data;
    data.dwData = static_cast<std::uintptr_t>(dwData);
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = bytes.empty() ? nullptr : bytes.data();
    if (!IsWindow(window)) return std::nullopt;
    return SendMessage(window, WM_COPYDATA, sender.ToWParam(), reinterpret_cast<LPARAM>(&data));
}

// Connects within the deadline; a listener's full backlog is waited out, a socket nobody listens on is
// removed.
int ConnectEndpoint(const std::string& path, Clock::time_point deadline) {
    sockaddr_un address{};
    if (!FillAddress(path, address)) return -1;
    for (;;) {
        UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (fd.Get() < 0) return -1;
        if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            if (!SameUserPeer(fd.Get())) return -1;
            return fd.Release();
        }
        const int failure = errno;
        if (failure == ECONNREFUSED) ::unlink(path.c_str());
        if (failure != EAGAIN || MillisecondsLeft(deadline) == 0) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(5, MillisecondsLeft(deadline))));
    }
}

}  // namespace

std::optional<LRESULT> SendCopyData(const CopyDataTarget& target, HWND sender, std::uint64_t dwData,
                                    std::span<const std::byte> bytes, unsigned timeoutMs) {
    if (bytes.size() > kCopyDataMaxBytes) return std::nullopt;
    if (target.pid == ::getpid() && IsGuiThread()) {
        // Through the socket the GUI thread would wait for its own listener, which waits for the GUI thread.
        if (auto result = SendToOwnWindow(target, sender, dwData, bytes)) return result;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    UniqueFd fd(ConnectEndpoint(target.socketPath, deadline));
    if (fd.Get() < 0) return std::nullopt;
    if (!WriteAll(fd.Get(), EncodeCopyDataFrame(dwData, bytes), deadline)) return std::nullopt;
    std::byte answer[8];
    if (!ReadExact(fd.Get(), answer, sizeof answer, deadline)) return std::nullopt;
    return static_cast<LRESULT>(static_cast<std::int64_t>(LoadLe(answer, 8)));
}

CopyDataBroadcast BroadcastCopyData(const std::string& installFolder, HWND sender, std::uint64_t dwData,
                                    std::span<const std::byte> bytes, const std::string& folder) {
    CopyDataBroadcast outcome;
    for (const CopyDataTarget& target : FindCopyDataTargets(installFolder, folder)) {
        if (target.pid == ::getpid()) continue;
        if (SendCopyData(target, sender, dwData, bytes))
            ++outcome.answered;
        else
            ++outcome.failed;
    }
    return outcome;
}

}  // namespace zk
