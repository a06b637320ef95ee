#include "ZelkMsg/ZelkMsgStartup.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "Common/device/ZKNetCodes.h"
#include "support/FakeZKServer.h"
#include "support/TestSupport.h"

namespace {

using zelkmsg::IsVersionRequest;

TEST(ZelkMsgStartup, OnlyTheExactSingleArgumentIsTheVersionRequest) {
    EXPECT_TRUE(IsVersionRequest({"/version"}));
    EXPECT_FALSE(IsVersionRequest({}));
    EXPECT_FALSE(IsVersionRequest({"/Version"}));
    EXPECT_FALSE(IsVersionRequest({"/version "}));
    EXPECT_FALSE(IsVersionRequest({" /version"}));
    EXPECT_FALSE(IsVersionRequest({"/version", "x"}));
    EXPECT_FALSE(IsVersionRequest({"-version"}));
}

TEST(ZelkMsgStartup, VersionLineAndExitCode) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(nullptr, out);
    EXPECT_EQ(0, zelkmsg::RunZelkMsg({"/version"}, out, stderr));
    std::rewind(out);
    char text[64] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, out);
    std::fclose(out);
    EXPECT_EQ("ZelkMsg 2.15.83\n", std::string(text, n));
}

}  // namespace

namespace {

std::string ReadAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[512];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, n);
    return text;
}

TEST(ZelkMsgStartup, AServerThatCannotBeUsedEndsTheStartWithItsBoxAndExitCodeOne) {
    zktest::TempDir dir;
    zktest::ScopedEnv hkcu("ZK_HKCU_DB", dir.File("hkcu.db"));
    zktest::ScopedEnv hklm("ZK_HKLM_DB", dir.File("hklm.db"));
    zktest::ScopedEnv data("XDG_DATA_HOME", dir.File("data"));
    zktest::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path());
    FakeZKServer silent;
    silent.SetHResult(FakeZKServer::Op::GetVersion, zknet::kE_FAIL);
    FakeZKServer third;
    third.SetVersion(3, 0);
    const std::pair<ZKServer::Factory, std::string> cases[] = {
        {[] { return std::unique_ptr<IZKServer>(); }, "Cant start ZelkNetServer"},
        {[silent] { return std::make_unique<FakeZKServer>(silent); }, "Cant use ZelkNetServer"},
        {[third] { return std::make_unique<FakeZKServer>(third); }, "Wrong ZelkNetServer version"},
    };
    for (const auto& [factory, text] : cases) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(1, zelkmsg::RunZelkMsg({"--console"}, out, err, factory)) << text;
        EXPECT_EQ("[message] " + text + " -> OK\n", ReadAll(err));
        EXPECT_EQ("", ReadAll(out));
        std::fclose(out);
        std::fclose(err);
    }
}

TEST(ZelkMsgStartup, ConsoleOptions) {
    ZelkMsgRunOptions options;
    std::string error;
    ASSERT_TRUE(zelkmsg::ParseRunOptions({"--console", "--device", "ECU-M4#1201"}, options, error));
    EXPECT_TRUE(options.console);
    EXPECT_EQ("ECU-M4#1201", options.device.value_or(""));
    ASSERT_TRUE(zelkmsg::ParseRunOptions({"anything"}, options, error));
    EXPECT_FALSE(options.console);
    EXPECT_FALSE(zelkmsg::ParseRunOptions({"--console", "--device"}, options, error));
    EXPECT_FALSE(zelkmsg::ParseRunOptions({"--console", "--device", "x#"}, options, error));
    EXPECT_FALSE(zelkmsg::ParseRunOptions({"--console", "--verbose"}, options, error));
}

}  // namespace
