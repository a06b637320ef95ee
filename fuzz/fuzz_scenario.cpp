// Scenario reader: any text either reads or fails with a message, never crashes or hangs.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ZelkNetServer/ZelkNetScenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ZelkNetScenario::ReadOptions options;
    options.allowFiles = false;  // fuzzed paths must not read the machine's files
    std::string error;
    const auto scenario =
        ZelkNetScenario::Parse(std::string_view(reinterpret_cast<const char*>(data), size), options, error);
    if (!scenario && error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
}
