#include "Common/expression/ZKStatInterface.h"

#include "ZKExpressionTestSupport.h"

namespace {

const std::string kV2 = "MathLanguageVersion(2,0); ";

TEST(ZKStatInterfaceValues, AverageAndDeviation) {
    ZKStatAvg avg;
    avg.Reset();
    double v = 0.0;
    EXPECT_FALSE(avg.Value(0, v));
    avg.Update(10, 1);
    avg.Update(30, 3);
    ASSERT_TRUE(avg.Value(0, v));
    EXPECT_DOUBLE_EQ(2.5, v);

    ZKStatStdDev sd;
    sd.Update(1, 2);
    sd.Update(1, 4);
    ASSERT_TRUE(sd.Value(0, v));
    EXPECT_DOUBLE_EQ(1.0, v);
    ASSERT_TRUE(sd.Value(1, v));
    EXPECT_NEAR(33.333333333, v, 1e-6);
    EXPECT_STREQ("CoeffVar", sd.ValueName(1));
    sd.Reset();
    sd.Update(1, 0);
    sd.Update(1, 0);
    EXPECT_FALSE(sd.Value(1, v));
    ASSERT_TRUE(sd.Value(0, v));
    EXPECT_EQ(0.0, v);
}

TEST(ZKStatInterfaceValues, LineFitAndExtremes) {
    ZKStatLineFit fit;
    double v = 0.0;
    fit.UpdateXY(1, 0, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(fit.Value(i, v));  // one pair fits no line
    fit.UpdateXY(1, 1, 3);
    fit.UpdateXY(1, 2, 5);
    EXPECT_FALSE(fit.Update(1, 4));
    ASSERT_TRUE(fit.Value(0, v));
    EXPECT_DOUBLE_EQ(2.0, v);
    ASSERT_TRUE(fit.Value(1, v));
    EXPECT_DOUBLE_EQ(1.0, v);
    ASSERT_TRUE(fit.Value(2, v));
    EXPECT_DOUBLE_EQ(1.0, v);
    EXPECT_STREQ("LF:CC", fit.ValueName(2));

    ZKStatMin min;
    EXPECT_FALSE(min.Value(0, v));
    min.Update(1, 4);
    min.Update(1, -2);
    ASSERT_TRUE(min.Value(0, v));
    EXPECT_EQ(-2.0, v);
    min.Reset();
    EXPECT_FALSE(min.Value(0, v));
    ZKStatMax max;
    max.Update(5, 4);
    max.Update(1, -2);
    ASSERT_TRUE(max.Value(0, v));
    EXPECT_EQ(4.0, v);
    EXPECT_FALSE(max.UpdateXY(1, 1, 1));

    ZKStatInterface* made = ZKStatInterface::Create("STDDEV");
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(ZKStatInterface::kStdDev, made->Type());
    EXPECT_STREQ("StdDev", made->Name());
    ZKStatInterface::Destroy(made);
    EXPECT_EQ(nullptr, ZKStatInterface::Create("MEDIAN"));
}

TEST(ZKStatInterfaceExpressions, DeclareFeedReadReset) {
    // Weights are the sample intervals: 10 ms here.
    EXPECT_EQ((Results{"1", "1.5", "2", "undefined", "5"}),
              Series(kV2 + "var(x,0); stat(a, AVG); x < 0 ? statReset(a) : statUpdate(a, x); statValue(a, 0)",
                     {1, 2, 3, -1, 5}));
    EXPECT_EQ((Results{"undefined", "3", "3"}),
              Series(kV2 + "var(x,0); stat(m, MIN); statUpdate(m, x); statValue(m, 0)", {kUndef, 3, 4}));
    EXPECT_EQ(
        (Results{"undefined", "2", "2"}),
        Series(kV2 + "var(x,0); stat(l, LINEFIT); statUpdate(l, x, 2 * x + 1); statValue(l, 0)", {0, 1, 2}));
    EXPECT_EQ("0", Once(kV2 + "stat(s, MAX); statUpdate(s, 3)"));
    EXPECT_EQ("3", Once(kV2 + "stat(s, MAX); statUpdate(s, 3); s"));
}

TEST(ZKStatInterfaceExpressions, DeclarationMessages) {
    auto error = [](const std::string& source) {
        ZKExpression e;
        return e.Compile(kV2 + source) ? std::string("compiled") : e.ErrorMessage();
    };
    EXPECT_EQ("Param #1 of stat must be uniquie statistic variable name\n",
              error("stat(s,MIN); stat(s,MAX)"));
    EXPECT_EQ("param #2 : stat type expected (MIN, MAX, AVG, STDDEV or LINEFIT)\n", error("stat(s,MEDIAN)"));
    EXPECT_EQ("param #1 : stat name expected\n", error("var(v,0); statReset(v)"));
    EXPECT_EQ("statReset must have 1 params\n", error("stat(s,MIN); statReset(s, 1)"));
    EXPECT_EQ("statUpdate must have 2 or 3 params\n", error("stat(s,MIN); statUpdate(s)"));
    EXPECT_EQ("statGet must have 2 params\n", error("stat(s,MIN); statValue(s)"));
    EXPECT_EQ("statUpdate : only LINEFIT supports 3 params\n", error("stat(s,AVG); statUpdate(s, 1, 2)"));
}

}  // namespace
