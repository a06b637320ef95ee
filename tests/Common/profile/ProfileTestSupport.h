#pragma once
// Small profile texts for the profile model's tests.

#include <string>

#include "Common/profile/ZPProfile.h"

namespace zptest {

// The databases, map cell and header a valid profile needs; `headerExtra` goes into the header.
inline std::string Basics(const std::string& headerExtra = {}) {
    return "GLOBAL_ID_DATABASE() { ID(ID_A, 1) ID(ID_B, 2) ID(ID_C, 3) ID(ID_D, 4) }\n"
           "GLOBAL_UNIT_DATABASE() { UNIT(U_V, \"V\") }\n"
           "GLOBAL_QTY_DATABASE() { QTY(Q_V, \"Voltage\", U_V) }\n"
           "GLOBAL_MAP_DATABASE() { MAP(Comment1, 1, 16) MAP(Table, 2, 8) MAP(Names, 3, 40) }\n"
           "MAP_CELL(OpaqueCalDataMC) { TYPE(UNSIGNED) BITS(8) }\n"
           "PROFILE_HEADER() {\n"
           " DEV_TYPE(\"T\") BYTE_ORDER(LITTLE_ENDIAN) PROFILE_ADDRESS(0x1000)\n"
           " CODE_BRANCH(1) CODE_VERSION(2) CODE_REVISION(3) FROM_CODE_REVISION(1) PROFILE_REVISION(1)\n" +
           headerExtra + "}\n";
}

// Parses `text`; on failure the last error (without its position) is in `error`.
inline bool Parse(ZPProfile& profile, const std::string& text, std::string* error = nullptr) {
    const bool ok = profile.ParseText(text, "t.txt");
    if (error) {
        *error = profile.Errors().empty() ? std::string() : profile.Errors().back();
        const std::size_t dash = error->find("\" - ");
        if (dash != std::string::npos) *error = error->substr(dash + 4);
    }
    return ok;
}

// The message of the last error of parsing `text`, or "" when it parsed.
inline std::string ErrorOf(const std::string& text) {
    ZPProfile profile;
    std::string error;
    return Parse(profile, text, &error) ? std::string() : error;
}

}  // namespace zptest
