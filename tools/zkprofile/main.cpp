// zkprofile check FILE : parses a profile text, prints its warnings and errors; exit 0 when valid.
// zkprofile dump FILE  : prints what the parser understood (see docs/profile-text.md); exit as check.
#include <cstdio>
#include <cstring>

#include "Common/profile/ZPProfile.h"

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "check") != 0 && std::strcmp(argv[1], "dump") != 0)) {
        std::fprintf(stderr, "usage: zkprofile check FILE\n       zkprofile dump FILE\n");
        return 2;
    }
    ZPProfile profile;
    const bool ok = profile.ParseFile(argv[2]);
    if (ok && std::strcmp(argv[1], "dump") == 0) std::fputs(profile.Dump().c_str(), stdout);
    profile.PrintWarnings();
    profile.PrintErrors();
    return ok ? 0 : 1;
}
