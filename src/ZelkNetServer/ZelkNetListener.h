#pragma once
// The server's door: the per-user runtime folder, the lock that makes this the only server of the user,
// and the Unix socket. Connections from processes of another user are closed at once; the others are
// handed on (to gRPC).

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class ZelkNetListener {
public:
    ZelkNetListener() = default;
    ~ZelkNetListener();
    ZelkNetListener(const ZelkNetListener&) = delete;
    ZelkNetListener& operator=(const ZelkNetListener&) = delete;

    // Checks (or creates) the runtime folder, takes the server lock, removes a stale socket (only the lock
    // holder may) and listens on a fresh one with mode 0600. False with a message when any step fails;
    // `alreadyRunning` tells when the lock is held by another server.
    bool Open(const std::string& runtimeFolder, std::string& error, bool& alreadyRunning);
    // Accepts connections on a thread of its own until Close; each accepted socket (non-blocking,
    // close-on-exec) goes to `accepted`, which takes it over.
    void Serve(std::function<void(int)> accepted);
    // Stops accepting; the socket file disappears and the lock is released.
    void Close();

    const std::string& SocketPath() const { return socketPath_; }
    std::size_t RefusedPeers() const { return refused_; }

private:
    void AcceptLoop(const std::function<void(int)>& accepted);

    std::string socketPath_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    int wakeFd_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<std::size_t> refused_{0};
};
