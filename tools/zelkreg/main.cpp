// zelkreg: reg.exe's QUERY, ADD, DELETE, EXPORT and IMPORT on the settings store.
#include <iostream>
#include <string>
#include <vector>

#include "Platform/RegTool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zk::RunRegTool(args, std::cin, std::cout, std::cerr);
}
