#include "Common/expression/ZKTokenList.h"

#include <gtest/gtest.h>

#include "Common/expression/ZKExpressionOperators.h"

namespace {

ZKTokenList List(const std::string& source) {
    return ZKTokenList(ZKExpressionTokenizer::Tokenize(source));
}

constexpr std::size_t kNone = ZKTokenList::kNoPartner;

// Each bracket kind nests on its own: interleaved kinds still pair up, a closing bracket without an
// opening one has no partner and closes below the level of a range that starts before it.
TEST(ZKTokenListBrackets, EachKindPairsOnItsOwn) {
    const ZKTokenList interleaved = List("( [ ) ] ( ) x");
    EXPECT_EQ(
        (std::vector<std::size_t>{2, 3, kNone, kNone, 5, kNone, kNone}),
        (std::vector<std::size_t>{interleaved.Partner(0), interleaved.Partner(1), interleaved.Partner(2),
                                  interleaved.Partner(3), interleaved.Partner(4), interleaved.Partner(5),
                                  interleaved.Partner(6)}));
    EXPECT_FALSE(interleaved.AtLevelOf(0, 2));
    EXPECT_FALSE(interleaved.AtLevelOf(0, 3));
    EXPECT_TRUE(interleaved.AtLevelOf(0, 4));
    EXPECT_TRUE(interleaved.AtLevelOf(0, 6));

    const ZKTokenList stray = List("a ) ( b )");
    EXPECT_EQ(kNone, stray.Partner(0));
    EXPECT_EQ(4u, stray.Partner(2));
    EXPECT_TRUE(stray.ClosesBelow(0, 1));
    EXPECT_FALSE(stray.ClosesBelow(2, 4));
    EXPECT_TRUE(stray.ClosesBelow(3, 4));  // the range "b )" never opened it
    EXPECT_FALSE(stray.AtLevelOf(0, 2));   // everything after a stray bracket sits below the start

    const ZKTokenList open = List("( 1 + ( 2 )");
    EXPECT_EQ(kNone, open.Partner(0));
    EXPECT_EQ(5u, open.Partner(3));
    EXPECT_FALSE(open.AtLevelOf(0, 2));
    EXPECT_TRUE(open.AtLevelOf(1, 2));
    EXPECT_EQ("( 2 )", open.RangeText(3, 6));
    EXPECT_EQ(kOpPlus, open.Operator(2));
    EXPECT_EQ(-1, open.Operator(1));
}

}  // namespace
