// Feeds arbitrary bytes to the line framer of the text links in chunks whose sizes come from the input, and
// checks that the lines are the same as those of the whole input fed at once, and well-formed.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Common/ZKText.h"
#include "ZelkNetServer/ZelkNetLineFramer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // A small limit reaches the cutting of long lines without megabyte inputs; the logic is the same.
    const std::size_t limit = 4 + data[0] % 29;
    const std::size_t seed = data[1];
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

    std::vector<std::string> whole;
    ZelkNetLineFramer once(limit);
    once.Feed(input, whole);
    once.Finish(whole);

    std::vector<std::string> pieces;
    ZelkNetLineFramer chunked(limit);
    std::size_t offset = 0;
    for (std::size_t step = seed; offset < input.size(); step = step * 31 + 7) {
        const std::size_t chunk = 1 + step % (2 * limit + 3);
        chunked.Feed(input.substr(offset, chunk), pieces);
        offset += chunk;
        if (chunked.Pending() > limit + 1) std::abort();
    }
    chunked.Finish(pieces);

    if (pieces != whole) std::abort();
    for (const std::string& line : whole) {
        // A piece holds at most `limit` bytes, each at most three bytes of UTF-8 once converted.
        if (line.empty() || line.size() > 3 * limit || line.find('\n') != std::string::npos) std::abort();
        if (!ZKIsUtf8(line)) std::abort();
    }
    return 0;
}
