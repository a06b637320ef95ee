#include "Platform/Cp1252.h"

#include <gtest/gtest.h>

namespace {

using namespace zk;

TEST(Cp1252Test, EveryByteHasOneCharacterAndBack) {
    EXPECT_EQ(U'A', Cp1252ToCodePoint('A'));
    EXPECT_EQ(U'\u20AC', Cp1252ToCodePoint(0x80));  // euro sign
    EXPECT_EQ(U'\u0178', Cp1252ToCodePoint(0x9F));
    EXPECT_EQ(U'\u0081', Cp1252ToCodePoint(0x81));  // undefined: the C1 control
    EXPECT_EQ(U'\u00E9', Cp1252ToCodePoint(0xE9));
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(byte, Cp1252FromCodePoint(Cp1252ToCodePoint(static_cast<unsigned char>(byte)))) << byte;
    EXPECT_EQ(-1, Cp1252FromCodePoint(U'\u0080'));  // a C1 control the code page puts elsewhere
    EXPECT_EQ(-1, Cp1252FromCodePoint(U'\u2713'));
}

TEST(Cp1252Test, TextConvertsToUtf8) {
    EXPECT_EQ(
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC",
        Cp1252ToUtf8("Gr\xFC\xDF"
                     "e \x80"));
    EXPECT_EQ("", Cp1252ToUtf8(""));
}

TEST(Cp1252Test, Utf8BecomesWindows1252AndDropsWhatItCannotHold) {
    EXPECT_EQ(
        "Gr\xFC\xDF"
        "e \x80 \x93x\x94",
        Cp1252FromUtf8("Gr\xC3\xBC\xC3\x9F"
                       "e \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"));
    EXPECT_EQ("ok", Cp1252FromUtf8("o\xE2\x9C\x93k"));  // a check mark has no 8-bit form
    EXPECT_EQ("ab", Cp1252FromUtf8("a\x80\xC3"
                                   "b"));                 // stray and cut-short bytes are skipped
    EXPECT_EQ("x", Cp1252FromUtf8("x\xF0\x9F\x98\x80"));  // four-byte characters too
    EXPECT_EQ("", Cp1252FromUtf8("\xE2\x82"));
}

}  // namespace
