#include "ZelkNetServer/ZelkNetLinkSpec.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace {

constexpr std::array<std::uint32_t, 30> kBauds = {
    50,     75,     110,     134,     150,     200,     300,     600,     1200,    1800,
    2400,   4800,   9600,    19200,   38400,   57600,   115200,  230400,  460800,  500000,
    576000, 921600, 1000000, 1152000, 1500000, 2000000, 2500000, 3000000, 3500000, 4000000};

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator)) {
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    parts.push_back(text);
    return parts;
}

// serial:PATH[:BAUD[:FRAME[:FLOW]]]: the path may itself hold colons (/dev/serial/by-path/...), so the
// settings are taken from the right.
bool ParseSerial(std::string_view rest, ZelkNetLinkSpec& link, std::string& error) {
    std::vector<std::string_view> parts = Split(rest, ':');
    if (parts.size() > 1 && ZelkNetLinkSpec::ParseFlow(parts.back())) {
        link.flow = *ZelkNetLinkSpec::ParseFlow(parts.back());
        parts.pop_back();
    }
    if (parts.size() > 1 && link.SetFrame(parts.back())) parts.pop_back();
    if (parts.size() > 1 && ParseNumber<std::uint32_t>(parts.back())) {
        link.baud = *ParseNumber<std::uint32_t>(parts.back());
        parts.pop_back();
        if (!ZelkNetLinkSpec::ValidBaud(link.baud)) {
            error = "unsupported baud rate " + std::to_string(link.baud);
            return false;
        }
    }
    std::string path;
    for (std::size_t i = 0; i < parts.size(); ++i)
        path += (i ? ":" : "") + std::string(parts[i]);
    if (path.empty() || path[0] != '/') {
        error = "a serial port is an absolute path, e.g. serial:/dev/ttyUSB0:115200";
        return false;
    }
    link.path = path;
    return true;
}

}  // namespace

std::string ZelkNetLinkSpec::Describe() const {
    switch (kind) {
        case Kind::Serial: {
            std::string text = "serial " + path + " " + std::to_string(baud) + " " +
                               std::to_string(dataBits) + parity + std::to_string(stopBits);
            if (flow != Flow::None) text += std::string(" ") + FlowName(flow);
            return text;
        }
        case Kind::Tcp:
            return "tcp " + host + ":" + std::to_string(port);
        case Kind::TcpListen:
            return "tcp listening on " + host + ":" + std::to_string(port);
    }
    return {};
}

bool ZelkNetLinkSpec::ValidBaud(std::uint32_t baud) {
    return std::find(kBauds.begin(), kBauds.end(), baud) != kBauds.end();
}

std::optional<ZelkNetLinkSpec::Flow> ZelkNetLinkSpec::ParseFlow(std::string_view text) {
    for (Flow flow : {Flow::None, Flow::RtsCts, Flow::XonXoff}) {
        if (text == FlowName(flow)) return flow;
    }
    return std::nullopt;
}

const char* ZelkNetLinkSpec::FlowName(Flow flow) {
    switch (flow) {
        case Flow::None:
            return "none";
        case Flow::RtsCts:
            return "rtscts";
        case Flow::XonXoff:
            return "xonxoff";
    }
    return "none";
}

bool ZelkNetLinkSpec::SetFrame(std::string_view frame) {
    if (frame.size() != 3 || frame[0] < '5' || frame[0] > '8') return false;
    const char p = static_cast<char>(frame[1] & ~0x20);  // upper case
    if (p != 'N' && p != 'E' && p != 'O') return false;
    if (frame[2] != '1' && frame[2] != '2') return false;
    dataBits = static_cast<std::uint8_t>(frame[0] - '0');
    parity = p;
    stopBits = static_cast<std::uint8_t>(frame[2] - '0');
    return true;
}

bool ZelkNetLinkSpec::SetHostPort(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    std::string_view hostPart = text.substr(0, colon);
    if (hostPart.front() == '[') {
        if (hostPart.size() < 3 || hostPart.back() != ']') return false;
        hostPart = hostPart.substr(1, hostPart.size() - 2);
    } else if (hostPart.find(':') != std::string_view::npos) {
        return false;  // an IPv6 address needs brackets
    }
    const auto number = ParseNumber<std::uint16_t>(text.substr(colon + 1));
    if (!number || *number == 0) return false;
    host = std::string(hostPart);
    port = *number;
    return true;
}

bool ZelkNetLinkSpec::IsLoopback(const std::string& host) {
    return host == "localhost" || host == "::1" || host.starts_with("127.");
}

std::optional<ZelkNetLinkSpec::Argument> ZelkNetLinkSpec::ParseArgument(std::string_view text,
                                                                        std::string& error) {
    Argument argument;
    if (const std::size_t at = text.rfind('@'); at != std::string_view::npos) {
        std::string_view identity = text.substr(at + 1);
        text = text.substr(0, at);
        if (const std::size_t hash = identity.find('#'); hash != std::string_view::npos) {
            argument.serial = ParseNumber<std::uint32_t>(identity.substr(hash + 1));
            if (!argument.serial) {
                error = "the serial number after '#' must be a number from 0 to 4294967295";
                return std::nullopt;
            }
            identity = identity.substr(0, hash);
        }
        if (identity.empty() || identity.size() > 31) {
            error = "the type after '@' has 1 to 31 characters";
            return std::nullopt;
        }
        argument.typeName = std::string(identity);
    }
    const std::size_t colon = text.find(':');
    const std::string_view scheme = text.substr(0, colon);
    const std::string_view rest = colon == std::string_view::npos ? "" : text.substr(colon + 1);
    ZelkNetLinkSpec& link = argument.link;
    if (scheme == "serial") {
        link.kind = Kind::Serial;
        if (!ParseSerial(rest, link, error)) return std::nullopt;
    } else if (scheme == "tcp" || scheme == "listen") {
        link.kind = scheme == "tcp" ? Kind::Tcp : Kind::TcpListen;
        if (!link.SetHostPort(rest)) {
            error = std::string(scheme) + " needs HOST:PORT, e.g. " + std::string(scheme) + ":127.0.0.1:7000";
            return std::nullopt;
        }
        if (link.kind == Kind::TcpListen && !IsLoopback(link.host)) {
            error = "listen works on a loopback address only (127.0.0.1, ::1, localhost)";
            return std::nullopt;
        }
    } else {
        error = "a link starts with serial:, tcp: or listen:";
        return std::nullopt;
    }
    return argument;
}
