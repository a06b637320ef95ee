#pragma once
// A TCP line stream as a link's port: either connects to HOST:PORT (each Open is one attempt, bounded in
// time), or listens on a loopback HOST:PORT and takes one peer at a time (a second peer waits in the
// backlog until the first has gone).

#include "ZelkNetServer/ZelkNetLink.h"
#include "ZelkNetServer/ZelkNetLinkSpec.h"

class ZelkNetTcpPort final : public ZelkNetLinkPort {
public:
    static constexpr int kConnectTimeoutMs = 5000;

    explicit ZelkNetTcpPort(ZelkNetLinkSpec linkSpec) : spec_(std::move(linkSpec)) {}
    ~ZelkNetTcpPort() override;

    int Open(int wakeFd, std::string& why) override;

private:
    int Connect(int wakeFd, std::string& why);
    int Accept(int wakeFd, std::string& why);
    bool Listen(std::string& why);

    ZelkNetLinkSpec spec_;
    int listenFd_ = -1;
};
