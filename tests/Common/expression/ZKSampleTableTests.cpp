#include "Common/expression/ZKSampleTable.h"

#include <gtest/gtest.h>

#include "Common/expression/ZKParserNode.h"

namespace {

TEST(ZKSampleTableCsv, ColumnsBecomeItems) {
    ZKSampleTable table;
    std::string error;
    ASSERT_TRUE(table.LoadCsv("time, speed ,\"rpm\"\r\n0,1.5,100\n\n0.25,,x\n0.75,3\n", error)) << error;
    EXPECT_EQ(3u, table.SampleCount());
    EXPECT_TRUE(table.HasTimeColumn());
    const int speed = table.FindItem("speed", nullptr);
    const int rpm = table.FindItem("rpm", nullptr);
    ASSERT_GE(speed, 0);
    ASSERT_GE(rpm, 0);
    EXPECT_EQ(-1, table.FindItem("torque", nullptr));
    const std::string parameter = "1";
    EXPECT_EQ(-1, table.FindItem("speed", &parameter));  // columns take no parameter

    ZKSampleContext context;
    double v = 0.0;
    ASSERT_TRUE(table.ItemValue(speed, context, v));
    EXPECT_EQ(1.5, v);
    table.SetCurrentSample(1);
    EXPECT_FALSE(table.ItemValue(speed, context, v));  // empty cell
    EXPECT_FALSE(table.ItemValue(rpm, context, v));    // not a number
    table.SetCurrentSample(2);
    EXPECT_FALSE(table.ItemValue(rpm, context, v));  // missing cell
    ASSERT_TRUE(table.ItemValue(speed, context, v));
    EXPECT_EQ(3.0, v);
    table.SetCurrentSample(3);
    EXPECT_FALSE(table.ItemValue(speed, context, v));  // past the last sample
}

TEST(ZKSampleTableCsv, TimesIntervalsAndValuesAtATime) {
    ZKSampleTable table;
    std::string error;
    ASSERT_TRUE(table.LoadCsv("time,speed\n1,10\n1.5,20\n2.5,30\n", error));
    EXPECT_EQ(1e9, table.SampleTime(0, 1e7));
    EXPECT_EQ(0.5e9, table.SampleInterval(0, 1e7));  // the first sample takes the next interval
    EXPECT_EQ(0.5e9, table.SampleInterval(1, 1e7));
    EXPECT_EQ(1e9, table.SampleInterval(2, 1e7));
    const int speed = table.FindItem("speed", nullptr);
    double v = 0.0;
    EXPECT_FALSE(table.ItemValueAt(speed, 0.5e9, v));
    ASSERT_TRUE(table.ItemValueAt(speed, 1.9e9, v));
    EXPECT_EQ(20.0, v);
    ASSERT_TRUE(table.ItemValueAt(speed, 9e9, v));
    EXPECT_EQ(30.0, v);

    ZKSampleTable noTime;
    ASSERT_TRUE(noTime.LoadCsv("a\n1\n2\n", error));
    EXPECT_FALSE(noTime.HasTimeColumn());
    EXPECT_EQ(2e7, noTime.SampleTime(2, 1e7));
    EXPECT_EQ(1e7, noTime.SampleInterval(1, 1e7));
}

TEST(ZKSampleTableCsv, Failures) {
    ZKSampleTable table;
    std::string error;
    EXPECT_FALSE(table.LoadCsv("\n \n", error));
    EXPECT_EQ("no header row", error);
    EXPECT_FALSE(table.LoadCsv("a,b\n1,2\n1,2,3\n", error));
    EXPECT_EQ("line 3 has more cells than the header", error);
    ASSERT_TRUE(table.LoadCsv("a,\"b,c\"\n1,\"2\"\n", error));
    EXPECT_GE(table.FindItem("b,c", nullptr), 0);  // a quoted header may hold a comma
}

}  // namespace
