#include "Common/device/ZKIdentityReport.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char buffer[512];
    const int size = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::string row(buffer,
                    static_cast<std::size_t>(std::clamp(size, 0, static_cast<int>(sizeof buffer) - 1)));
    std::erase(row, '\n');
    return row;
}

}  // namespace

std::string ZKIdentityTimeText(std::uint32_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    char text[64];
    ::tzset();  // localtime_r alone does not notice a changed time zone
    if (!::localtime_r(&time, &local) || !::asctime_r(&local, text)) return "UNKNOWN\n";
    return text;
}

std::vector<std::string> ZKIdentityReportRows(const ZKDeviceIdentity& id,
                                              const std::optional<std::string>& identityName) {
    std::vector<std::string> rows;
    rows.emplace_back();
    rows.push_back(Format("$cgDEVICE :$t%s #%d", id.typeName.c_str(), static_cast<int>(id.serialNumber)));
    rows.push_back(identityName ? Format("$cgIDENTITY :$t%s", identityName->c_str())
                                : Format("$cgIDENTITY :$t%d", id.rootId));
    rows.push_back(Format("$cgBOOT CODE :$t%d.%d", id.bootMajor, id.bootMinor));
    rows.push_back(Format("$cgMAIN CODE :$t%d.%d.%d", id.mainMajor, id.mainMinor, id.mainBuild));
    std::string boxState;
    ZKBoxStateName(id.boxState, boxState);
    rows.push_back(Format("$cgBOXSTATE :$t%s", boxState.c_str()));
    rows.push_back(Format("$cgLAST RESET CAUSE :$t%d", id.resetCause));
    rows.push_back(Format("$cgCODE RETURN CAUSE :$t%d", id.returnCause));

    const auto time = [&rows](const char* label, std::uint32_t seconds) {
        rows.push_back(Format("$cg%s :$t%s", label, ZKIdentityTimeText(seconds).c_str()));
    };
    time("LAST PROGRAM TIME", id.lastProgramTime);
    time("BOOT CODE CREATION TIME", id.bootCreationTime);
    time("MAIN CODE CREATION TIME", id.mainCreationTime);
    time("SN PROGRAM TIME", id.serialProgramTime);
    time("ROOT ID PROGRAM TIME", id.rootIdProgramTime);
    time("USER ID PROGRAM TIME", id.userIdProgramTime);
    time("CODE PROGRAM TIME", id.codeProgramTime);
    time("CALIBRATION PROGRAM TIME", id.calibrationProgramTime);
    // The extended identity's times, each only when the device reports it.
    if (id.bootProgramTime) time("BOOT CODE PROGRAM TIME", id.bootProgramTime);
    if (id.preBootCreationTime) time("PRE BOOT CODE CREATION TIME", id.preBootCreationTime);
    if (id.preBootProgramTime) time("PRE BOOT CODE PROGRAM TIME", id.preBootProgramTime);
    return rows;
}
