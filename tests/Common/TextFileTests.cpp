#include "Common/TextFile.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TestSupport.h"

namespace {

using zktest::ReadWholeFile;
using zktest::TempDir;
using zktest::WriteWholeFile;

std::vector<std::string> ReadLines(const std::string& path, bool wide = false) {
    TextFile file;
    EXPECT_TRUE(file.OpenRead(path));
    std::vector<std::string> lines;
    std::string line;
    while ((wide ? file.ReadLineWide(line) : file.ReadLine(line)) >= 0)
        lines.push_back(line);
    return lines;
}

TEST(TextFileLines, CrLfAndLoneCrAreNotStoredAndTheLastLineNeedsNoLineFeed) {
    TempDir dir;
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"one\r\ntwo\nth\rree\r\n\r\nlast\n", {"one", "two", "three", "", "last"}},
        {"first\nno end", {"first", "no end"}},
        {"", {}},
    };
    for (const auto& [text, lines] : cases) {
        WriteWholeFile(dir.File("a.txt"), text);
        EXPECT_EQ(lines, ReadLines(dir.File("a.txt"))) << text;
    }
}

TEST(TextFileLines, ReadLineReturnsStoredLength) {
    TempDir dir;
    WriteWholeFile(dir.File("a.txt"), "abc\r\n\n");
    TextFile file;
    ASSERT_TRUE(file.OpenRead(dir.File("a.txt")));
    std::string line;
    EXPECT_EQ(3, file.ReadLine(line));
    EXPECT_EQ(0, file.ReadLine(line));
    EXPECT_EQ(-1, file.ReadLine(line));
}

TEST(TextFileLines, WideLinesDropUnitsWithHighByte) {
    TempDir dir;
    // "aé€b\r\n" + "x\n" in UTF-16LE: é is 0x00E9 (kept as one byte), € is 0x20AC (dropped).
    const std::string bytes(
        "a\0\xE9\0\xAC\x20"
        "b\0\r\0\n\0x\0\n\0",
        16);
    WriteWholeFile(dir.File("w.txt"), bytes);
    EXPECT_EQ((std::vector<std::string>{"a\xE9"
                                        "b",
                                        "x"}),
              ReadLines(dir.File("w.txt"), true));
}

TEST(TextFileLines, ReadAllJoinsLinesWithLineFeeds) {
    TempDir dir;
    WriteWholeFile(dir.File("a.txt"), "x\r\nyz\n\nlast");
    TextFile file;
    ASSERT_TRUE(file.OpenRead(dir.File("a.txt")));
    std::string all;
    EXPECT_EQ(11, file.ReadAll(all));
    EXPECT_EQ("x\nyz\n\nlast\n", all);
}

TEST(TextFileWrite, WriteLineTurnsLineFeedsIntoCrLf) {
    TempDir dir;
    TextFile file;
    ASSERT_TRUE(file.Create(dir.File("out.txt")));
    EXPECT_TRUE(file.WriteLine("%s=%d\n", "value", 42));
    EXPECT_TRUE(file.WriteLine("a\nb\n"));
    file.Close();
    EXPECT_EQ("value=42\r\na\r\nb\r\n", ReadWholeFile(dir.File("out.txt")));
}

TEST(TextFileWrite, OpenAppendWritesAtTheEndAndCreateTruncates) {
    TempDir dir;
    WriteWholeFile(dir.File("log.txt"), "old\r\n");
    {
        TextFile file;
        ASSERT_TRUE(file.OpenAppend(dir.File("log.txt")));
        EXPECT_EQ(5, file.Tell());
        EXPECT_TRUE(file.WriteLine("new\n"));
    }
    EXPECT_EQ("old\r\nnew\r\n", ReadWholeFile(dir.File("log.txt")));

    TextFile file;
    EXPECT_FALSE(file.OpenAppend(dir.File("missing.txt")));
    ASSERT_TRUE(file.Create(dir.File("log.txt")));
    file.Close();
    EXPECT_EQ("", ReadWholeFile(dir.File("log.txt")));
}

TEST(TextFileWrite, WriterKeepsOthersOut) {
    TempDir dir;
    TextFile writer;
    ASSERT_TRUE(writer.Create(dir.File("x.txt")));
    TextFile other;
    EXPECT_FALSE(other.OpenRead(dir.File("x.txt")));
    EXPECT_FALSE(other.Create(dir.File("x.txt")));
    writer.Close();
    EXPECT_TRUE(other.OpenRead(dir.File("x.txt")));
    TextFile secondReader;
    EXPECT_TRUE(secondReader.OpenRead(dir.File("x.txt")));
}

TEST(TextFileRandomAccess, ExactReadsSeekAndTellAfterLineReads) {
    TempDir dir;
    WriteWholeFile(dir.File("a.bin"), "line1\nABCDEFGH");
    TextFile file;
    ASSERT_TRUE(file.OpenRead(dir.File("a.bin")));
    std::string line;
    ASSERT_EQ(5, file.ReadLine(line));
    EXPECT_EQ(6, file.Tell());  // the read-ahead must not leak into the position

    char four[4];
    ASSERT_TRUE(file.Read(four, 4));
    EXPECT_EQ("ABCD", std::string(four, 4));
    std::int64_t position = 0;
    ASSERT_TRUE(file.Seek(-2, SeekOrigin::End, &position));
    EXPECT_EQ(12, position);
    EXPECT_FALSE(file.Read(four, 4));  // only two bytes are left
    EXPECT_FALSE(file.Seek(-1, SeekOrigin::Begin));
    ASSERT_TRUE(file.Seek(1, SeekOrigin::Begin));
    ASSERT_TRUE(file.Seek(2, SeekOrigin::Current, &position));
    EXPECT_EQ(3, position);
}

TEST(TextFileRandomAccess, SeeksBeyondFourGigabytes) {
    TempDir dir;
    TextFile file;
    ASSERT_TRUE(file.Create(dir.File("sparse.bin")));
    const std::int64_t far = (std::int64_t{1} << 32) + 10;
    ASSERT_TRUE(file.Seek(far, SeekOrigin::Begin));
    ASSERT_TRUE(file.Write("z", 1));
    EXPECT_EQ(far + 1, file.Tell());
    std::int64_t end = 0;
    ASSERT_TRUE(file.Seek(0, SeekOrigin::End, &end));
    EXPECT_EQ(far + 1, end);
}

TEST(TextFileClosed, OperationsOnAClosedFileFail) {
    TextFile file;
    std::string line;
    char byte;
    EXPECT_EQ(-1, file.ReadLine(line));
    EXPECT_FALSE(file.Read(&byte, 1));
    EXPECT_FALSE(file.WriteLine("x"));
    EXPECT_EQ(-1, file.Tell());
}

}  // namespace
