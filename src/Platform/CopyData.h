#pragma once
// WM_COPYDATA between the maker's programs.
//
// A program's main window owns one endpoint: a Unix-domain socket "copydata-<pid>.sock" (mode 0600) in the
// per-user runtime folder (mode 0700, ours alone). A listener thread accepts one connection at a time, reads
// one frame and hands it to the window on the GUI thread as WM_COPYDATA (SendMessage, so the handler runs
// where every window handler runs); the handler's LRESULT goes back to the sender.
//
// Frame, little-endian: dwData (u64), cbData (u32), cbData bytes. Answer: the LRESULT as i64. A frame larger
// than kCopyDataMaxBytes is refused (the connection is closed unanswered), and so is one that does not
// arrive completely within kCopyDataTimeoutMs.
//
// "Every running program of the maker" is every endpoint whose process runs an executable that lies in the
// install folder. A sender waits at most kCopyDataTimeoutMs for each target (connect, write and answer
// together); a dead or slow target is skipped. A socket without a listener, or one named after a process that
// is gone, is stale and is removed by whoever finds it.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Platform/WindowTypes.h"

namespace zk {

inline constexpr std::uint32_t kCopyDataMaxBytes = 16u * 1024 * 1024;
inline constexpr unsigned kCopyDataTimeoutMs = 1000;
inline constexpr std::size_t kCopyDataHeaderSize = 12;

std::vector<std::byte> EncodeCopyDataFrame(std::uint64_t dwData, std::span<const std::byte> bytes);

// Collects one frame from bytes that arrive in pieces of any size.
class CopyDataFrameReader {
public:
    enum class Status { NeedMore, Complete, TooLarge };

    explicit CopyDataFrameReader(std::uint32_t maxBytes = kCopyDataMaxBytes) : maxBytes_(maxBytes) {}

    // Takes bytes from `data` up to the end of the frame and sets `used` to how many it took. Once Complete
    // or TooLarge, further bytes are not taken.
    Status Feed(std::span<const std::byte> data, std::size_t& used);
    Status GetStatus() const { return status_; }

    std::uint64_t DwData() const { return dwData_; }
    std::uint32_t CbData() const { return cbData_; }
    const std::vector<std::byte>& Bytes() const { return bytes_; }

private:
    std::uint32_t maxBytes_;
    Status status_ = Status::NeedMore;
    std::byte header_[kCopyDataHeaderSize] = {};
    std::size_t headerFill_ = 0;
    std::uint64_t dwData_ = 0;
    std::uint32_t cbData_ = 0;
    std::vector<std::byte> bytes_;
};

// The socket path of a process's endpoint in `folder`.
std::string CopyDataSocketPath(const std::string& folder, pid_t pid);

// The endpoint of one window. Open and Close belong to the GUI thread; the window closes its endpoint in
// its WM_DESTROY handler (or the endpoint's owner closes it earlier), so that the socket goes with it.
//
// Closing waits for the listener thread. A message that is being handed to the window at that moment holds
// the close up to kCopyDataTimeoutMs, so the window's WM_COPYDATA handler must not close the endpoint itself
// (post WM_CLOSE instead).
class CopyDataEndpoint {
public:
    CopyDataEndpoint();
    ~CopyDataEndpoint();
    CopyDataEndpoint(const CopyDataEndpoint&) = delete;
    CopyDataEndpoint& operator=(const CopyDataEndpoint&) = delete;

    // Listens for `window` in `folder` (empty: RuntimeFolder()), which is created or checked first. One
    // endpoint per process; false with a message when the folder is not safe, another endpoint of this
    // process is open, or the socket cannot be made.
    bool Open(HWND window, std::string& error, const std::string& folder = {});
    // Stops listening, joins the listener and removes the socket file. Safe to call twice.
    void Close();

    bool IsOpen() const;
    const std::string& SocketPath() const;
    HWND Window() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

struct CopyDataTarget {
    pid_t pid = 0;
    std::string socketPath;
    friend bool operator==(const CopyDataTarget&, const CopyDataTarget&) = default;
};

// Lists the endpoints in `folder` (empty: RuntimeFolder()) whose process runs an executable lying directly
// in `installFolder`, ordered by pid. Sockets of processes that are gone are removed on the way.
std::vector<CopyDataTarget> FindCopyDataTargets(const std::string& installFolder,
                                                const std::string& folder = {});

// Sends one WM_COPYDATA and returns the receiver's answer, or nothing when the target did not answer within
// `timeoutMs`. A target without a listener has its socket removed. Sent from the GUI thread to this
// process's own endpoint, the message goes straight to the window (wParam = sender); other receivers get
// wParam 0, as a window handle means nothing in another process.
std::optional<LRESULT> SendCopyData(const CopyDataTarget& target, HWND sender, std::uint64_t dwData,
                                    std::span<const std::byte> bytes,
                                    unsigned timeoutMs = kCopyDataTimeoutMs);

struct CopyDataBroadcast {
    std::size_t answered = 0;  // targets that answered
    std::size_t failed = 0;    // targets skipped as dead or slow
};

// Sends to every running program of the maker except this process, one after the other.
CopyDataBroadcast BroadcastCopyData(const std::string& installFolder, HWND sender, std::uint64_t dwData,
                                    std::span<const std::byte> bytes, const std::string& folder = {});

}  // namespace zk
