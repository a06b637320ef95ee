#pragma once
// Finding zelknetserver: the per-user runtime folder, its socket, and "connect, or start the server and
// connect" for the program and the tools. Plain sockets only; the gRPC channel is built on the connected
// socket by the client library.

#include <chrono>
#include <string>
#include <vector>

#include "Platform/ShellFolders.h"  // PrepareRuntimeFolder

namespace zk {

// The server's socket and lock file inside the runtime folder.
std::string NetServerSocketPath(const std::string& runtimeFolder);
std::string NetServerLockPath(const std::string& runtimeFolder);

// Connects to the server's socket; -1 when nobody listens there (or the listener runs as another user).
// The socket is close-on-exec and blocking.
int ConnectNetServer(const std::string& socketPath);

struct NetServerLaunch {
    std::string runtimeFolder;                // empty: zk::RuntimeFolder()
    std::string program = "zelknetserver";    // found by zk::FindProgram
    std::vector<std::string> arguments;       // extra arguments for a started server
    std::chrono::milliseconds timeout{5000};  // for the whole attempt
};

// Connects to the running server, or starts one and connects to it within the timeout. Clients that start
// at the same time take turns through a lock file, so only the first starts a server; the server's own lock
// guarantees one server per user in any case. Returns the connected socket, or -1 with a message.
int ConnectOrSpawnNetServer(const NetServerLaunch& launch, std::string& error);

}  // namespace zk
