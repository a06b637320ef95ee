// The line rules of the text links: LF ends a line, CR LF too, Windows-1252 bytes become UTF-8, long lines
// are cut without splitting a character, and the chunks the bytes arrive in make no difference.
#include "ZelkNetServer/ZelkNetLineFramer.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

Lines Frame(std::string_view bytes, std::size_t limit = ZelkNetLineFramer::kMaxLine) {
    ZelkNetLineFramer framer(limit);
    Lines lines;
    framer.Feed(bytes, lines);
    framer.Finish(lines);
    return lines;
}

}  // namespace

TEST(ZelkNetLineFramer, SplitsAtLineFeedsAndDropsTheCarriageReturnBeforeThem) {
    EXPECT_EQ((Lines{"one", "two", "three\rx", "four\r\r"}), Frame("one\r\ntwo\nthree\rx\nfour\r\r\r\n"));
    // Empty lines carry no message.
    EXPECT_EQ((Lines{"a", "b"}), Frame("\n\r\na\n\n\r\nb\n"));
}

TEST(ZelkNetLineFramer, KeepsTheUnfinishedLineUntilItEndsOrTheStreamDoes) {
    ZelkNetLineFramer framer;
    Lines lines;
    framer.Feed("Idle sp", lines);
    framer.Feed("eed 850\r", lines);
    EXPECT_TRUE(lines.empty());
    framer.Feed("\nCoolant", lines);
    EXPECT_EQ((Lines{"Idle speed 850"}), lines);
    framer.Finish(lines);
    EXPECT_EQ((Lines{"Idle speed 850", "Coolant"}), lines);
    EXPECT_EQ(0u, framer.Pending());
}

TEST(ZelkNetLineFramer, ReadsLinesThatAreNotUtf8AsWindows1252) {
    EXPECT_EQ((Lines{"caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xA9t\xC3\xA9"}),
              Frame("caf\xE9 \x80\r\n\xC3\xA9t\xC3\xA9\n"));
}

TEST(ZelkNetLineFramer, CutsLongLinesIntoPiecesOfTheLimitWithoutSplittingACharacter) {
    const std::string long4097(4097, 'x');
    EXPECT_EQ((Lines{std::string(4096, 'x'), "x"}), Frame(long4097 + "\r\n"));
    EXPECT_EQ((Lines{std::string(4096, 'x')}), Frame(std::string(4096, 'x') + "\r\n"));
    // "é" (two bytes) across the limit moves whole into the next piece.
    EXPECT_EQ((Lines{"abc", "\xC3\xA9z"}), Frame("abc\xC3\xA9z\n", 4));
    // A CR at the limit is the end of a CR LF when the LF follows in a later chunk.
    ZelkNetLineFramer framer(4);
    Lines lines;
    framer.Feed("abcd\r", lines);
    framer.Feed("\nefgh\rij\n", lines);
    EXPECT_EQ((Lines{"abcd", "efgh", "\rij"}), lines);
}

TEST(ZelkNetLineFramer, GivesTheSameLinesWhateverTheChunks) {
    const std::string input = "first\r\nsec\xE9nd\n" + std::string(10000, 'L') + "\r\nlast\xC3\xA9\r\n";
    const Lines whole = Frame(input);
    for (std::size_t chunk : {1u, 2u, 3u, 7u, 4095u, 4097u}) {
        ZelkNetLineFramer framer;
        Lines lines;
        for (std::size_t at = 0; at < input.size(); at += chunk)
            framer.Feed(std::string_view(input).substr(at, chunk), lines);
        framer.Finish(lines);
        EXPECT_EQ(whole, lines) << "chunks of " << chunk;
    }
    EXPECT_EQ(6u, whole.size());
}
