#include "Common/NumberSyntax.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// The base a marker letter names: x/h hexadecimal, o octal, b binary; 0 for any other letter.
int BaseOfLetter(char c, bool prefix) {
    switch (c) {
        case 'x':
        case 'X':
            return prefix ? 16 : 0;
        case 'h':
        case 'H':
            return prefix ? 0 : 16;
        case 'o':
        case 'O':
            return 8;
        case 'b':
        case 'B':
            return 2;
        default:
            return 0;
    }
}

int BaseOfPrefix(std::string_view text) {
    return (text.size() >= 2 && text[0] == '0') ? BaseOfLetter(text[1], true) : 0;
}

// Digits of one base into a 64-bit magnitude; fails on a foreign character, no digits, or overflow.
bool ConvertDigits(std::string_view digits, int base, std::uint64_t& magnitude) {
    if (digits.empty()) return false;
    magnitude = 0;
    const auto limit = ~std::uint64_t{0};
    for (char c : digits) {
        const int d = DigitValue(c);
        if (d >= base) return false;
        const auto b = static_cast<std::uint64_t>(base);
        if (magnitude > (limit - static_cast<std::uint64_t>(d)) / b) return false;
        magnitude = magnitude * b + static_cast<std::uint64_t>(d);
    }
    return true;
}

bool ConvertDecimalReal(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double result = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(result)) return false;
    value = result;
    return true;
}

}  // namespace

bool ParseIntegerToken(std::string_view token, std::int64_t& value) {
    bool negative = false;
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
        negative = token[0] == '-';
        token.remove_prefix(1);
    }
    int base = BaseOfPrefix(token);
    if (base != 0) {
        token.remove_prefix(2);
    } else if (!token.empty() && (base = BaseOfLetter(token.back(), false)) != 0) {
        token.remove_suffix(1);
    } else {
        base = 10;
    }
    std::uint64_t magnitude = 0;
    if (!ConvertDigits(token, base, magnitude)) return false;
    value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

bool ParseRealToken(std::string_view token, double& value) {
    if (token.empty()) return false;
    if (token.find('.') == std::string_view::npos) {
        std::int64_t integer = 0;
        if (ParseIntegerToken(token, integer)) {
            value = static_cast<double>(integer);
            return true;
        }
    }
    if (token.find_first_not_of("+-e0123456789.") != std::string_view::npos) return false;
    const auto e = token.find('e');
    if (e == std::string_view::npos) return ConvertDecimalReal(std::string(token), value);
    if (token.find('e', e + 1) != std::string_view::npos) return false;

    double mantissa = 0;
    std::int64_t exponent = 0;
    if (!ConvertDecimalReal(std::string(token.substr(0, e)), mantissa)) return false;
    if (!ParseIntegerToken(token.substr(e + 1), exponent)) return false;
    // Re-read as one decimal literal: the same value as mantissa x 10^exponent, correctly rounded.
    return ConvertDecimalReal(std::string(token.substr(0, e)) + "e" + std::to_string(exponent), value);
}
