#pragma once
// The three auto-connect options, held by the main window and passed by value.

#include <cstdint>

struct ZMsgAutoConnectOptions {
    std::uint32_t autoConnect = 0;  // start searching with the program; resume after a disconnect
    std::uint32_t singleShot = 0;   // after a connection, do not resume searching on disconnect
    std::uint32_t autoOffLine = 1;  // drop a device that failed to identify more than 10 times in a row

    friend bool operator==(const ZMsgAutoConnectOptions&, const ZMsgAutoConnectOptions&) = default;
};
