#include "Common/expression/ZKExpression.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Common/expression/ZKExpressionHost.h"
#include "Common/expression/ZKExpressionParser.h"

namespace {

// Compiles and evaluates once at t = 0 with a 10 ms interval; "undefined" for an undefined result and
// "error: <message>" for a compile failure.
std::string EvalOnce(const std::string& source) {
    ZKExpression e;
    if (!e.Compile(source)) return "error: " + e.ErrorMessage();
    ZKSampleContext context{0.0, 1e7, false};
    double v = 0.0;
    if (!e.Evaluate(context, v)) return "undefined";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    return buffer;
}

std::string CompileError(const std::string& source, std::string* token = nullptr) {
    ZKExpression e;
    if (e.Compile(source)) return "compiled";
    if (token) *token = e.ErrorTokenText();
    return e.ErrorMessage();
}

TEST(ZKExpressionSplitting, PrecedenceAndGrouping) {
    EXPECT_EQ("7", EvalOnce("1+2*3"));
    EXPECT_EQ("2", EvalOnce("8-4-2"));
    EXPECT_EQ("9", EvalOnce("(1+2)*3"));
    EXPECT_EQ("1", EvalOnce("1 < 2 == 1"));
    EXPECT_EQ("16", EvalOnce("1 << 2 + 1 - 2 * 0 - 2 + 1 + 1 + 1"));
    EXPECT_EQ("3", EvalOnce("var(x,0); var(y,0); x = y = 3; x + y - 3"));
    EXPECT_EQ("-3", EvalOnce("var(a,1); var(b,2); a - (-b) - 6"));
    EXPECT_EQ("-1", EvalOnce("var(a,0); a = -1"));
    EXPECT_EQ("1", EvalOnce("var(a,-2); a < -1"));
    EXPECT_EQ("4", EvalOnce("1 ? 4 : 5"));
    EXPECT_EQ("6", EvalOnce("0 ? 4 : 1 ? 6 : 7"));
    EXPECT_EQ("2", EvalOnce("{1; 2}"));
    EXPECT_EQ("1", EvalOnce("var(a,1); a;"));
    EXPECT_EQ("1", EvalOnce("1 and 2 or 0"));
}

TEST(ZKExpressionSplitting, NumbersUseTheSharedSyntax) {
    EXPECT_EQ("255", EvalOnce("0xFF"));
    EXPECT_EQ("255", EvalOnce("0FFh"));
    EXPECT_EQ("5", EvalOnce("101b"));
    EXPECT_EQ("0.5", EvalOnce(".5"));
    EXPECT_EQ("1500", EvalOnce("1.5e3"));
    EXPECT_EQ("Unrecognised token", CompileError("12q"));
}

TEST(ZKExpressionSplitting, Messages) {
    std::string token;
    EXPECT_EQ("There is nothing to the right of \"-\"", CompileError("var(a,1);var(b,1); a - -b", &token));
    EXPECT_EQ("-", token);
    EXPECT_EQ("There is nothing to the right of \"*\"", CompileError("var(a,1); a * -1"));
    EXPECT_EQ("There is nothing to the right of \"+\"", CompileError("var(a,1); a+-1"));
    EXPECT_EQ(
        "There is nothing to the left of *\nThe only operators where this is permissable are unary \"-\" and "
        "\"+\"",
        CompileError("*2"));
    EXPECT_EQ("Empty expression", CompileError("var(a,0);var(b,0);a=1;;b=2"));
    EXPECT_EQ("Empty expression", CompileError("()"));
    EXPECT_EQ("Empty expression", CompileError("{}"));
    EXPECT_EQ("there should be no left side here", CompileError("1 ! 2"));
    EXPECT_EQ("Matching ':' required", CompileError("1 ? 2"));
    EXPECT_EQ("No Matching '?'", CompileError("1 : 2"));
    EXPECT_EQ("empty if expression", CompileError("? 1 : 2"));
    EXPECT_EQ("empty then expression", CompileError("1 ? : 2"));
    EXPECT_EQ("empty else expression", CompileError("1 ? 2 :"));
    EXPECT_EQ("left side of \"=\" must be a variable", CompileError("1 = 2"));
    EXPECT_EQ("left side of \"+=\" must NOT be a CONST variable", CompileError("const(c,1); c += 2"));
    EXPECT_EQ("left side of \"=\" must NOT be a CONST variable", CompileError("pi = 3"));
    EXPECT_EQ(") : Unexpected Token", CompileError("1 + 2)"));
    EXPECT_EQ("] : Unexpected Token", CompileError("]"));
    EXPECT_EQ("} : Unexpected Token", CompileError("1}"));
    EXPECT_EQ("( : Unexpected Token", CompileError("1 (2)"));
    EXPECT_EQ("no matching ')'", CompileError("(1 + 2"));
    EXPECT_EQ("2 - Unexpected Token", CompileError("1 2", &token));
    EXPECT_EQ("2", token);
    EXPECT_EQ(", - Unexpected Token", CompileError("1, 2"));
    EXPECT_EQ("Unrecognised token", CompileError("nosuchname", &token));
    EXPECT_EQ("nosuchname", token);
    EXPECT_EQ("Unexpected token to right of variable", CompileError("var(a,1); a 1"));
    EXPECT_EQ("Unexpected token to right of stat",
              CompileError("MathLanguageVersion(2,0); stat(s,MIN); s 1"));
    EXPECT_EQ("bracketted expression must start with a '('", CompileError("sin 1"));
    EXPECT_EQ("empty parameter list", CompileError("sin"));
    EXPECT_EQ("Function parameter not found", CompileError("min(1,,2)"));
}

// Brackets, calls, unary operators and conditionals nest; deeper than the cap fails cleanly, however
// many operator strengths lie between the levels.
TEST(ZKExpressionSplitting, DeepNestingFailsCleanly) {
    const int cap = ZKExpressionParser::kMaxNesting;
    const auto nested = [](int levels, const std::string& open, const std::string& close) {
        std::string text;
        for (int i = 0; i < levels; ++i)
            text += open;
        text += "1";
        for (int i = 0; i < levels; ++i)
            text += close;
        return text;
    };
    EXPECT_EQ("Expression is nested too deeply", CompileError(nested(2000, "(", ")")));
    EXPECT_EQ("1", EvalOnce(nested(cap - 1, "(", ")")));
    EXPECT_EQ("Expression is nested too deeply", CompileError(nested(cap + 1, "(", ")")));
    EXPECT_EQ("Expression is nested too deeply", CompileError(nested(2000, "!", "")));
    EXPECT_EQ("Expression is nested too deeply", CompileError(nested(cap + 1, "abs(", ")")));
    EXPECT_EQ("Expression is nested too deeply", CompileError(nested(cap + 1, "1 ? 2 : ", "")));
    EXPECT_EQ("Expression is nested too deeply", CompileError(nested(cap + 1, "{", "}")));
    // The sums around the brackets are chains, not levels.
    EXPECT_EQ(std::to_string(cap), EvalOnce(nested(cap - 1, "1+(", ")")));
    // Every operator strength at every level: the stack stays bounded up to the cap.
    const std::string strengths = "1 || 1 && 1 | 1 ^ 1 & 1 == 1 < 1 << 1 + 1 * !(";  // two levels
    EXPECT_EQ("compiled", CompileError(nested(cap / 2 - 1, strengths, ")")));
    EXPECT_EQ("Expression is nested too deeply", CompileError(nested(cap / 2 + 1, strengths, ")")));
}

// Operator chains are no nesting: long ones compile, and keep grouping, results and the order of their
// messages.
TEST(ZKExpressionSplitting, LongOperatorChains) {
    std::string sum = "1", variables = "var(x,1); x", mixed = "var(x,1); 8";
    for (int i = 1; i < 10000; ++i) {
        sum += "+1";
        variables += "+x";
        mixed += i % 2 ? "-x" : "+x";
    }
    EXPECT_EQ("10000", EvalOnce(sum));
    EXPECT_EQ("10000", EvalOnce(variables));
    EXPECT_EQ("7", EvalOnce(mixed));  // 8 - x + x - ... - x: one more "-" than "+"
    EXPECT_EQ("-6", EvalOnce("var(x,2); 1 - x * 3 / x * 2 - 1"));
    EXPECT_EQ("0", EvalOnce("var(x,1); x < 2 < 1 == 0 == 0"));
    EXPECT_EQ("There is nothing to the right of \"+\"", CompileError("nosuchname + 1 +"));
    EXPECT_EQ("There is nothing to the right of \"-\"", CompileError("1 + - 2 - "));
    EXPECT_EQ("Unrecognised token", CompileError("1 + (nosuchname) + (1 +)"));
    EXPECT_EQ("Cannot evaluate this operator to replace with constant",
              CompileError(sum + "+1/0+nosuchname"));
    // Assignments chain from the right; their messages come from the left.
    std::string assignments = "var(x,0); var(y,0); ";
    for (int i = 0; i < 5000; ++i)
        assignments += i % 2 ? "y = " : "x = ";
    EXPECT_EQ("6", EvalOnce(assignments + "3; x + y"));
    EXPECT_EQ("46", EvalOnce("var(x,1); var(y,2); x += y *= 3; x * 10 + y"));  // y *= 3 yields 3
    EXPECT_EQ("left side of \"=\" must be a variable", CompileError("var(x,0); x = 1 = 2"));
    EXPECT_EQ("left side of \"=\" must NOT be a CONST variable", CompileError("var(x,0); x = pi = 1"));
    EXPECT_EQ(
        "There is nothing to the left of =\nThe only operators where this is permissable are unary \"-\" "
        "and \"+\"",
        CompileError("var(x,0); x = = 1"));
    // Every chained operator deepens the tree, so all chains together have a limit.
    const auto chain = [](std::size_t operators) {
        std::string text = "x";
        for (std::size_t i = 0; i < operators; ++i)
            text += "+x";
        return text;
    };
    const std::size_t half = ZKExpressionParser::kMaxChainOperators / 2;
    EXPECT_EQ(std::to_string(2 * half + 1), EvalOnce("var(x,1); " + chain(2 * half)));
    EXPECT_EQ("Expression is nested too deeply",
              CompileError("var(x,1); (" + chain(half) + ")+(" + chain(half) + ")"));
}

TEST(ZKExpressionFolding, ConstantOperatorsAreFolded) {
    EXPECT_EQ("Cannot evaluate this operator to replace with constant", CompileError("1/0"));
    EXPECT_EQ("Cannot evaluate this operator to replace with constant", CompileError("2 + 7 % 0"));
    EXPECT_EQ("undefined", EvalOnce("var(x,4); x/0"));
    EXPECT_EQ("-4", EvalOnce("-(2*2)"));
    ZKExpression e;
    ASSERT_TRUE(e.Compile("2*3+1"));
    EXPECT_FALSE(e.IsStateful());
}

TEST(ZKExpressionDeclarations, VariablesAndArrays) {
    EXPECT_EQ("6", EvalOnce("var(a[3], 1, 2, 3); a[0] + a[1] + a[2]"));
    EXPECT_EQ("7", EvalOnce("var(m[2][3], 7); m[1][2]"));
    EXPECT_EQ("5", EvalOnce("var(m[2,3], 0,1,2,3,4,5); m[1][2]"));
    EXPECT_EQ("undefined", EvalOnce("var(a[3], 1); a[3]"));
    EXPECT_EQ("undefined", EvalOnce("var(a[3], 1); a[undefined()]"));
    EXPECT_EQ("2", EvalOnce("var(a[3], 1,2,3); a[1.9]"));
    EXPECT_EQ("3.14159265358979", EvalOnce("pi"));
    EXPECT_EQ("0", EvalOnce("zk.time + zk.sample + zk.sampleSize + zk.lastSample"));
    EXPECT_EQ("Param #1 of var must be uniquie variable name\n", CompileError("var(a,1); var(a,2)"));
    EXPECT_EQ("Param #1 of var must be uniquie variable name\n", CompileError("var(pi,2)"));
    EXPECT_EQ("var must have at least 2 params\n", CompileError("var(a)"));
    EXPECT_EQ("variables have a maximum of 3 dimensions\n", CompileError("var(a[2][2][2][2],1)"));
    EXPECT_EQ("variable dimension #1 is not constant\n", CompileError("var(n,2); var(a[n],1)"));
    EXPECT_EQ("variable dimension #2 is too big (>100)\n", CompileError("var(a[2][101],1)"));
    EXPECT_EQ("Param #2 of var is not a constant\n", CompileError("var(n,2); var(a,n)"));
    EXPECT_EQ("non constant variable initializer\n", CompileError("var(n,2); var(a[2],1,n)"));
    EXPECT_EQ("wrong number of initializers for variable\n", CompileError("var(a[3],1,2)"));
    EXPECT_EQ("4", EvalOnce("const(c,2); var(a[c*2],4); a[3]"));
}

TEST(ZKExpressionVersions, MathLanguageVersionRecompiles) {
    ZKExpression e;
    ASSERT_TRUE(e.Compile("MathLanguageVersion(2,0); 1+1"));
    EXPECT_EQ(2, e.MajorVersion());
    ZKSampleContext context;
    double v = 0.0;
    ASSERT_TRUE(e.Evaluate(context, v));
    EXPECT_EQ(2.0, v);
    ASSERT_TRUE(e.Compile("1+1"));
    EXPECT_EQ(1, e.MajorVersion());
    EXPECT_EQ("Unknown math language version", CompileError("MathLanguageVersion(3,0); 1"));
    EXPECT_EQ("0", EvalOnce("MathLanguageVersion(1,0)"));
    // statistics exist only in version 2
    EXPECT_EQ("UNKNOWN FUNCTION", CompileError("stat(s,MIN); statReset(s)"));
    EXPECT_EQ("compiled", CompileError("MathLanguageVersion(2,0); stat(s,MIN); statReset(s)"));
}

// A host with one item and one user channel, and math channels by name.
class TestHost : public ZKExpressionHost {
public:
    int FindItem(std::string_view name, const std::string* parameter) override {
        if (name != "speed") return -1;
        lastParameter = parameter ? *parameter : "<none>";
        return 3;
    }
    bool ItemValue(int item, const ZKSampleContext& context, double& value) override {
        value = item * 10.0 + context.time / 1e9;
        return true;
    }
    int FindUserChannel(std::string_view name) override { return name == "user" ? 1 : -1; }
    bool UserChannelValue(int, const ZKSampleContext&, double& value) override { return value = 5.0, true; }
    bool FindMathChannel(std::string_view name, std::string& source) override {
        if (name == "double") return source = "speed * 2", true;
        if (name == "loopA") return source = "loopB + 1", true;
        if (name == "loopB") return source = "loopA + 1", true;
        if (name == "broken") return source = "1 +", true;
        return false;
    }
    std::string lastParameter;
};

TEST(ZKExpressionHostInterface, ItemsAndChannels) {
    TestHost host;
    ZKExpression e;
    ZKSampleContext context{2e9, 1e7, false};
    double v = 0.0;
    ASSERT_TRUE(e.Compile("speed + user + double + math(\"double\")", &host));
    ASSERT_TRUE(e.Evaluate(context, v));
    EXPECT_EQ(32.0 + 5.0 + 64.0 + 64.0, v);
    ASSERT_TRUE(e.Compile("\"speed\"(\"front left\")", &host));
    EXPECT_EQ("front left", host.lastParameter);
    EXPECT_FALSE(e.Compile("speed(1,2)", &host));
    EXPECT_EQ("items have a maximum of one parameter", e.ErrorMessage());
    EXPECT_FALSE(e.Compile("speed(1) 2", &host));
    EXPECT_EQ("Unexpected token to right of item(speed)", e.ErrorMessage());
    EXPECT_FALSE(e.Compile("loopA", &host));
    EXPECT_EQ("Cannot parse internal math channel", e.ErrorMessage());
    EXPECT_FALSE(e.Compile("broken", &host));
    EXPECT_EQ("Cannot parse internal math channel", e.ErrorMessage());
    EXPECT_FALSE(e.Compile("math(\"nope\")", &host));
    EXPECT_EQ("\"nope\" is not a recognised math function", e.ErrorMessage());
    EXPECT_FALSE(e.Compile("math(double)", &host));
    EXPECT_EQ("only expecting math name", e.ErrorMessage());
    // Without a host every name is unknown.
    EXPECT_FALSE(e.Compile("speed"));
    EXPECT_EQ("Unrecognised token", e.ErrorMessage());
}

TEST(ZKExpressionEvaluation, FailedCompileLeavesNoTreeAndPointsAtTheToken) {
    ZKExpression e;
    ASSERT_TRUE(e.Compile("var(x,2); x * 3"));
    EXPECT_TRUE(e.HasRoot());
    EXPECT_NE(nullptr, e.FindVariable("x"));
    EXPECT_FALSE(e.Compile("var(x,2); (x + (3 *)) - 1"));
    EXPECT_FALSE(e.HasRoot());
    EXPECT_EQ(nullptr, e.FindVariable("x"));
    EXPECT_EQ("There is nothing to the right of \"*\"", e.ErrorMessage());
    ASSERT_EQ("*", e.ErrorTokenText());
    EXPECT_EQ(18u, e.Tokens()[e.ErrorToken()].offset);
    ZKSampleContext context;
    double v = 7.0;
    EXPECT_FALSE(e.Evaluate(context, v));
    EXPECT_EQ(7.0, v);           // an undefined result leaves the output alone
    ASSERT_TRUE(e.Compile(""));  // nothing to do is not an error
    EXPECT_FALSE(e.Evaluate(context, v));
}

TEST(ZKExpressionEvaluation, StatefulFlagsAndHistory) {
    ZKExpression e;
    ASSERT_TRUE(e.Compile("var(x,1); x + 1"));
    EXPECT_FALSE(e.IsStateful());
    ASSERT_TRUE(e.Compile("var(x,1); -abs(x) * 2 + (x ? 1 : filter(x, 0.5))"));
    EXPECT_TRUE(e.IsStateful());  // version 1 asks every operand
    ASSERT_TRUE(e.Compile("MathLanguageVersion(2,0); var(x,1); -abs(x) * 2 + filter(x, 0.5)"));
    EXPECT_FALSE(e.IsStateful());  // version 2 operators do not track it
    // previous() reads the expression's own results; an undefined one reads as undefined.
    ASSERT_TRUE(e.Compile("var(x,0); x = x + 1; x == 2 ? undefined() : previous(-1) + 10"));
    std::vector<std::string> results;
    ZKSampleContext context;
    for (int i = 0; i < 4; ++i) {
        double v = 0.0;
        results.push_back(e.Evaluate(context, v) ? std::to_string(static_cast<int>(v)) : "undefined");
    }
    EXPECT_EQ((std::vector<std::string>{"9", "undefined", "undefined", "undefined"}), results);
}

}  // namespace
