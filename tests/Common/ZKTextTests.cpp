#include "Common/ZKText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ZKText, ValidUtf8PassesUnchanged) {
    for (const std::string& text : std::vector<std::string>{"", "plain ASCII",
                                                            "Gr\xC3\xBC\xC3\x9F"
                                                            "e",
                                                            "\xE2\x82\xAC 5", "\xF0\x9F\x94\xA7 wrench",
                                                            std::string("nul\0inside", 10)}) {
        EXPECT_TRUE(ZKIsUtf8(text)) << text;
        EXPECT_EQ(text, ZKTextToUtf8(text));
    }
}

TEST(ZKText, MalformedUtf8IsRejected) {
    for (const char* text : {"\xC0\xAF",          // overlong "/"
                             "\xE0\x80\xAF",      // overlong, three bytes
                             "\xED\xA0\x80",      // a surrogate
                             "\xF4\x90\x80\x80",  // above U+10FFFF
                             "ab\xC3",            // cut off at the end
                             "\xC3(",             // missing continuation
                             "\x80", "\xFF"})
        EXPECT_FALSE(ZKIsUtf8(text)) << text;
}

TEST(ZKText, OtherBytesAreReadAsWindows1252) {
    // Latin-1 range, the 0x80..0x9F block with its typographic characters, and an undefined byte.
    EXPECT_EQ("\xC3\xA9t\xC3\xA9", ZKTextToUtf8("\xE9t\xE9"));
    EXPECT_EQ(
        "\xE2\x82\xAC\xE2\x80\x9C"
        "x"
        "\xE2\x80\x9D\xC5\xB8",
        ZKTextToUtf8("\x80\x93x\x94\x9F"));
    EXPECT_EQ("\xC2\x81", ZKTextToUtf8("\x81"));
    // One bad byte decides for the whole text: valid sequences beside it are read byte by byte, too.
    EXPECT_EQ("\xC3\x83\xC2\xA9\xC3\xA9", ZKTextToUtf8("\xC3\xA9\xE9"));
    EXPECT_TRUE(ZKIsUtf8(ZKTextToUtf8("\xC0\xAF\xFF")));
}
