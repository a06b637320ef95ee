#include "Common/NumberSyntax.h"

#include <gtest/gtest.h>

namespace {

std::int64_t Int(const char* text) {
    std::int64_t value = -12345;
    EXPECT_TRUE(ParseIntegerToken(text, value)) << text;
    return value;
}

bool IntFails(const char* text) {
    std::int64_t value = 0;
    return !ParseIntegerToken(text, value);
}

double Real(const char* text) {
    double value = -12345;
    EXPECT_TRUE(ParseRealToken(text, value)) << text;
    return value;
}

bool RealFails(const char* text) {
    double value = 0;
    return !ParseRealToken(text, value);
}

TEST(IntegerSyntax, PrefixesAndSuffixesOfEveryBase) {
    for (const char* text : {"12h", "0x12", "+0b10010", "22o", "0O22", "10010B", "18", "0X12", "12H"})
        EXPECT_EQ(18, Int(text)) << text;
    EXPECT_EQ(-255, Int("-0xff"));
    EXPECT_EQ(-5, Int("-101b"));
    EXPECT_EQ(0x1F, Int("0x1F"));
}

TEST(IntegerSyntax, ForeignDigitsAndEmptyDigitsFail) {
    for (const char* text :
         {"", "+", "-", "0x", "h", "12a", "0b102", "89o", "1.5", "0x-5", " 1", "1 ", "++1"})
        EXPECT_TRUE(IntFails(text)) << text;
}

TEST(IntegerSyntax, SixtyFourBitRange) {
    EXPECT_EQ(INT64_MAX, Int("9223372036854775807"));
    EXPECT_EQ(INT64_MIN, Int("-9223372036854775808"));
    EXPECT_EQ(-1, Int("0xFFFFFFFFFFFFFFFF"));
    EXPECT_TRUE(IntFails("0x10000000000000000"));
    EXPECT_TRUE(IntFails("99999999999999999999"));
}

TEST(RealSyntax, DecimalExponentAndIntegerForms) {
    EXPECT_DOUBLE_EQ(1500.0, Real("1.5e3"));
    EXPECT_DOUBLE_EQ(12.0, Real("12"));
    EXPECT_DOUBLE_EQ(18.0, Real("0x12"));
    EXPECT_DOUBLE_EQ(-0.25, Real("-.25"));
    EXPECT_DOUBLE_EQ(0.011, Real("1.1e-2"));
    EXPECT_DOUBLE_EQ(2000.0, Real("2e3"));
    EXPECT_EQ(0.1, Real("1e-1"));  // correctly rounded, like the literal
}

TEST(RealSyntax, CapitalEAndStrayCharactersFail) {
    for (const char* text :
         {"", "1.5E3", "1.5e3e1", "1.2.3", "1.5x", ".", "e3", "1.5e", "1e400", "nan", "inf"})
        EXPECT_TRUE(RealFails(text)) << text;
}

}  // namespace
