#include "Common/ZKFileName.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 23> kReserved = {
    "CON",  "PRN",  "AUX",  "CLOCK$", "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2",   "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

bool ForbiddenCharacter(unsigned char ch) {
    return (ch >= 1 && ch <= 31) || ch >= 128 ||
           std::string_view("<>:\"/\\|").find(static_cast<char>(ch)) != std::string_view::npos;
}

}  // namespace

bool ZKIsValidFileName(std::string_view name) {
    if (name.empty() || name.front() == '.') return false;
    for (const char ch : name)
        if (ForbiddenCharacter(static_cast<unsigned char>(ch))) return false;
    for (const std::string_view reserved : kReserved)
        if (name == reserved) return false;
    return name.back() != ' ' && name.back() != '.';
}
