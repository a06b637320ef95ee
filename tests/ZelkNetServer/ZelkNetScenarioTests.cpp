#include "ZelkNetServer/ZelkNetScenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

#include "Common/profile/ZKProfilePlus.h"
#include "Common/profile/ZPImageLoader.h"
#include "Common/profile/ZPLocalErrorDB.h"
#include "Common/profile/ZPProfileHeader.h"
#include "support/TestSupport.h"

namespace {

std::optional<ZelkNetScenario> Parse(const std::string& text, std::string& error) {
    ZelkNetScenario::ReadOptions options;
    options.sourceName = "t.toml";
    options.allowFiles = false;
    return ZelkNetScenario::Parse(text, options, error);
}

std::string ErrorOf(const std::string& text) {
    std::string error;
    EXPECT_FALSE(Parse(text, error)) << text;
    return error;
}

const char* const kDevice = R"(
[[device]]
address = [1, 2, 3]
[device.identity]
type = "ECU-M4"
)";

}  // namespace

TEST(ZelkNetScenario, ReadsEveryPartOfAFullScenario) {
    const std::string text = R"(
[server]
version = [2, 9, 4]
[[server.identity]]
root = 0x1234
name = "Team"
rights = 3
[[server.access]]
root = 0x1234
area = 4
triples = [[1, 2, 3], [4, 5, 6]]
[[server.stored_profile]]
type = "ECU-M4"
code = [3, 1, 7]
hex = "01 02 ff"
[server.error_texts]
46 = "nothing here"

[[device]]
address = [1, 2, 3]
description = "bench"
plugged = false
features = [1, 2]
[device.identity]
type = "ECU-M4"
serial = 1201
main_code = [3, 1, 7]
box_state = 800
extra = [[7, 1], [8, 0]]
[device.identity.times]
last_program = 1970-01-02T00:00:00Z
boot_creation = 5
[device.identity.extended]
preboot_program = 9
[device.messages]
script = ["a", { text = "b", delay_ms = 10 }]
[device.messages.chatter]
rate = 3.5
texts = ["x"]
alarms = ["y!!"]
[[device.messages.burst]]
count = 4
text = "n{n}"
[[device.error]]
id = 5
stored = 2
period_ms = 100
[device.store]
hex = "aa bb"
size = 64
[device.store.profile]
hex = "0102030405"
address = 16
header_word = 0x0203
[device.calibration]
renaming = { hex = "0a0b" }
[device.item_rights]
default = 1
7 = 3
)";
    std::string error;
    const auto scenario = Parse(text, error);
    ASSERT_TRUE(scenario) << error;
    EXPECT_EQ(9, scenario->version.minor);
    EXPECT_EQ(4, scenario->version.build);
    ASSERT_EQ(1u, scenario->access.size());
    EXPECT_EQ(2u, scenario->access[0].triples.size());
    EXPECT_EQ((ZKBytes{1, 2, 0xFF}), scenario->storedProfiles.at(0).bytes);
    EXPECT_EQ("nothing here", scenario->errorTexts.at(46));
    ASSERT_EQ(1u, scenario->devices.size());
    const ZelkNetDeviceSpec& d = scenario->devices[0];
    EXPECT_FALSE(d.plugged);
    EXPECT_EQ(86400u, d.identity.lastProgramTime);
    EXPECT_EQ(800, d.identity.boxState);
    EXPECT_EQ(8, d.identity.extraRootIds[1]);
    EXPECT_EQ(9u, d.identity.preBootProgramTime);
    ASSERT_EQ(2u, d.script.size());
    EXPECT_EQ(10u, d.script[1].delayMs);
    EXPECT_DOUBLE_EQ(3.5, d.chatter->ratePerSecond);
    EXPECT_EQ(64u, d.store.size());
    EXPECT_EQ(0xBB, d.store[1]);
    EXPECT_EQ(0x05, d.store[20]);
    ASSERT_TRUE(d.profileLocation);
    EXPECT_EQ(16u, d.profileLocation->address);
    EXPECT_EQ(5u, d.profileLocation->size);
    EXPECT_EQ((ZKBytes{0x0A, 0x0B}), d.calibration.at(1));
    EXPECT_EQ(1, d.defaultItemRights);
    EXPECT_EQ(3, d.itemRights.at(7));
}

TEST(ZelkNetScenario, ErrorsNameTheLineAndTheProblem) {
    // Syntax errors come from the TOML reader, value errors from ours; both with file and line.
    EXPECT_EQ(0u, ErrorOf("[server]\nversion = [2,\n").find("t.toml:"));
    const std::string badSerial = ErrorOf(std::string(kDevice) + "serial = -1\n");
    EXPECT_NE(std::string::npos, badSerial.find("t.toml:6:")) << badSerial;
    EXPECT_NE(std::string::npos, badSerial.find("serial")) << badSerial;
    const std::string typo = ErrorOf(std::string(kDevice) + "\nseriall = 3\n");
    EXPECT_NE(std::string::npos, typo.find("t.toml:7:")) << typo;
    EXPECT_NE(std::string::npos, typo.find("unknown key 'seriall'")) << typo;
}

TEST(ZelkNetScenario, RefusesValuesOutOfRange) {
    EXPECT_NE("", ErrorOf("[[device]]\naddress = [1, 2, 70000]\n[device.identity]\ntype = \"A\"\n"));
    EXPECT_NE("", ErrorOf("[[device]]\naddress = [1, 2]\n[device.identity]\ntype = \"A\"\n"));
    EXPECT_NE("", ErrorOf("[[device]]\naddress = [1, 2, 3]\n"));  // no identity
    EXPECT_NE("", ErrorOf("[[device]]\naddress = [1, 2, 3]\n[device.identity]\ntype = \"" +
                          std::string(32, 'x') + "\"\n"));
    EXPECT_NE("", ErrorOf(std::string(kDevice) + "[device.store]\nhex = \"abc\"\n"));
    EXPECT_NE("", ErrorOf(std::string(kDevice) + "[device.store]\nhex = \"zz\"\n"));
    EXPECT_NE("", ErrorOf(std::string(kDevice) + "[device.store]\nfile = \"/etc/passwd\"\n"));  // files off
    EXPECT_NE("", ErrorOf(std::string(kDevice) + "[device.messages]\nscript = [\"a\"]\nrepeat = true\n"));
    EXPECT_NE("", ErrorOf(std::string(kDevice) + "[device.messages.chatter]\nrate = 2\n"));
    EXPECT_NE("", ErrorOf(std::string(kDevice) + kDevice));  // two devices at one address
    std::string features = "1";
    for (int i = 0; i < 64; ++i)
        features += ", 1";  // 65 features
    EXPECT_NE("", ErrorOf("[[device]]\naddress = [1, 2, 3]\nfeatures = [" + features + "]\n"));
}

TEST(ZelkNetScenario, LoadFindsByteFilesNextToTheScenario) {
    zktest::TempDir dir;
    zktest::WriteWholeFile(dir.File("store.bin"), std::string("\x01\x02\x03", 3));
    zktest::WriteWholeFile(dir.File("s.toml"),
                           std::string(kDevice) + "[device.store]\nfile = \"store.bin\"\n");
    std::string error;
    const auto scenario = ZelkNetScenario::Load(dir.File("s.toml"), error);
    ASSERT_TRUE(scenario) << error;
    EXPECT_EQ((ZKBytes{1, 2, 3}), scenario->devices.at(0).store);
    EXPECT_FALSE(ZelkNetScenario::Load(dir.File("missing.toml"), error));
    EXPECT_NE(std::string::npos, error.find("missing.toml"));
}

// The copy of the demo next to the programs serves each device's compiled profile from its store and from the
// server's stored profiles, and the scenario's error ids name sources and cause bits of that profile.
TEST(ZelkNetScenario, TheBuiltDemoServesACompiledProfileForEveryDevice) {
    std::string error;
    const auto scenario = ZelkNetScenario::Load(ZK_BINARY_DIR "/share/zelkor/scenarios/demo.toml", error);
    ASSERT_TRUE(scenario) << error;
    for (const ZelkNetDeviceSpec& device : scenario->devices) {
        const ZKDeviceIdentity& id = device.identity;
        const auto stored = std::find_if(scenario->storedProfiles.begin(), scenario->storedProfiles.end(),
                                         [&id](const ZelkNetStoredProfile& p) {
                                             return p.typeName == id.typeName && p.major == id.mainMajor &&
                                                    p.minor == id.mainMinor && p.build == id.mainBuild;
                                         });
        ASSERT_NE(scenario->storedProfiles.end(), stored) << id.typeName;
        ASSERT_TRUE(device.profileLocation) << id.typeName;
        const ZKProfileLocation& location = *device.profileLocation;
        ASSERT_LE(location.address + location.size, device.store.size());
        const ZKBytes image(device.store.begin() + location.address,
                            device.store.begin() + location.address + location.size);
        EXPECT_EQ(stored->bytes, image) << id.typeName;

        ZKProfilePlus profile;
        ASSERT_TRUE(ZPImageLoader::Load(image, profile, {}, error)) << id.typeName << ": " << error;
        EXPECT_EQ(id.typeName, profile.Header()->DevType());
        EXPECT_EQ(location.address, profile.Header()->ProfileAddress());
        for (const ZelkNetErrorSpec& errorSpec : device.errors) {
            ASSERT_TRUE(profile.LocalErrorDB()) << id.typeName;
            const ZPLocalErrorDB::Group* group = nullptr;
            for (const auto& candidate : profile.LocalErrorDB()->Groups())
                for (const ZPErrorInfo* source : candidate.sources)
                    if (source->id == errorSpec.id) group = &candidate;
            ASSERT_TRUE(group) << id.typeName << " error " << errorSpec.id;
            EXPECT_LT(std::bit_width(errorSpec.active | errorSpec.stored), group->causes.size() + 1)
                << errorSpec.id;
            // The "error present" cause would hide the source instead of naming its cause.
            const ZPErrorInfo* present = profile.GlobalErrorDB()->ReferenceCause();
            ASSERT_TRUE(present) << id.typeName;
            const int presentBit = group->CauseBit(present);
            if (presentBit >= 0) {
                EXPECT_EQ(0u, (errorSpec.active | errorSpec.stored) & (1u << presentBit)) << errorSpec.id;
            }
        }
    }
}

TEST(ZelkNetScenario, TheDemoScenarioReads) {
    std::string error;
    const auto scenario = ZelkNetScenario::Load(ZK_SOURCE_DIR "/data/scenarios/demo.toml", error);
    ASSERT_TRUE(scenario) << error;
    EXPECT_EQ(3u, scenario->devices.size());
}
