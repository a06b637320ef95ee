// The links of `zelknetserver --link` and of a scenario's `link` table.
#include "ZelkNetServer/ZelkNetLinkSpec.h"

#include <gtest/gtest.h>

#include "ZelkNetServer/ZelkNetScenario.h"

namespace {

std::string Parsed(const std::string& text) {
    std::string error;
    const auto argument = ZelkNetLinkSpec::ParseArgument(text, error);
    if (!argument) return "error: " + error;
    std::string out = argument->link.Describe();
    if (!argument->typeName.empty()) out += " @" + argument->typeName;
    if (argument->serial) out += " #" + std::to_string(*argument->serial);
    return out;
}

}  // namespace

TEST(ZelkNetLinkSpec, ReadsTheLinkArguments) {
    EXPECT_EQ("serial /dev/ttyACM0 115200 8N1", Parsed("serial:/dev/ttyACM0:115200"));
    EXPECT_EQ("serial /dev/ttyUSB0 115200 8N1", Parsed("serial:/dev/ttyUSB0"));
    EXPECT_EQ("serial /dev/ttyS1 9600 7E2 rtscts @ECU-M4 #1201",
              Parsed("serial:/dev/ttyS1:9600:7e2:rtscts@ECU-M4#1201"));
    // A path with colons keeps them; the settings are taken from the right.
    EXPECT_EQ("serial /dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0 57600 8N1 @BENCH",
              Parsed("serial:/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0:57600@BENCH"));
    EXPECT_EQ("tcp 127.0.0.1:7000", Parsed("tcp:127.0.0.1:7000"));
    EXPECT_EQ("tcp ::1:7001 @PDU #7", Parsed("tcp:[::1]:7001@PDU#7"));
    EXPECT_EQ("tcp listening on 127.0.0.1:7002", Parsed("listen:127.0.0.1:7002"));

    EXPECT_EQ("error: unsupported baud rate 12345", Parsed("serial:/dev/ttyS0:12345"));
    EXPECT_EQ("error: a serial port is an absolute path, e.g. serial:/dev/ttyUSB0:115200",
              Parsed("serial:ttyS0"));
    EXPECT_EQ("error: listen works on a loopback address only (127.0.0.1, ::1, localhost)",
              Parsed("listen:0.0.0.0:7000"));
    EXPECT_EQ("error: tcp needs HOST:PORT, e.g. tcp:127.0.0.1:7000", Parsed("tcp:127.0.0.1:0"));
    EXPECT_EQ("error: the serial number after '#' must be a number from 0 to 4294967295",
              Parsed("tcp:h:1@T#x"));
    EXPECT_EQ("error: a link starts with serial:, tcp: or listen:", Parsed("usb:/dev/x"));
}

TEST(ZelkNetLinkSpec, LinkDevicesGetAGenericIdentityAndAddressesOfTheirOwn) {
    std::string error;
    ZelkNetScenario scenario;
    scenario.AddLinkDevice(*ZelkNetLinkSpec::ParseArgument("serial:/dev/ttyACM0:115200", error));
    scenario.AddLinkDevice(*ZelkNetLinkSpec::ParseArgument("tcp:127.0.0.1:7000@LOGGER#42", error));
    ASSERT_EQ(2u, scenario.devices.size());
    EXPECT_EQ("SERIAL", scenario.devices[0].identity.typeName);
    EXPECT_EQ(1u, scenario.devices[0].identity.serialNumber);
    EXPECT_EQ("serial /dev/ttyACM0 115200 8N1", scenario.devices[0].description);
    EXPECT_EQ("LOGGER", scenario.devices[1].identity.typeName);
    EXPECT_EQ(42u, scenario.devices[1].identity.serialNumber);
    EXPECT_NE(scenario.devices[0].address1, scenario.devices[1].address1);
}

TEST(ZelkNetLinkSpec, ReadsTheLinkTableOfAScenarioDevice) {
    const std::string device = "[[device]]\naddress = [1, 0, 1]\nidentity = { type = \"ECU\" }\n";
    std::string error;
    auto scenario = ZelkNetScenario::Parse(device +
                                               "link = { serial = \"/dev/ttyUSB0\", baud = 19200, data_bits "
                                               "= 7, parity = \"odd\", stop_bits = 2, flow = \"xonxoff\" }\n",
                                           {}, error);
    ASSERT_TRUE(scenario) << error;
    ASSERT_TRUE(scenario->devices[0].link);
    EXPECT_EQ("serial /dev/ttyUSB0 19200 7O2 xonxoff", scenario->devices[0].link->Describe());

    scenario =
        ZelkNetScenario::Parse(device + "link = { tcp = \"127.0.0.1:7000\", listen = true }\n", {}, error);
    ASSERT_TRUE(scenario) << error;
    EXPECT_EQ("tcp listening on 127.0.0.1:7000", scenario->devices[0].link->Describe());

    for (const char* bad :
         {"link = { serial = \"/dev/x\", tcp = \"a:1\" }", "link = { serial = \"/dev/x\", baud = 1234 }",
          "link = { tcp = \"10.0.0.1:7000\", listen = true }", "link = { serial = \"x\" }",
          "link = { serial = \"/dev/x\", parity = \"mark\" }"}) {
        EXPECT_FALSE(ZelkNetScenario::Parse(device + bad + "\n", {}, error)) << bad;
        EXPECT_TRUE(error.starts_with("scenario:4: device 0 link")) << error;
    }
}
