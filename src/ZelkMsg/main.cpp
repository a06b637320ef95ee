#include <cstdio>
#include <string>
#include <vector>

#include "Common/device/netclient/ZKNetServerProxy.h"
#include "ZelkMsg/ZelkMsgStartup.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The server as the program reaches it: connected, or started next to us and then connected.
    const auto connect = []() -> std::unique_ptr<IZKServer> {
        std::string error;
        return ZKNetServerProxy::Create(zk::NetServerLaunch{}, error);
    };
    return zelkmsg::RunZelkMsg(args, stdout, stderr, connect);
}
