#include "Platform/Cp1252.h"

#include <array>

namespace zk {
namespace {

// Windows-1252 0x80..0x9F; 0 where the code page has no character.
constexpr std::array<char32_t, 32> k80 = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                          0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int Cp1252Of(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (size_t i = 0; i < k80.size(); ++i)
        if (k80[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

}  // namespace

std::string Cp1252FromUtf8(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80           ? 1
                           : (lead >> 5) == 0x6  ? 2
                           : (lead >> 4) == 0xE  ? 3
                           : (lead >> 3) == 0x1E ? 4
                                                 : 0;
        if (length == 0 || i + length > utf8.size()) {
            ++i;  // not a lead byte, or cut short: skip it
            continue;
        }
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = valid && (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        i += valid ? length : 1;
        if (!valid) continue;
        if (const int ch = Cp1252Of(cp); ch >= 0) out += static_cast<char>(ch);
    }
    return out;
}

}  // namespace zk
