#include "Common/MemFile.h"

#include <gtest/gtest.h>

namespace {

TEST(MemFile, WritesGrowAndReadsAreExact) {
    MemFile file;
    ASSERT_TRUE(file.Write("hello", 5));
    ASSERT_TRUE(file.Seek(1, SeekOrigin::Begin));
    ASSERT_TRUE(file.Write("EL", 2));
    EXPECT_EQ(3, file.Tell());
    ASSERT_TRUE(file.Seek(0, SeekOrigin::Begin));
    char out[5];
    ASSERT_TRUE(file.Read(out, 5));
    EXPECT_EQ("hELlo", std::string(out, 5));
    EXPECT_FALSE(file.Read(out, 1));
    EXPECT_EQ(5, file.Tell());  // a failed read leaves the position
}

TEST(MemFile, SeekPastEndLeavesAZeroGapOnWrite) {
    MemFile file;
    ASSERT_TRUE(file.Seek(3, SeekOrigin::End));
    ASSERT_TRUE(file.Write("x", 1));
    EXPECT_EQ((std::vector<unsigned char>{0, 0, 0, 'x'}), file.Bytes());
    EXPECT_FALSE(file.Seek(-5, SeekOrigin::Current));
    std::int64_t position = 0;
    ASSERT_TRUE(file.Seek(-1, SeekOrigin::End, &position));
    EXPECT_EQ(3, position);
}

}  // namespace
