#include "ZelkMsg/ZelkMsgStartup.h"

#include "Gui/ZKGlobalOptions.h"
#include "ZelkMsg/ZMsgRegistry.h"
#include "ZelkMsg/ZelkMsgVersion.h"

namespace zelkmsg {

bool IsVersionRequest(const std::vector<std::string>& args) {
    return args.size() == 1 && args[0] == "/version";
}

int RunZelkMsg(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (IsVersionRequest(args)) {
        // Nothing else is initialised on this path.
        std::fprintf(out, "ZelkMsg %u.%u.%u\n", kVersion.major, kVersion.minor, kVersion.build);
        return 0;
    }
    // Before anything else of the program: a backup of the application's settings, whatever happens later.
    ZMsgRegistry::Instance().BackupAtStartup();
    // The stored display options are in force for every window from here on.
    ZKGlobalOptions displayOptions(ZMsgRegistry::Instance());
    displayOptions.Reload();
    displayOptions.Install();
    std::fprintf(
        err, "ZelkMsg %u.%u.%u: the main window is not built yet; this build only answers \"/version\".\n",
        kVersion.major, kVersion.minor, kVersion.build);
    return 0;
}

}  // namespace zelkmsg
