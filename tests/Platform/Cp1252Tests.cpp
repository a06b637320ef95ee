#include "Platform/Cp1252.h"

#include <gtest/gtest.h>

namespace {

using zk::Cp1252FromUtf8;

TEST(Cp1252Test, TextBecomesWindows1252AndDropsWhatItCannotHold) {
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
