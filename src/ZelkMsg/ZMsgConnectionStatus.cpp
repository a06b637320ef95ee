#include "ZelkMsg/ZMsgConnectionStatus.h"

#include <cstdio>

std::string ZMsgConnectionStatus::StateText() const {
    switch (state) {
        case 0:
            return searching ? "OFFLINE Searching...." : "OFFLINE";
        case 1:
            return "DISCONNECTED";
        case 2:
            return "CONNECTED (not in sync)";
        case 3:
            return "CONNECTED";
        default:
            return {};
    }
}

std::vector<std::string> ZMsgConnectionStatus::DeviceTexts() const {
    std::vector<std::string> texts{"ID(" + identityName + ")"};
    if (state == 0) return texts;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "Dev(%s #%04d)", typeName.c_str(), static_cast<int>(serialNumber));
    texts.emplace_back(buffer);
    std::snprintf(buffer, sizeof buffer, "SwVer(%d.%d.%d/%d)", mainMajor, mainMinor, mainBuild,
                  profileRevision);
    texts.emplace_back(buffer);
    return texts;
}
