#include "Common/expression/ZKExpressionOperators.h"

#include "ZKExpressionTestSupport.h"

namespace {

const char* kV2 = "MathLanguageVersion(2,0); ";

TEST(ZKExpressionOperatorsIntegers, ModulusShiftsAndBits) {
    EXPECT_EQ("1", Once("7 % 3"));
    EXPECT_EQ("-1", Once("-7 % 3"));
    EXPECT_EQ("1", Once("7.9 % 3"));
    EXPECT_EQ("undefined", Once("var(x,0); 7 % x"));
    EXPECT_EQ("undefined", Once("var(x,0.5); 7 % x"));  // the divisor truncates to 0
    EXPECT_EQ("0", Once("1 << 70"));
    EXPECT_EQ("-4", Once("-8 >> 1"));
    EXPECT_EQ("-1", Once("-8 >> 70"));
    EXPECT_EQ("0", Once("8 >> 70"));
    EXPECT_EQ("8589934592", Once("1 << 33"));
    EXPECT_EQ("2", Once("1 << 257"));  // only the lowest 8 bits of the count matter
    EXPECT_EQ("1", Once("5.9 & 3"));
    EXPECT_EQ("6", Once("5 ^ 3"));
    EXPECT_EQ("7", Once("5 | 3"));
    EXPECT_EQ("-6", Once("~5"));
    EXPECT_EQ("1", Once("!0"));
    EXPECT_EQ("0", Once("!7"));
}

TEST(ZKExpressionOperatorsComparisons, NaNComparesFalseAndEqualityIsExact) {
    // sqrt of a negative is undefined, but 0/0 through variables gives a real NaN.
    const std::string nan = "var(z,0); var(n,0); n = z / z; ";
    EXPECT_EQ("undefined", Once(nan + "n"));
    EXPECT_EQ("0", Once("var(x,1); var(y,2); fmod(1,1) < 1 - 1"));
    EXPECT_EQ("1", Once("0.1 + 0.2 != 0.3"));
    EXPECT_EQ("1", Once("2 >= 2"));
    EXPECT_EQ("0", Once("2 > 2"));
    EXPECT_EQ("1", Once("1 <= 1"));
    // A NaN item: every ordering comparison gives 0.
    ZKArithFn fns[] = {&ZKArith::Less, &ZKArith::LessEqual, &ZKArith::Greater, &ZKArith::GreaterEqual,
                       &ZKArith::Equal};
    for (auto fn : fns) {
        double r = -1.0;
        ASSERT_TRUE(fn(NAN, 1.0, r));
        EXPECT_EQ(0.0, r);
    }
}

TEST(ZKExpressionOperatorsAssignment, CompoundFormsAndUndefinedValues) {
    // The statement itself stays defined, the variable does not.
    EXPECT_EQ("undefined", Once("undefined()"));
    const std::string statement = Once("var(v,5); v += undefined()");
    EXPECT_NE(0u, statement.rfind("error:", 0)) << statement;  // it compiled
    EXPECT_NE("undefined", statement);
    EXPECT_EQ("undefined", Once("var(v,5); v += undefined(); v"));
    EXPECT_EQ("undefined", Once("var(v,5); v /= 0; v"));
    EXPECT_EQ("5", Once("var(v,5); v /= 0; v = 5"));
    EXPECT_EQ("16", Once("var(v,2); v <<= 3; v"));
    EXPECT_EQ("2", Once("var(v,7); v %= 5; v"));
    EXPECT_EQ("1", Once("var(v,7); v &= 9; v"));
    EXPECT_EQ("14", Once("var(v,7); v ^= 9; v"));
    EXPECT_EQ("15", Once("var(v,7); v |= 9; v"));
    EXPECT_EQ("3", Once("var(v,7); v >>= 1; v"));
    EXPECT_EQ("12", Once("var(v,7); v -= 1; v *= 2; v"));
    EXPECT_EQ("2", Once("var(v,7); v *= 2"));               // the statement yields the right operand
    EXPECT_EQ("undefined", Once("var(a[2],1); a[5] = 3"));  // an element that cannot be addressed
}

TEST(ZKExpressionOperatorsVersions, ShortCircuitsAndStatefulOperands) {
    // 0 && undefined()
    EXPECT_EQ("0", Once(std::string(kV2) + "0 && undefined()"));
    EXPECT_EQ("0", Once("0 && undefined()"));
    EXPECT_EQ("undefined", Once("0 && (undefined() + runavg(1, 2))"));
    EXPECT_EQ("0", Once(std::string(kV2) + "0 && (undefined() + runavg(1, 2))"));
    EXPECT_EQ("undefined", Once("1 || (undefined() + runavg(1, 2))"));
    EXPECT_EQ("1", Once(std::string(kV2) + "1 || (undefined() + runavg(1, 2))"));
    EXPECT_EQ("undefined", Once("undefined() && 1"));
    EXPECT_EQ("1", Once("2 && 3"));
    EXPECT_EQ("0", Once("0 || 0"));
    // The branch not taken: version 1 keeps its running average fed, version 2 does not.
    const std::string then = "var(x,0); x < 2 ? runavg(x, 4) : runavg(x + 100, 4)";
    EXPECT_EQ((Results{"0", "0.5", "101", "101.5"}), Series(then, {0, 1, 2, 3}));
    EXPECT_EQ((Results{"0", "0.5", "102", "102.5"}), Series(std::string(kV2) + then, {0, 1, 2, 3}));
    // The right operand after an undefined left operand: in version 1 previousx still records the
    // undefined sample, which it returns one sample later.
    const std::string right = "var(x,0); x + previousx(x, -1)";
    EXPECT_EQ((Results{"-1", "undefined", "undefined"}), Series(right, {0, kUndef, 2}));
    EXPECT_EQ((Results{"-1", "undefined", "2"}), Series(std::string(kV2) + right, {0, kUndef, 2}));
    // if() follows the same rules as "?:".
    const std::string iff = "var(x,0); if(x < 2, runavg(x, 4), runavg(x + 100, 4))";
    EXPECT_EQ((Results{"0", "0.5", "101", "101.5"}), Series(iff, {0, 1, 2, 3}));
    EXPECT_EQ((Results{"0", "0.5", "102", "102.5"}), Series(std::string(kV2) + iff, {0, 1, 2, 3}));
    EXPECT_EQ("0", Once(std::string(kV2) + "if(0, 5)"));
    EXPECT_EQ("if must have 3 params\n", Series("if(0, 5)", {0}).front().substr(7));
}

TEST(ZKExpressionOperatorsTable, OperatorTextsAndCharacters) {
    EXPECT_EQ(kOpLeftShiftAssign, ZKFindOperator("<<=")->id);
    EXPECT_EQ(kOpAnd, ZKFindOperator("and")->id);
    EXPECT_EQ(nullptr, ZKFindOperator("+-"));
    EXPECT_EQ(nullptr, ZKFindOperator("x"));
    EXPECT_TRUE(ZKIsOperatorChar('?'));
    EXPECT_FALSE(ZKIsOperatorChar('a'));
    EXPECT_FALSE(ZKIsOperatorChar('.'));
    EXPECT_FALSE(ZKIsOperatorChar('_'));
}

// Constants and plain variables are read in place by their parents: the reads must follow the host's
// writes and the variables' defined flags; array elements and assignment targets must hit the right slot.
TEST(ZKExpressionOperatorsOperands, VariablesAreReadAndWrittenInPlace) {
    for (const std::string version : {"", kV2}) {
        EXPECT_EQ((Results{"6", "undefined", "12"}),
                  Series(version + "var(x,0); const(k,3); x * k", {2, kUndef, 4}));
        EXPECT_EQ((Results{"5", "undefined"}), Series(version + "var(x,0); x", {5, kUndef}));
        EXPECT_EQ((Results{"undefined"}), Series(version + "var(x,0); x / 0", {3}));
        EXPECT_EQ((Results{"10", "30", "undefined"}),
                  Series(version + "var(a[3],1,2,3); var(x,0); a[x] * 10", {0, 2, 3}));
        EXPECT_EQ((Results{"50", "100", "105", "105"}),
                  Series(version + "var(a[3],0); var(x,0); a[x] += 5; a[0] * 100 + a[1] * 10 + a[2]",
                         {1, 1, 2, 5}));
        EXPECT_EQ((Results{"7", "undefined", "2"}),
                  Series(version + "var(y,0); var(x,0); y = x; y *= 1; y - 0", {7, kUndef, 2}));
    }
    // An undefined result leaves the caller's value alone, also when the root is a plain variable.
    ZKExpression e;
    ASSERT_TRUE(e.Compile("var(x,0); x"));
    e.FindVariable("x")->Set(0, 1.0, false);
    double v = 42.0;
    EXPECT_FALSE(e.Evaluate(ZKSampleContext{}, v));
    EXPECT_EQ(42.0, v);
}

}  // namespace
