// zelknet: a command-line client of zelknetserver.
#include "Common/device/netclient/ZKNetTool.h"

int main(int argc, char** argv) {
    return ZKNetToolMain(argc, argv);
}
