#pragma once
// Windows-1252, the 8-bit code page of the program's text and of the maker's devices: the one table every
// conversion between it and Unicode goes through.
//
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of
// the same value, as the Windows conversion makes them, so every byte has a character and back.

#include <string>
#include <string_view>

namespace zk {

char32_t Cp1252ToCodePoint(unsigned char byte);
// The byte of a character, or -1 when the code page has none.
int Cp1252FromCodePoint(char32_t codePoint);

void AppendUtf8(std::string& out, char32_t codePoint);
// Each byte as its character, encoded as UTF-8.
std::string Cp1252ToUtf8(std::string_view text);
// UTF-8 text as Windows-1252 bytes; characters without an 8-bit form and malformed or cut-short sequences
// are left out.
std::string Cp1252FromUtf8(std::string_view utf8);

}  // namespace zk
