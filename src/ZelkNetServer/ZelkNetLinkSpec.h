#pragma once
// How a device behind a real text link is reached: a serial port with its line settings, a TCP peer to
// connect to, or a loopback port to listen on for one peer. Read from a scenario's `link` table or from a
// `zelknetserver --link` argument (syntax in docs/scenario.md).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ZelkNetLinkSpec {
    enum class Kind { Serial, Tcp, TcpListen };
    enum class Flow { None, RtsCts, XonXoff };

    Kind kind = Kind::Serial;
    std::string path;  // serial port
    std::uint32_t baud = 115200;
    std::uint8_t dataBits = 8;  // 5..8
    char parity = 'N';          // N, E or O
    std::uint8_t stopBits = 1;  // 1 or 2
    Flow flow = Flow::None;
    std::string host;  // TCP
    std::uint16_t port = 0;

    // "serial /dev/ttyUSB0 115200 8N1", "tcp 127.0.0.1:7000", "tcp listening on 127.0.0.1:7000".
    std::string Describe() const;

    // The rates a serial port can be set to.
    static bool ValidBaud(std::uint32_t baud);
    // "none", "rtscts", "xonxoff".
    static std::optional<Flow> ParseFlow(std::string_view text);
    static const char* FlowName(Flow flow);
    // Data bits, parity and stop bits as "8N1"; false when the text is not of that form.
    bool SetFrame(std::string_view frame);
    // "HOST:PORT" (an IPv6 address in brackets); false when it is not of that form or the port is 0.
    bool SetHostPort(std::string_view text);
    // Listening is allowed on loopback addresses only.
    static bool IsLoopback(const std::string& host);

    // A `--link` argument: the link and the identity it asks for (empty type, no serial: generic).
    struct Argument;
    static std::optional<Argument> ParseArgument(std::string_view text, std::string& error);
};

struct ZelkNetLinkSpec::Argument {
    ZelkNetLinkSpec link;
    std::string typeName;
    std::optional<std::uint32_t> serial;
};
