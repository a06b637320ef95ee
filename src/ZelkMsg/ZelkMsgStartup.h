#pragma once
// The process entry of ZelkMsg, apart from main() so that tests can drive it.

#include <cstdio>
#include <string>
#include <vector>

namespace zelkmsg {

// True when the command line (without the program name) is exactly the single argument "/version".
bool IsVersionRequest(const std::vector<std::string>& args);

// Runs the program for the given arguments and returns the process exit code. `out` and `err` receive
// what the program prints.
int RunZelkMsg(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace zelkmsg
