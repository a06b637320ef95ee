// A device's queue keeps the newest messages within its limits and announces how many it dropped.
#include "ZelkNetServer/ZelkNetMessageQueue.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Drain(ZelkNetMessageQueue& queue) {
    std::vector<std::string> texts;
    while (auto text = queue.Pop())
        texts.push_back(*text);
    return texts;
}

}  // namespace

TEST(ZelkNetMessageQueue, DropsTheOldestBeyondTheMessageLimitAndAnnouncesTheExactCountFirst) {
    ZelkNetMessageQueue queue({3, 1000});
    queue.PushAll({"m1", "m2", "m3", "m4", "m5"});
    EXPECT_EQ(3u, queue.Size());
    EXPECT_EQ((std::vector<std::string>{"2 messages were dropped by the device server!!", "m3", "m4", "m5"}),
              Drain(queue));

    // The next notice counts only what was dropped since.
    for (int i = 6; i <= 10; ++i)
        queue.Push("m" + std::to_string(i));
    queue.Pop();
    queue.Push("m11");
    queue.Push("m12");
    EXPECT_EQ(
        (std::vector<std::string>{"2 messages were dropped by the device server!!", "m10", "m11", "m12"}),
        Drain(queue));
    EXPECT_EQ(6u, queue.Dropped());
}

TEST(ZelkNetMessageQueue, DropsTheOldestBeyondTheByteLimit) {
    ZelkNetMessageQueue queue({100, 10});
    queue.PushAll({"aaaa", "bbbb", "cccc"});
    EXPECT_EQ(8u, queue.Bytes());
    EXPECT_EQ((std::vector<std::string>{"1 messages were dropped by the device server!!", "bbbb", "cccc"}),
              Drain(queue));
    EXPECT_EQ(0u, queue.Bytes());
    // A message larger than the whole limit cannot be kept either.
    queue.Push(std::string(11, 'x'));
    EXPECT_EQ((std::vector<std::string>{"1 messages were dropped by the device server!!"}), Drain(queue));
}
