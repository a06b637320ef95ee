#pragma once
// Whether a name typed by the user may be used as a file name, by the rules of the maker's programs (which
// are stricter than the file system's): not empty, not starting with "." and not ending with a space or
// ".", no control or 8-bit characters (codes 1..31, 128..255), none of <>:"/\|, and not exactly one of the
// reserved device names CON, PRN, AUX, CLOCK$, NUL, COM1..COM9, LPT1..LPT9 (compared case-sensitively as a
// whole name: "con" and "NUL.txt" pass). "?" and "*" are not rejected.

#include <string_view>

bool ZKIsValidFileName(std::string_view name);
