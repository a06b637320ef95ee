#pragma once
// The process entry of ZelkMsg, apart from main() so that tests can drive it.
//
//   zelkmsg /version                              prints "ZelkMsg 2.15.83" and exits with 0
//   zelkmsg --console [--device N|TYPE#SERIAL]    the main window on the headless backend, its log on stdout
//   zelkmsg                                       the main window (any other command line starts it too)

#include <cstdio>
#include <string>
#include <vector>

#include "Common/device/ZKServer.h"
#include "ZelkMsg/ZelkMsgApp.h"

namespace zelkmsg {

// True when the command line (without the program name) is exactly the single argument "/version".
bool IsVersionRequest(const std::vector<std::string>& args);

// Console mode and its device from the command line; false with a message for a bad console command line.
bool ParseRunOptions(const std::vector<std::string>& args, ZelkMsgRunOptions& options, std::string& error);

// Runs the program for the given arguments and returns the process exit code. `out` and `err` receive
// what the program prints; `createServer` makes the device server's interface.
int RunZelkMsg(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
               const ZKServer::Factory& createServer = {});

}  // namespace zelkmsg
