#pragma once
// Text at the wire boundary. The program's strings are 8-bit UTF-8; text that arrives from (or leaves for)
// the device server as bytes that are not valid UTF-8 is taken to be Windows-1252, the code page of the
// maker's devices and tools, and converted.

#include <string>
#include <string_view>

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool ZKIsUtf8(std::string_view text);

// `text` unchanged when it is valid UTF-8; otherwise each byte read as Windows-1252 and encoded as UTF-8.
// (The five bytes that Windows-1252 leaves undefined become the C1 controls of the same value, as the
// Windows conversion makes them.)
std::string ZKTextToUtf8(std::string_view text);
