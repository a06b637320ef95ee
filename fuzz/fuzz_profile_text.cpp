// Feeds arbitrary text to the profile parser: every block kind, references, templates, the validity check
// and the dump of whatever parsed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Common/profile/ZPProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    ZPProfile profile;
    profile.SetConditionChecker([](const std::string& condition, std::string& message) {
        message = "empty";
        return !condition.empty();
    });
    if (profile.ParseText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt")) {
        const std::string dump = profile.Dump();
        if (dump.empty()) __builtin_trap();  // a valid profile has at least its databases
    }
    ZPProfile other;
    other.TakeFrom(profile);
    return 0;
}
