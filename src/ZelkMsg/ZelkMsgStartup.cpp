#include "ZelkMsg/ZelkMsgStartup.h"

#include <algorithm>

#include "ZelkMsg/ZMsgRegistry.h"
#include "ZelkMsg/ZelkMsgVersion.h"
#include "ZelkMsg/ZelkMsgWnd.h"

namespace zelkmsg {

bool IsVersionRequest(const std::vector<std::string>& args) {
    return args.size() == 1 && args[0] == "/version";
}

bool ParseRunOptions(const std::vector<std::string>& args, ZelkMsgRunOptions& options, std::string& error) {
    options = {};
    if (std::find(args.begin(), args.end(), "--console") == args.end()) return true;
    options.console = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--console") continue;
        if (args[i] == "--device" && i + 1 < args.size() && ZMsgDeviceSelector::Parse(args[i + 1])) {
            options.device = args[++i];
            continue;
        }
        error = "usage: zelkmsg --console [--device N|TYPE#SERIAL]";
        return false;
    }
    return true;
}

int RunZelkMsg(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
               const ZKServer::Factory& createServer) {
    if (IsVersionRequest(args)) {
        // Nothing else is initialised on this path.
        std::fprintf(out, "ZelkMsg %u.%u.%u\n", kVersion.major, kVersion.minor, kVersion.build);
        return 0;
    }
    ZelkMsgRunOptions options;
    std::string error;
    if (!ParseRunOptions(args, options, error)) {
        std::fprintf(err, "%s\n", error.c_str());
        return 2;
    }
    // Before anything else of the program: a backup of the application's settings, whatever happens later.
    ZMsgRegistry::Instance().BackupAtStartup();
    return ZelkMsgApp::Run(options, createServer, out, err);
}

}  // namespace zelkmsg
