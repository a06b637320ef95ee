#pragma once
// The number syntax of the maker's text files and expressions.
//
// Integers: an optional "+" or "-", then a prefix "0x"/"0X" (hexadecimal), "0o"/"0O" (octal), "0b"/"0B"
// (binary), or a suffix "h"/"H", "o"/"O", "b"/"B" for the same bases, or neither (decimal). Every other
// character must be a digit of the base. Magnitudes up to 2^64-1 are accepted and kept as two's complement
// in 64 bits (so 0xFFFFFFFFFFFFFFFF is -1); larger ones fail.
//
// Reals: a token without "." is first read as an integer. Otherwise only "+-e0123456789." may occur (no
// capital E); with one "e" the value is mantissa times ten to the integer exponent.

#include <cstdint>
#include <string_view>

bool ParseIntegerToken(std::string_view token, std::int64_t& value);
bool ParseRealToken(std::string_view token, double& value);
