#pragma once
// The program's 8-bit text is Windows-1252 where it is drawn or typed; text from the system (typed
// characters, file names) arrives as UTF-8 and is converted here.

#include <string>

namespace zk {

// UTF-8 text as Windows-1252 bytes; characters without a Windows-1252 form are left out.
std::string Cp1252FromUtf8(const std::string& utf8);

}  // namespace zk
