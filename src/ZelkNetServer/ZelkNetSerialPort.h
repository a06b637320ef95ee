#pragma once
// A serial port as a link's port: opened exclusively (TIOCEXCL: nobody else may open it while we hold it),
// set to raw mode with the link's rate, frame and flow control, and watched for its path: when the path
// disappears or names another device (an unplugged USB adapter), the port counts as gone.

#include "ZelkNetServer/ZelkNetLink.h"
#include "ZelkNetServer/ZelkNetLinkSpec.h"

class ZelkNetSerialPort final : public ZelkNetLinkPort {
public:
    explicit ZelkNetSerialPort(ZelkNetLinkSpec linkSpec) : spec_(std::move(linkSpec)) {}

    int Open(int wakeFd, std::string& why) override;
    bool StillThere(int fd) override;

private:
    // Raw mode with the link settings; false with the reason.
    bool Configure(int fd, std::string& why) const;

    ZelkNetLinkSpec spec_;
};
