#include <cstdio>
#include <string>
#include <vector>

#include "ZelkMsg/ZelkMsgStartup.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return zelkmsg::RunZelkMsg(args, stdout, stderr);
}
