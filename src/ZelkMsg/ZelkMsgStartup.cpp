#include "ZelkMsg/ZelkMsgStartup.h"

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
    std::fprintf(
        err, "ZelkMsg %u.%u.%u: the main window is not built yet; this build only answers \"/version\".\n",
        kVersion.major, kVersion.minor, kVersion.build);
    return 0;
}

}  // namespace zelkmsg
