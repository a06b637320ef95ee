#pragma once
// One running device server: the world of a scenario served over gRPC on the user's socket.
// Start, then wait for a stop request (SimControl quit, or the owner's own reason such as SIGTERM),
// then Shutdown. Usable in-process (tests) as well as by the zelknetserver program.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "ZelkNetServer/ZelkNetListener.h"
#include "ZelkNetServer/ZelkNetLog.h"
#include "ZelkNetServer/ZelkNetScenario.h"
#include "ZelkNetServer/ZelkNetWorld.h"

namespace grpc {
class Server;
}
class ZelkNetServerService;
class ZelkNetDeviceService;
class ZelkNetSimControlService;
class ZelkNetSessionService;
class ZelkNetCallQueue;

struct ZelkNetServerOptions {
    std::string runtimeFolder;  // empty: zk::RuntimeFolder()
    bool verbose = false;       // log every connection
    // How long the serving thread keeps polling without sleep after a call (see ZelkNetCallQueue).
    std::chrono::microseconds spin{200};
};

class ZelkNetServer {
public:
    ZelkNetServer(const ZelkNetScenario& scenario, ZelkNetServerOptions options);
    ~ZelkNetServer();
    ZelkNetServer(const ZelkNetServer&) = delete;
    ZelkNetServer& operator=(const ZelkNetServer&) = delete;

    // False with a message when the server cannot start; `alreadyRunning` when another server of this
    // user holds the lock.
    bool Start(std::string& error, bool& alreadyRunning);
    // Thread-safe; returns at once.
    void RequestStop();
    // True when a stop was requested within the timeout.
    bool WaitForStopRequest(std::chrono::milliseconds timeout);
    // Stops serving: no new connections, hanging calls released, open calls cancelled, socket removed,
    // lock released. Idempotent.
    void Shutdown();

    ZelkNetWorld& World() { return world_; }
    const std::string& SocketPath() const { return listener_.SocketPath(); }

private:
    ZelkNetServerOptions options_;
    ZelkNetWorld world_;
    std::unique_ptr<ZelkNetServerService> serverService_;
    std::unique_ptr<ZelkNetDeviceService> deviceService_;
    std::unique_ptr<ZelkNetSimControlService> simService_;
    std::unique_ptr<ZelkNetSessionService> sessionService_;
    std::unique_ptr<grpc::Server> grpcServer_;
    std::unique_ptr<ZelkNetCallQueue> calls_;
    ZelkNetListener listener_;

    std::mutex stopMutex_;
    std::condition_variable stopRequested_;
    bool stop_ = false;
};
