#pragma once
// A small profile for the device tests: two items (0x100 "Volts", unsigned 16 bits, raw * 0.5 + 1; 0x80
// "Temp", signed 8 bits), a renaming calibration of 1300 bytes, item rights, profile revision 1, and error
// databases of 30 sources: group One holds sources 1..20 with causes Short (bit 0) and Any (bit 1, the
// "error present" cause, id 1), group Two sources 21..30 with cause Short only.

#include <string>

#include "Common/profile/ProfileTestSupport.h"
#include "Common/profile/ZPProfile.h"

namespace zktest {

inline std::string DeviceProfileText() {
    std::string sources;
    std::string one;
    std::string two;
    for (int i = 1; i <= 30; ++i) {
        const std::string n = std::to_string(i);
        sources += "SOURCE(" + n + ", S_" + n + ", \"Source " + n + "\")\n";
        (i <= 20 ? one : two) += (i == 1 || i == 21 ? "S_" : ", S_") + n;
    }
    // The items' ids must be in the id database too.
    std::string basics =
        zptest::Basics(" RENAMING_DEFINITIONS(Names, 1300) ITEM_MIN_LOGGING_AND_SECURITY(Table)\n");
    basics.replace(basics.find("ID(ID_D, 4)"), 11, "ID(ID_D, 4) ID(ID_VOLTS, 0x100) ID(ID_TEMP, 0x80)");
    return basics +
           "ITEM(Volts) { ID(0x100) TYPE(UNSIGNED) BITS(16) SCALE(0.5) OFFSET(1) QTY(Q_V) }\n"
           "ITEM(Temp) { ID(0x80) TYPE(SIGNED) BITS(8) QTY(Q_V) }\n"
           "MENU(Root) { ITEM(Volts) ITEM(Temp) }\n"
           "GLOBAL_ERROR_DATABASE() {\n" +
           sources +
           "CAUSE(1, C_ANY, \"Error present\")\n"
           "CAUSE(2, C_SHORT, \"Short\")\n"
           "}\n"
           "LOCAL_ERROR_DATABASE() {\n"
           " GROUP(G_ONE, \"One\") { SOURCES(" +
           one + ") CAUSES(C_SHORT, C_ANY) }\n GROUP(G_TWO, \"Two\") { SOURCES(" + two +
           ") CAUSES(C_SHORT) }\n"
           "}\n";
}

// The same profile without its error databases.
inline std::string DeviceProfileTextWithoutErrors() {
    const std::string text = DeviceProfileText();
    return text.substr(0, text.find("GLOBAL_ERROR_DATABASE"));
}

// Parses the profile above into `profile`; true when it parsed.
inline bool ParseDeviceProfile(ZPProfile& profile) {
    return profile.ParseText(DeviceProfileText(), "device.txt");
}

}  // namespace zktest
