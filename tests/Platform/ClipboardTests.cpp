#include "Platform/Clipboard.h"

#include <gtest/gtest.h>

#include <thread>

#include "Platform/Window.h"

namespace {

using namespace zk;

TEST(ClipboardTest, TextRoundTripsAsUtf8OnTheGuiThreadOnly) {
    EXPECT_FALSE(SetClipboardText("no window system"));
    {
        WindowSystemScope scope{WindowSystemOptions{{800, 600}, std::nullopt, BackendChoice::Headless}};
        EXPECT_EQ("", GetClipboardText());
        const std::string text =
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x9C\x93\r\nline two\t\xE2\x82\xAC";
        ASSERT_TRUE(SetClipboardText(text));
        EXPECT_EQ(text, GetClipboardText());
        ASSERT_TRUE(SetClipboardText(""));
        EXPECT_EQ("", GetClipboardText());
        ASSERT_TRUE(SetClipboardText("again"));

        bool otherThreadSet = true;
        std::string otherThreadGot = "unset";
        std::thread other([&] {
            otherThreadSet = SetClipboardText("from elsewhere");
            otherThreadGot = GetClipboardText();
        });
        other.join();
        EXPECT_FALSE(otherThreadSet);
        EXPECT_EQ("", otherThreadGot);
        EXPECT_EQ("again", GetClipboardText());
    }
    EXPECT_EQ("", GetClipboardText());
}

}  // namespace
