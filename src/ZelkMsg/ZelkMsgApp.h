#pragma once
// The program's run from the server connection to the exit code, in the order it must happen:
//
//   1. the window system (headless in console mode) and the global display options;
//   2. the main window object, whose timer service base must run before anything registers a tick;
//   3. the server connection, which registers its heartbeat with that timer service; on failure the
//      "ERROR" box and exit code 1;
//   4. the main window itself; its handle becomes the target of the timer service, the heartbeat and (when a
//      device opens) the device's worker;
//   5. the message loop until the window is gone; its exit code is the program's;
//   6. the server connection is deleted, then the window object (the timer service stops last).

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "Common/device/ZKServer.h"

class ZelkMsgWnd;
namespace zk {
class CMessageLoop;
}

struct ZelkMsgRunOptions {
    bool console = false;
    // Console mode: the only device to open, "N" or "TYPE#SERIAL".
    std::optional<std::string> device;
    // For measurements: called with the shown main window and the message loop just before it runs, to add
    // an observer, a message filter or an idle handler.
    std::function<void(ZelkMsgWnd&, zk::CMessageLoop&)> beforeLoop;
};

class ZelkMsgApp {
public:
    // Runs the program; `createServer` makes the server interface. `out` and `err` serve console mode.
    static int Run(const ZelkMsgRunOptions& options, const ZKServer::Factory& createServer, std::FILE* out,
                   std::FILE* err);
};
