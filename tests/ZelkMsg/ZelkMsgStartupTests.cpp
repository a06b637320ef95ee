#include "ZelkMsg/ZelkMsgStartup.h"

#include <gtest/gtest.h>

#include <cstdio>

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
