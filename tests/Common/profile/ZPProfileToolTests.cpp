#include "Common/profile/ZPProfileTool.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>

#include "ImageTestSupport.h"
#include "Platform/Registry.h"
#include "support/TestSupport.h"

using namespace zptest;

namespace {

class ZPProfileToolTest : public ::testing::Test {
protected:
    // Runs the tool; the exit code, with stdout and stderr in out_ and err_.
    int Run(const std::string& command, const std::string& file, const std::string& output = {},
            std::uint8_t keyId = 0) {
        ZPProfileToolOptions options;
        options.command = command;
        options.file = file;
        options.output = output;
        options.keyId = keyId;
        out_.str({});
        err_.str({});
        return ZPRunProfileTool(options, out_, err_);
    }
    std::string Text(const std::string& name, const std::string& text) {
        zktest::WriteWholeFile(dir_.File(name), text);
        return dir_.File(name);
    }

    zktest::TempDir dir_;
    zktest::ScopedEnv hive_{"ZK_HKCU_DB", dir_.File("hkcu.db")};
    std::ostringstream out_;
    std::ostringstream err_;
};

// Runs the zkprofile executable; the exit code and stdout.
int RunExecutable(const std::string& arguments, std::string& out) {
    const char* bin = std::getenv("ZK_BIN_DIR");
    FILE* pipe =
        ::popen((std::string(bin ? bin : ".") + "/zkprofile " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    out.clear();
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST_F(ZPProfileToolTest, CompiledImageChecksInspectsAndDumpsLikeItsText) {
    const std::string text = Text("p.txt", SmallProfile());
    ASSERT_EQ(0, Run("compile", text, dir_.File("p.zkp"))) << err_.str();
    const std::string written = zktest::ReadWholeFile(dir_.File("p.zkp"));
    EXPECT_EQ(ImageOf(), Bytes(written.begin(), written.end())) << "compiling is deterministic";

    EXPECT_EQ(0, Run("check", dir_.File("p.zkp")));
    EXPECT_EQ("", out_.str());
    ASSERT_EQ(0, Run("dump", text));
    const std::string textDump = out_.str();
    ASSERT_EQ(0, Run("dump", dir_.File("p.zkp")));
    EXPECT_EQ(textDump, out_.str());

    ASSERT_EQ(0, Run("inspect", dir_.File("p.zkp")));
    const std::string inspected = out_.str();
    EXPECT_NE(std::string::npos, inspected.find("identity: good\n"));
    EXPECT_NE(std::string::npos, inspected.find("start address: 0x00002000\n"));
    EXPECT_NE(std::string::npos, inspected.find("device type: ZK Test\n"));
    EXPECT_NE(std::string::npos, inspected.find("  HELP: 3\n"));
    EXPECT_NE(std::string::npos, inspected.find("load: OK\n"));

    ZPProfileToolOptions at{"compile", text, dir_.File("a.zkp"), 0x00080000u};
    ASSERT_EQ(0, ZPRunProfileTool(at, out_, err_)) << err_.str();
    ASSERT_EQ(0, Run("inspect", dir_.File("a.zkp")));
    EXPECT_NE(std::string::npos, out_.str().find("start address: 0x00080000\n"));
    EXPECT_NE(std::string::npos, out_.str().find("load: OK\n"));
}

TEST_F(ZPProfileToolTest, ADamagedImagePrintsTheLoaderErrorAndFails) {
    Bytes image = ImageOf();
    image[80] ^= 1;
    const std::string path = Text("bad.zkp", std::string(image.begin(), image.end()));
    EXPECT_EQ(1, Run("check", path));
    EXPECT_EQ("Invalid CRC\n", out_.str());
    EXPECT_EQ(1, Run("inspect", path));
    EXPECT_NE(std::string::npos, out_.str().find("identity: bad\n"));
    EXPECT_NE(std::string::npos, out_.str().find("load: Invalid CRC\n"));
}

TEST_F(ZPProfileToolTest, BadInputOfEveryKindFailsWithAMessage) {
    EXPECT_EQ(1, Run("check", dir_.Path()));
    EXPECT_NE(std::string::npos, err_.str().find("is a folder"));
    EXPECT_EQ(1, Run("dump", dir_.File("missing.txt")));
    EXPECT_NE(std::string::npos, err_.str().find("cannot open"));
    EXPECT_EQ(1, Run("check", Text("empty.txt", "")));
    EXPECT_EQ(1, Run("check", Text("short.zkp", "\xC0\xDE")));
    EXPECT_EQ("invalid size - not mod 4\n", out_.str());
    EXPECT_EQ(1, Run("inspect", Text("p.txt", SmallProfile())));
    EXPECT_NE(std::string::npos, err_.str().find("not a profile image"));
    EXPECT_EQ(1, Run("compile", Text("bad.txt", "PROFILE_HEADER() {"), dir_.File("out.zkp")));
    EXPECT_EQ(1, Run("compile", Text("p.txt", SmallProfile()), dir_.Path()));
    EXPECT_NE(std::string::npos, err_.str().find("cannot write"));
    EXPECT_EQ(1, Run("compile", Text("p.txt", SmallProfile()), dir_.File("o.zkp"), 9));
    EXPECT_NE(std::string::npos, err_.str().find("no key with id 9"));
}

TEST_F(ZPProfileToolTest, KeysFromTheKeyFileNamedByTheSetting) {
    const std::string keys = Text("keys.txt", "# test keys\n9 " + std::string(64, 'a') + "\n");
    auto company = zk::RegKey::Create(zk::RegHive::CurrentUser, "Software\\Zelkor");
    ASSERT_TRUE(company && company->SetString("ProfileKeyFile", keys));
    ASSERT_EQ(0, Run("compile", Text("p.txt", SmallProfile()), dir_.File("p.zkp"), 9)) << err_.str();
    EXPECT_EQ(0, Run("check", dir_.File("p.zkp")));
    // Without the key file the image cannot be opened.
    ASSERT_TRUE(company->SetString("ProfileKeyFile", dir_.File("none.txt")));
    EXPECT_EQ(1, Run("check", dir_.File("p.zkp")));
    EXPECT_EQ("Decryption Error 3\n", out_.str());

    ZPImageKeys file;
    std::string error;
    EXPECT_FALSE(file.AddKeyFile(Text("bad.txt", "9 " + std::string(64, 'a') + "\n0 abcd\n"), error));
    EXPECT_EQ(dir_.File("bad.txt") + " line 2: expected a key id 1..255 and 64 hex digits", error);
    EXPECT_EQ(nullptr, file.Find(9)) << "a bad file adds no key";
}

TEST(ZkprofileExecutable, HelpOnStdoutAndBadArgumentsExitOne) {
    std::string out;
    EXPECT_EQ(0, RunExecutable("--help", out));
    EXPECT_NE(std::string::npos, out.find("compile"));
    EXPECT_NE(std::string::npos, out.find("inspect"));
    EXPECT_EQ(1, RunExecutable("", out));
    EXPECT_EQ(1, RunExecutable("frobnicate x", out));
    EXPECT_EQ(1, RunExecutable("compile x.txt --address nowhere -o y", out));
}
