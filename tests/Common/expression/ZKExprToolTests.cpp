#include "Common/expression/ZKExprTool.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/TestSupport.h"

namespace {

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun RunTool(const ZKExprToolOptions& options) {
    std::ostringstream out, err;
    const int code = ZKRunExprTool(options, out, err);
    return {code, out.str(), err.str()};
}

TEST(ZKExprToolFormats, OptionTexts) {
    std::string error;
    auto real = ZKParseFormatOption("real:0,255,0,16", error);
    ASSERT_NE(nullptr, real);
    EXPECT_EQ("FFh", real->Format(255));
    auto time = ZKParseFormatOption("time:0,90000000000,2,ns", error);
    ASSERT_NE(nullptr, time);
    EXPECT_EQ("1:15.50", time->Format(75.5e9));
    auto states = ZKParseFormatOption("enum:0=OFF,1=ON", error);
    ASSERT_NE(nullptr, states);
    EXPECT_EQ("ON", states->Format(1.7));
    EXPECT_EQ("#####", states->Format(1.7976931348623157e308));
    for (const char* bad : {"real:1,2", "real:a,2,1", "real:0,1,1,8", "time:0,1,1,ms", "time:0,1,9",
                            "enum:ON", "enum:", "hex:1,2,3", "real", "real:0,1,-1"}) {
        error.clear();
        EXPECT_EQ(nullptr, ZKParseFormatOption(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(ZKExprToolRun, SamplesPredefinedVariablesAndErrors) {
    ZKExprToolOptions options;
    options.expression = "zk.sample * 10 + zk.lastSample + zk.sampleSize";
    options.samples = 3;
    options.intervalMs = 500;
    EXPECT_EQ("0.5\n10.5\n21.5\n", RunTool(options).out);

    options.expression = "1/3";
    options.samples = 1;
    EXPECT_EQ("0.33333333333333331\n", RunTool(options).out);  // %.17g

    options.expression = "var(x, 1); x +";
    const ToolRun failed = RunTool(options);
    EXPECT_EQ(1, failed.code);
    EXPECT_EQ("", failed.out);
    EXPECT_EQ("There is nothing to the right of \"+\"\nat \"+\" (offset 13)\n", failed.err);

    // The column "time" is an item, written in quotes: a bare time names the function time().
    options.expression = "\"time\" + speed";
    zktest::TempDir dir;
    zktest::WriteWholeFile(dir.File("log.csv"), "time,speed\n0,1\n0.5,2\n");
    options.csvFile = dir.File("log.csv");
    options.format = "real:0,100,2";
    const ToolRun formatted = RunTool(options);
    EXPECT_EQ(0, formatted.code);
    EXPECT_EQ("  1.00\n  2.50\n", formatted.out);

    options.format = "real:x";
    EXPECT_EQ(1, RunTool(options).code);
}

// A generated profile may hold sums of thousands of terms.
TEST(ZKExprToolRun, ASumOfTenThousandTerms) {
    ZKExprToolOptions options;
    options.expression = "1";
    for (int i = 1; i < 10000; ++i)
        options.expression += "+1";
    options.samples = 1;
    const ToolRun run = RunTool(options);
    EXPECT_EQ(0, run.code);
    EXPECT_EQ("10000\n", run.out);
    EXPECT_EQ("", run.err);
}

}  // namespace
