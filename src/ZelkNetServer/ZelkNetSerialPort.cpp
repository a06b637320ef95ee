#include "ZelkNetServer/ZelkNetSerialPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

speed_t Speed(std::uint32_t baud) {
    switch (baud) {
        case 50:
            return B50;
        case 75:
            return B75;
        case 110:
            return B110;
        case 134:
            return B134;
        case 150:
            return B150;
        case 200:
            return B200;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 1800:
            return B1800;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 500000:
            return B500000;
        case 576000:
            return B576000;
        case 921600:
            return B921600;
        case 1000000:
            return B1000000;
        case 1152000:
            return B1152000;
        case 1500000:
            return B1500000;
        case 2000000:
            return B2000000;
        case 2500000:
            return B2500000;
        case 3000000:
            return B3000000;
        case 3500000:
            return B3500000;
        default:
            return B4000000;
    }
}

tcflag_t CharacterSize(std::uint8_t bits) {
    switch (bits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

std::string Failure(const std::string& step) {
    return step + ": " + std::strerror(errno);
}

}  // namespace

int ZelkNetSerialPort::Open(int, std::string& why) {
    const int fd = ::open(spec_.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = Failure("cannot open the port");
        return -1;
    }
    if (!::isatty(fd)) {
        why = "not a serial port";
    } else if (::ioctl(fd, TIOCEXCL) != 0) {
        why = Failure("cannot take the port for itself");
    } else if (Configure(fd, why)) {
        return fd;
    }
    ::close(fd);
    return -1;
}

bool ZelkNetSerialPort::Configure(int fd, std::string& why) const {
    termios tty{};
    if (::tcgetattr(fd, &tty) != 0) {
        why = Failure("cannot read the port settings");
        return false;
    }
    ::cfmakeraw(&tty);
    tty.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tty.c_cflag |= CLOCAL | CREAD | CharacterSize(spec_.dataBits);
    if (spec_.parity != 'N') tty.c_cflag |= PARENB | (spec_.parity == 'O' ? PARODD : 0);
    if (spec_.stopBits == 2) tty.c_cflag |= CSTOPB;
    tty.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (spec_.flow == ZelkNetLinkSpec::Flow::RtsCts) tty.c_cflag |= CRTSCTS;
    if (spec_.flow == ZelkNetLinkSpec::Flow::XonXoff) tty.c_iflag |= IXON | IXOFF;
    tty.c_cc[VMIN] = 1;
    tty.c_cc[VTIME] = 0;
    const speed_t speed = Speed(spec_.baud);
    if (::cfsetispeed(&tty, speed) != 0 || ::cfsetospeed(&tty, speed) != 0 ||
        ::tcsetattr(fd, TCSANOW, &tty) != 0) {
        why = Failure("cannot set the port to " + std::to_string(spec_.baud) + " baud");
        return false;
    }
    return true;
}

bool ZelkNetSerialPort::StillThere(int fd) {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || ::stat(spec_.path.c_str(), &named) != 0) return false;
    return opened.st_rdev == named.st_rdev && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
}
