#include "Common/expression/ZKExpressionFunctions.h"

#include <algorithm>
#include "Common/expression/ZKExpressionFunctionTable.h"
#include "Common/expression/ZKExpressionHost.h"

#include "ZKExpressionTestSupport.h"

namespace {

std::string Error(const std::string& source) {
    ZKExpression e;
    return e.Compile(source) ? "compiled" : e.ErrorMessage();
}

TEST(ZKExpressionFunctionTable, RowsAndLookup) {
    EXPECT_EQ(69, ZKFunctionRowCount());
    EXPECT_EQ(kFnMath, ZKFunctionRowAt(14).id);
    EXPECT_EQ(kFnNotAFunction, 57);
    EXPECT_EQ(kFnNotAFunction, ZKFunctionRowAt(68).id);
    EXPECT_EQ(kFnRunAvg, ZKFindFunction("runavg"));
    EXPECT_EQ(kFnNotAFunction, ZKFindFunction("RunAvg"));  // names are case-sensitive
    EXPECT_EQ(kFnNotAFunction, ZKFindFunction(""));
    for (int row = 0; row + 1 < ZKFunctionRowCount(); ++row) {
        const auto& r = ZKFunctionRowAt(row);
        EXPECT_EQ(r.id, ZKFindFunction(r.name)) << r.name;  // overloads share the first row's id
        EXPECT_EQ(0, std::string(r.signature).find(r.name)) << r.signature;
        EXPECT_FALSE(std::string(r.help).empty());
    }
}

// The argument counts of each row: a signature's own count lies within them, and every count outside
// a function's range fails to compile.
TEST(ZKExpressionFunctionTable, ArgumentCounts) {
    for (int row = 0; row + 1 < ZKFunctionRowCount(); ++row) {
        const auto& r = ZKFunctionRowAt(row);
        const std::string signature = r.signature;
        const std::string inside = signature.substr(signature.find('(') + 1);
        if (signature.find("...") != std::string::npos) {
            EXPECT_EQ(kAnyCount, r.maxArgs) << signature;
            continue;
        }
        const int count =
            inside[0] == ')' ? 0 : static_cast<int>(std::count(inside.begin(), inside.end(), ',')) + 1;
        EXPECT_LE(r.minArgs, count) << signature;
        EXPECT_GE(r.maxArgs, count) << signature;
    }
    const std::string v2 = "MathLanguageVersion(2,0); stat(s,MIN); ";
    for (int row = 0; row + 1 < ZKFunctionRowCount(); ++row) {
        const auto& r = ZKFunctionRowAt(row);
        const ZKFunctionArity arity = ZKFunctionArityOf(r.id);
        const auto call = [&](int count) {
            std::string text = std::string(r.name) + "(";
            for (int i = 0; i < count; ++i)
                text += i == 0 ? "s" : ",1";
            return v2 + text + ")";
        };
        if (arity.min > 0) {
            EXPECT_NE("compiled", Error(call(arity.min - 1))) << r.signature;
        }
        if (arity.max < kAnyCount) {
            EXPECT_NE("compiled", Error(call(arity.max + 1))) << r.signature;
        }
    }
    EXPECT_EQ("compiled", Error("MathLanguageVersion(2,0); if(1, 2)"));
    EXPECT_EQ("if must have 3 params\n", Error("if(1, 2)"));
}

TEST(ZKExpressionFunctionsPlain, ValuesDomainsAndUndefined) {
    EXPECT_EQ("undefined", Once("abs(undefined())"));
    EXPECT_EQ("0", Once("isdefined(undefined())"));
    EXPECT_EQ("1", Once("isdefined(2)"));
    EXPECT_EQ("-inf", Once("log(0)"));
    EXPECT_EQ("undefined", Once("log(-1)"));
    EXPECT_EQ("undefined", Once("sqrt(-0.5)"));
    EXPECT_EQ("undefined", Once("asin(2)"));
    EXPECT_EQ("3", Once("round(2.5)"));
    EXPECT_EQ("-2", Once("round(-2.5)"));
    EXPECT_EQ("-2", Once("floor(-1.5)"));
    EXPECT_EQ("-1", Once("ceil(-1.5)"));
    EXPECT_EQ("-1", Once("sign(-3)"));
    EXPECT_EQ("8", Once("pow(2,3)"));
    EXPECT_EQ("1", Once("fmod(7,3)"));
    EXPECT_EQ("undefined", Once("fmod(7,0)"));
    EXPECT_EQ("1", Once("min(3,1,2)"));
    EXPECT_EQ("3", Once("max(3,1,2)"));
    EXPECT_EQ("undefined", Once("max(3,undefined(),2)"));
    EXPECT_EQ("0.02", Series("time()", {0, 0, 0}).back());
}

TEST(ZKExpressionFunctionsPlain, PointsAndLookups) {
    // interpolate clamps to the end points outside them; extrapolate continues the end lines.
    EXPECT_EQ((Results{"0", "0", "5", "10", "12.5", "15", "15"}),
              Series("var(x,0); interpolate(x, 0,0, 1,10, 3,15)", {-1, 0, 0.5, 1, 2, 3, 9}));
    EXPECT_EQ((Results{"-10", "30"}), Series("var(x,0); extrapolate(x, 0,0, 1,10, 3,15)", {-1, 9}));
    // lookup counts from 0; outside its values it is undefined.
    EXPECT_EQ((Results{"undefined", "10", "20", "30", "undefined"}),
              Series("var(x,0); lookup(x, 10, 20, 30)", {-1, 0, 1.5, 2, 3}));
    const std::string brk = "var(x,0); var(bp[3], 0, 10, 20); var(f,0); ";
    EXPECT_EQ((Results{"0", "0", "1", "1"}), Series(brk + "brklookup(x, bp, f)", {-5, 5, 12, 25}));
    EXPECT_EQ((Results{"0", "0.5", "0.2", "1"}), Series(brk + "brklookup(x, bp, f); f", {-5, 5, 12, 25}));
}

TEST(ZKExpressionFunctionsFactory, Messages) {
    EXPECT_EQ("must have 1 parameter", Error("abs(1,2)"));
    EXPECT_EQ("runavg takes 2 or 3 parameters\n", Error("runavg(1)"));
    EXPECT_EQ("Param #2 of runavg must be a user constant between 1 and 500\n", Error("runavg(1, 0)"));
    EXPECT_EQ("Param #2 of runmax must be a user constant between 1 and 500\n", Error("runmax(1, 501)"));
    EXPECT_EQ("Param #2 of runmin is not a user constant\n", Error("var(n,3); runmin(1, n)"));
    EXPECT_EQ("compiled", Error("const(n,3); runmin(1, n)"));
    EXPECT_EQ("previous takes 1 or 2 parameters\n", Error("previous()"));
    EXPECT_EQ("Param #1 (initial value) of previous is not a user constant\n",
              Error("var(n,3); previous(n)"));
    EXPECT_EQ("Param #3 (sample count) of previous must be 1..500\n", Error("previousx(1, 0, 501)"));
    EXPECT_EQ("pow takes 2 parameters\n", Error("pow(1)"));
    EXPECT_EQ("min takes a minimum of 2 parameters\n", Error("min(1)"));
    EXPECT_EQ("cfilter2 takes 5 parameters\n", Error("cfilter2(1,2,3,4)"));
    EXPECT_EQ("time takes no parameters\n", Error("time(1)"));
    EXPECT_EQ("interpolate must have at least 5 params\n", Error("interpolate(1, 0,0, 1)"));
    EXPECT_EQ("interpolate must have an odd number of params\n", Error("interpolate(1, 0,0, 1,1, 2)"));
    EXPECT_EQ("Param #4 of extrapolate is not a constant\nAll the [x,y] points must be constant",
              Error("var(v,1); extrapolate(1, 0,0, v,1)"));
    EXPECT_EQ("Each subsequest X value must be greater than the last", Error("interpolate(1, 0,0, 0,1)"));
    EXPECT_EQ("Param #3 of lookup is not a constant\n", Error("var(v,1); lookup(1, 2, v)"));
    EXPECT_EQ("Param #2 of lookup must be an array variable whose values monotonically increase\n",
              Error("var(bp[2], 3, 1); var(f,0); brklookup(1, bp, f)"));
    EXPECT_EQ("Param #3 of lookup must NOT be CONST\n",
              Error("var(bp[2], 1, 3); const(f,0); brklookup(1, bp, f)"));
    EXPECT_EQ("Param #2 of lookup must be a single dimensional array variable\n",
              Error("var(bp, 1); var(f,0); brklookup(1, bp, f)"));
    EXPECT_EQ("function \"ctime\" not available\n", Error("ctime()"));
    EXPECT_EQ("param #1 must be a logged item\n", Error("itemvalueat(1, 2)"));
    EXPECT_EQ("Param #3 of GetBeaconTimes must NOT be CONST\n",
              Error("var(a,0); const(b,0); getbeacontimes(1, a, b)"));
    EXPECT_EQ("UNKNOWN FUNCTION", Error("reportData(1,2,3)"));
    EXPECT_EQ("param #2 : format string expected\n", Error("MathLanguageVersion(2,0); reportLeft(1, 2)"));
}

TEST(ZKExpressionFunctionsStateful, RunningWindows) {
    EXPECT_EQ((Results{"1", "1.5", "2", "3", "3.5", "4"}),
              Series("var(x,0); runavg(x, 3)", {1, 2, 3, 4, kUndef, 5}));
    EXPECT_EQ((Results{"undefined"}), Series("var(x,0); runavg(x, 3)", {kUndef}));
    EXPECT_EQ((Results{"5", "2", "2", "1", "1"}), Series("var(x,0); runmin(x, 3)", {5, 2, 4, 1, 3}));
    EXPECT_EQ((Results{"5", "5", "5", "4", "4"}), Series("var(x,0); runmax(x, 3)", {5, 2, 4, 1, 3}));
    // A window size that changes: three values stored, the average over the newest n.
    EXPECT_EQ((Results{"1", "1.5", "3", "3"}), Series("var(x,0); runavg(x, 3, x < 3 ? 3 : 1)", {1, 2, 3, 3}));
}

// Long series wrap the window's storage many times; the results must match a plain recomputation over
// the newest values, for a fixed window and for one that changes every few samples.
TEST(ZKExpressionFunctionsStateful, RunningWindowsOverLongSeries) {
    std::vector<double> inputs;
    for (int i = 0; i < 1300; ++i)
        inputs.push_back(static_cast<double>((i * 37) % 101));
    const auto expected = [&](const char* kind, auto window) {
        Results out;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const std::size_t n = std::min<std::size_t>(window(i), i + 1);
            double sum = 0.0, low = inputs[i], high = inputs[i];
            for (std::size_t k = i + 1 - n; k <= i; ++k) {
                sum += inputs[k];
                low = std::min(low, inputs[k]);
                high = std::max(high, inputs[k]);
            }
            const std::string k(kind);
            const double v = k == "avg" ? sum / static_cast<double>(n) : (k == "min" ? low : high);
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.10g", v);
            out.push_back(buffer);
        }
        return out;
    };
    const auto fixed = [](std::size_t) { return std::size_t{500}; };
    const auto changing = [](std::size_t i) { return std::size_t{1} + (i / 7) % 500; };
    EXPECT_EQ(expected("avg", fixed), Series("var(x,0); runavg(x, 500)", inputs));
    EXPECT_EQ(expected("min", fixed), Series("var(x,0); runmin(x, 500)", inputs));
    EXPECT_EQ(expected("max", fixed), Series("var(x,0); runmax(x, 500)", inputs));
    EXPECT_EQ(expected("avg", changing),
              Series("var(x,0); var(i,-1); i += 1; runavg(x, 500, 1 + floor(i / 7) % 500)", inputs));
}

TEST(ZKExpressionFunctionsStateful, Filters) {
    EXPECT_EQ((Results{"1", "5", "2"}), Series("var(x,0); filter(x, 0)", {1, 5, 2}));
    EXPECT_EQ((Results{"1", "1", "1"}), Series("var(x,0); filter(x, 1)", {1, 5, 2}));
    EXPECT_EQ((Results{"0", "5", "7.5"}), Series("var(x,0); filter(x, 0.5)", {0, 10, 10}));
    EXPECT_EQ((Results{"0", "0", "1", "1.5"}), Series("var(x,0); nfilter(x, 1)", {0, 5, 1, 1.5}));
    // cfilter takes samples in only while its condition holds and otherwise holds its output; before it
    // has taken anything in it passes x through.
    EXPECT_EQ((Results{"30", "0", "5", "5", "7.5"}),
              Series("var(x,0); cfilter(x < 20, x, 0.5)", {30, 0, 10, 30, 10}));
    EXPECT_EQ((Results{"100", "0", "5", "5", "7.5"}),
              Series("var(x,0); cfilter2(1, x, 0, 20, 0.5)", {100, 0, 10, 30, 10}));
}

TEST(ZKExpressionFunctionsStateful, DerivativeIntegralDurationPrevious) {
    EXPECT_EQ((Results{"undefined", "100", "100", "undefined", "undefined", "100"}),
              Series("var(x,0); derivative(x)", {0, 1, 2, kUndef, 4, 5}));
    EXPECT_EQ((Results{"0", "0.01", "0.02", "0.03"}), Series("integral(1)", {0, 0, 0, 0}));
    // While the condition is 0 the sum is 0; afterwards it grows again from 0.
    EXPECT_EQ((Results{"0", "0.01", "0", "0.01", "0.02"}),
              Series("var(x,0); integral(1, x)", {1, 1, 0, 1, 1}));
    EXPECT_EQ((Results{"0", "0", "0.01", "0.02", "0", "0"}),
              Series("var(x,0); duration(x)", {0, 1, 1, 1, 0, 3}));
    EXPECT_EQ((Results{"1", "2", "3", "4"}), Series("previous(0) + 1", {0, 0, 0, 0}));
    EXPECT_EQ((Results{"7", "7", "1", "2"}), Series("var(x,0); previousx(x, 7, 2)", {1, 2, 3, 4}));
}

TEST(ZKExpressionFunctionsStateful, HostResetStartsOver) {
    ZKExpression e;
    ASSERT_TRUE(e.Compile("var(x,0); x = x + 1; runavg(x, 500) + derivative(x) * 0"));
    ZKSampleContext context{0, 1e7, false};
    double v = 0.0;
    EXPECT_FALSE(e.Evaluate(context, v));  // derivative: no previous sample
    ASSERT_TRUE(e.Evaluate(context, v));
    EXPECT_EQ(1.5, v);
    e.Reset();
    EXPECT_FALSE(e.Evaluate(context, v));
    ASSERT_TRUE(e.Evaluate(context, v));
    EXPECT_EQ(3.5, v);  // the window holds only 3 and 4 (variables are not reset)
    EXPECT_TRUE(e.IsStateful());
}

class LapHost : public ZKExpressionHost {
public:
    bool LapTime(const ZKSampleContext&, int session, int lap, double& seconds) override {
        seconds = session * 100 + lap;
        return true;
    }
    bool ReportLeft(int row, const std::string& text) override {
        lastText = std::to_string(row) + ":" + text;
        return true;
    }
    std::string lastText;
};

TEST(ZKExpressionFunctionsHost, LapsAndReports) {
    LapHost host;
    ZKExpression e;
    ZKSampleContext context{0, 1e7, false};
    double v = 0.0;
    ASSERT_TRUE(e.Compile("laptime() + laptime(2) + laptime(3, 4)", &host));
    ASSERT_TRUE(e.Evaluate(context, v));
    EXPECT_EQ(-101.0 + 199.0 + 304.0, v);
    ASSERT_TRUE(e.Compile("MathLanguageVersion(2,0); reportLeft(4, \"lap %d at %.1f%%\", 7, 1.25)", &host));
    ASSERT_TRUE(e.Evaluate(context, v));
    EXPECT_EQ("4:lap 7 at 1.2%", host.lastText);
    EXPECT_EQ("compiled", Error("getlap()"));
    ASSERT_TRUE(e.Compile("getlap()"));
    EXPECT_FALSE(e.Evaluate(context, v));  // the default host has no laps
}

}  // namespace
