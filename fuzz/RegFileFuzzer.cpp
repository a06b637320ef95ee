// Fuzzes the .reg reader: any input either fails cleanly or parses into sections that, written out again,
// read back to the very same sections.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Platform/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto keys = zk::ParseRegText(text, error);
    if (!keys) return 0;
    const auto again = zk::ParseRegText(zk::FormatRegText(*keys), error);
    if (!again || *again != *keys) std::abort();
    return 0;
}
