#include "Platform/ZKAssert.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct HookReset {
    ~HookReset() { zk::SetAssertHooks({}); }
};

TEST(ZKAssert, NamesTheSourceUnit) {
    EXPECT_EQ("Common/WinGlobal", zk::SourceUnitName("/home/x/zelk/src/Common/WinGlobal.cpp"));
    EXPECT_EQ("Gui/ZKMenu", zk::SourceUnitName("src/Gui/ZKMenu.h"));
    EXPECT_EQ("plain", zk::SourceUnitName("plain.cpp"));
    EXPECT_EQ("Common/ZKExpression", zk::SourceUnitName("src/Common/expression/ZKExpression.cpp"));
    EXPECT_EQ("Common/ZKDevice", zk::SourceUnitName("/x/src/Common/device/ZKDevice.cpp"));
    EXPECT_EQ("Common/profile/ZPEnum", zk::SourceUnitName("src/Common/profile/ZPEnum.cpp"));
}

TEST(ZKAssert, FailedCheckReportsAndLetsTheCallerFallBack) {
    HookReset reset;
    std::vector<zk::AssertReport> shown;
    zk::SetAssertHooks({[] { return true; }, [&](const zk::AssertReport& r) { shown.push_back(r); }, {}});

    const int value = 3;
    EXPECT_TRUE(ZKASSERT(value == 3));
    EXPECT_TRUE(shown.empty());
    const unsigned long before = zk::AssertReportCount();
    const int line = __LINE__ + 1;
    const bool ok = ZKASSERT(value > 5);
    EXPECT_FALSE(ok);
    EXPECT_EQ(before + 1, zk::AssertReportCount());
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Platform/ZKAssertTests", shown[0].unit.substr(shown[0].unit.size() - 22));
    EXPECT_EQ(line, shown[0].line);
    EXPECT_EQ("value > 5", shown[0].expression);
}

TEST(ZKAssert, OtherThreadsQueueTheirReportsForTheGuiThread) {
    HookReset reset;
    const auto gui = std::this_thread::get_id();
    std::vector<std::string> shown;
    std::atomic<int> wakes{0};
    zk::SetAssertHooks({[gui] { return std::this_thread::get_id() == gui; },
                        [&](const zk::AssertReport& r) {
                            EXPECT_EQ(gui, std::this_thread::get_id());
                            shown.push_back(r.expression);
                        },
                        [&] { ++wakes; }});
    std::thread worker([] {
        ZKASSERT(!"first");
        ZKASSERT(!"second");
    });
    worker.join();
    EXPECT_TRUE(shown.empty());  // nothing is shown on the worker thread
    EXPECT_EQ(2, wakes.load());
    zk::DeliverQueuedAssertReports();
    EXPECT_EQ((std::vector<std::string>{"!\"first\"", "!\"second\""}), shown);
}

}  // namespace
