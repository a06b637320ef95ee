#include "Gui/ZKRichText.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "Gui/ZKDC.h"
#include "Platform/ZKAssert.h"

namespace {

using Token = ZKRichText::Token;
using Type = ZKRichText::TokenType;

Token W(const std::string& text) {
    return {Type::Word, text};
}
Token Code(Type type, char c) {
    return {type, std::string(1, c)};
}
const Token LB{Type::LineBreak, ""};
const Token Tab{Type::Tab, ""};

// Display options for the colour lookups while a test runs.
struct SchemeScope {
    ZKSchemeOptions options;
    explicit SchemeScope(ZKSchemeOptions o) : options(o) {
        ZKGDI::SetOptionsSource([this] { return options; });
    }
    ~SchemeScope() { ZKGDI::SetOptionsSource(nullptr); }
};

class RichTextTest : public ::testing::Test {
protected:
    std::vector<Token> Parse(const std::string& text) {
        rt.Measure(dc, text);
        return rt.Tokens();
    }
    int Width(const std::string& text) { return dc.TextExtent(text, ZKFontSet::Normal).cx; }
    // The message a malformed text raises, or "" when it parses.
    std::string ParseError(const std::string& text) {
        try {
            rt.Measure(dc, text);
        } catch (const ZKRichTextError& e) {
            return e.what();
        }
        return "";
    }

    ZKBitmap bitmap{300, 100};
    ZKDC dc{bitmap};
    ZKRichText rt;
    const int h = 14;
};

TEST_F(RichTextTest, WordsSpacesAndDollarsBecomeTokens) {
    EXPECT_EQ(std::vector<Token>{}, Parse(""));
    EXPECT_EQ((zk::Size{0, 0}), rt.Extent());
    EXPECT_EQ((std::vector<Token>{W("abc"), LB}), Parse("abc"));
    EXPECT_EQ((std::vector<Token>{W("abc"), LB}), Parse("abc\n"));
    EXPECT_EQ((std::vector<Token>{W("a"), W("b"), W("c"), LB}), Parse("a b  c"));
    // Spaces after a real newline begin the next word; after "$n" they are dropped.
    EXPECT_EQ((std::vector<Token>{W("x"), LB, W("   y"), LB}), Parse("x\n   y"));
    EXPECT_EQ((std::vector<Token>{W("x"), LB, W("y"), LB}), Parse("x$n   y"));
    EXPECT_EQ((std::vector<Token>{W("x"), LB, Code(Type::Colour, 'r'), W("y"), LB}), Parse("x\n  $cry"));
    EXPECT_EQ((std::vector<Token>{W("a"), W("$b"), LB}), Parse("a$$b"));
    EXPECT_EQ((std::vector<Token>{W("$5"), LB}), Parse("$$5"));
    // An unknown code disappears with its letter and splits the word.
    EXPECT_EQ((std::vector<Token>{W("ab"), W("cd"), LB}), Parse("ab$xcd"));
    EXPECT_EQ(std::vector<Token>{}, Parse("$q"));
    EXPECT_EQ((std::vector<Token>{Code(Type::Colour, 'g'), W("DEVICE"), W(":"), Tab, W("%s"), LB}),
              Parse("$cgDEVICE :$t%s"));
    EXPECT_EQ((std::vector<Token>{Code(Type::Justify, 'l'), Code(Type::Indent, '3'), W("x"),
                                  Code(Type::Justify, 'r'), W("y"), LB}),
              Parse("$jl$i3x$jry"));
    rt.SetSingleLine(true);
    EXPECT_EQ((std::vector<Token>{W("a"), W("b"), W("c"), LB}), Parse("a\nb$nc"));
    EXPECT_EQ(std::vector<Token>{}, Parse("\n"));
}

TEST_F(RichTextTest, MalformedCodesRaiseTheirMessageAndKeepTheTokensSoFar) {
    EXPECT_EQ("incomplete $x escape code", ParseError("abc$"));
    EXPECT_EQ((std::vector<Token>{W("abc")}), rt.Tokens());
    EXPECT_EQ("incomplete $cx color escape code", ParseError("$c"));
    EXPECT_EQ("no colors available", ParseError("$c0"));
    EXPECT_EQ("incomplete $ix indent escape code", ParseError("$i"));
    EXPECT_EQ("indent char out of range", ParseError("$ix"));
    EXPECT_EQ("no indents allowed on a right or centred line", ParseError("$jc$i1"));
    EXPECT_EQ("incomplete $jx justify escape code", ParseError("$j"));
    EXPECT_EQ("invalid $jx justify escape code", ParseError("$jx"));
    EXPECT_EQ("no tabs allowed on a right or centred line", ParseError("$jcA$nB$tC"));
    EXPECT_EQ("", ParseError("$jcA$n$jlB$tC"));
    EXPECT_EQ("2nd justify on line must be a right", ParseError("A$jcB"));

    const std::array<ZKRGB, 3> three{};
    rt.SetColours(three);
    EXPECT_EQ("color out of range", ParseError("$c3"));
    EXPECT_EQ("color out of range", ParseError("$c!"));
    EXPECT_EQ("", ParseError("$c2x"));
}

TEST_F(RichTextTest, MeasureGivesTheWidestSegmentAndOneLinePerBreak) {
    rt.Measure(dc, "ab cd$nefg");
    EXPECT_EQ((zk::Size{std::max(Width("ab cd"), Width("efg")), 2 * h}), rt.Extent());
    rt.Measure(dc, "name$jrvalue");  // left and right part count separately
    EXPECT_EQ((zk::Size{std::max(Width("name"), Width("value")), h}), rt.Extent());
    rt.Measure(dc, "$i5x");
    EXPECT_EQ((zk::Size{5 * h + Width("x"), h}), rt.Extent());

    const std::array stops{50, 100};
    rt.SetTabs(stops);
    rt.Measure(dc, "a$tb");
    EXPECT_EQ(50 + Width("b"), rt.Extent().cx);
    rt.Measure(dc, "$t$t$tb");  // no stop beyond 100: the third tab stays
    EXPECT_EQ(100 + Width("b"), rt.Extent().cx);
}

TEST_F(RichTextTest, LayoutWrapsJustifiesAndTabs) {
    using P = ZKRichText::PlacedText;
    const ZKRGB ink = dc.Colour(0);
    const zk::Rect r{10, 5, 10 + Width("aaa bbb") + 1, 100};
    rt.Measure(dc, "aaa bbb ccc");
    EXPECT_EQ(
        (std::vector<P>{{"aaa", 10, 5, ink}, {" bbb", 10 + Width("aaa"), 5, ink}, {"ccc", 10, 5 + h, ink}}),
        rt.LayOut(dc, r));
    zk::Size extent;
    rt.Draw(dc, r.left, r.top, r.right, r.bottom, &extent);
    EXPECT_EQ((zk::Size{Width("aaa bbb"), 2 * h}), extent);

    // A word wider than the rectangle goes to the next line whole.
    rt.Measure(dc, "a enormousword");
    EXPECT_EQ((std::vector<P>{{"a", 10, 5, ink}, {"enormousword", 10, 5 + h, ink}}),
              rt.LayOut(dc, {10, 5, 10 + Width("enormous"), 100}));

    rt.Measure(dc, "name$jrvalue$n$jcmid$n$jl$i2in");
    EXPECT_EQ((std::vector<P>{{"name", 10, 5, ink},
                              {"value", 200 - Width("value"), 5, ink},
                              {"mid", 105 - Width("mid") / 2, 5 + h, ink},
                              {"in", 10 + 2 * h, 5 + 2 * h, ink}}),
              rt.LayOut(dc, {10, 5, 200, 100}));

    // An indent code moves its own line, and the lines after it until the next one.
    rt.Measure(dc, "A$n$i1one$n$i2two$ntoo$n$i0back");
    std::vector<int> xs;
    for (const P& p : rt.LayOut(dc, {0, 0, 300, 100}))
        xs.push_back(p.x);
    EXPECT_EQ((std::vector<int>{0, h, 2 * h, 2 * h, 0}), xs);

    // Past the last stop a tab leaves x where it is, so the next word follows without a space.
    const std::array stops{20};
    rt.SetTabs(stops);
    rt.Measure(dc, "a$tb$n" + std::string("wwwwww") + "$tc");
    EXPECT_EQ(
        (std::vector<P>{
            {"a", 0, 0, ink}, {"b", 20, 0, ink}, {"wwwwww", 0, h, ink}, {"c", Width("wwwwww"), h, ink}}),
        rt.LayOut(dc, {0, 0, 300, 100}));

    // Single-line: one row however narrow, line breaks only separate words.
    rt.SetSingleLine(true);
    rt.Measure(dc, "one\ntwo three");
    for (const P& p : rt.LayOut(dc, {0, 0, 5, 100}))
        EXPECT_EQ(0, p.y) << p.text;
}

TEST_F(RichTextTest, ASecondJustificationAfterACentredStartFailsOnlyWhenDrawn) {
    dc.FillRect({0, 0, 300, 100}, {1, 2, 3});
    EXPECT_EQ("", ParseError("first line$n$jcA$jrB"));
    try {
        rt.Draw(dc, 0, 0, 300, 100);
        ADD_FAILURE() << "no error";
    } catch (const ZKRichTextError& e) {
        EXPECT_STREQ("Can only justify line twice if it is a left", e.what());
    }
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x)
            ASSERT_EQ((ZKRGB{1, 2, 3}), bitmap.Pixel(x, y)) << "drawn at " << x << "," << y;
}

TEST_F(RichTextTest, ColouredRunsAreDrawnInTheirColourWhereTheyWereLaidOut) {
    SchemeScope scheme({false, false});  // light text on black
    const std::array<ZKRGB, 1> custom{ZKRGB{0, 255, 0}};
    rt.SetColours(custom);
    dc.FillRect({0, 0, 300, 100}, dc.Colour(5));
    rt.Measure(dc, "HHH $crHHH $c0HHH");
    const auto placed = rt.LayOut(dc, {4, 2, 296, 100});
    ASSERT_EQ(3u, placed.size());
    rt.Draw(dc, 4, 2, 296, 100);

    // Strongly coloured pixels between two x positions (text is anti-aliased at its edges).
    auto count = [&](int x0, int x1, auto isColour) {
        int n = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = x0; x < x1; ++x)
                n += isColour(bitmap.Pixel(x, y));
        return n;
    };
    auto white = [](ZKRGB c) { return c.r > 200 && c.g > 200 && c.b > 200; };
    auto red = [](ZKRGB c) { return c.r > 200 && c.g < 60 && c.b < 60; };
    auto green = [](ZKRGB c) { return c.g > 200 && c.r < 60 && c.b < 60; };
    const int redStart = placed[1].x;
    const int greenStart = placed[2].x;
    EXPECT_GT(count(0, redStart, white), 10);
    EXPECT_EQ(0, count(0, redStart, red));
    EXPECT_GT(count(redStart, greenStart, red), 10);
    EXPECT_EQ(0, count(redStart, greenStart, white));
    EXPECT_GT(count(greenStart, 300, green), 10);
    EXPECT_EQ(0, count(greenStart, 300, red));
}

TEST_F(RichTextTest, ColoursFollowTheSchemeAndTheCustomTable) {
    SchemeScope scheme({false, false});
    ZKSchemeOptions& options = scheme.options;
    EXPECT_EQ((ZKRGB{255, 0, 0}), ZKRichText::StandardColour(1));
    EXPECT_EQ((ZKRGB{255, 255, 0}), ZKRichText::StandardColour(2));
    EXPECT_EQ("$cr", ZKRichText::NearestColourCode({250, 20, 10}));
    options.colourBlind = true;
    EXPECT_EQ((ZKRGB{255, 128, 255}), ZKRichText::StandardColour(2));
    options.blackOnWhite = true;
    EXPECT_EQ((ZKRGB{160, 64, 160}), ZKRichText::StandardColour(2));
    EXPECT_EQ((ZKRGB{0, 160, 160}), ZKRichText::StandardColour(4));
    EXPECT_EQ("$cw", ZKRichText::NearestColourCode({20, 20, 20}));  // black in this scheme

    const auto reports = zk::AssertReportCount();
    EXPECT_EQ(ZKRichText::StandardColour(0), ZKRichText::StandardColour(7));
    EXPECT_EQ(reports + 1, zk::AssertReportCount());

    EXPECT_EQ("", rt.NearestCustomColourCode({0, 0, 0}));
    const std::array<ZKRGB, 3> custom{ZKRGB{10, 10, 10}, ZKRGB{200, 0, 0}, ZKRGB{200, 0, 0}};
    rt.SetColours(custom);
    EXPECT_EQ("$c1", rt.NearestCustomColourCode({255, 0, 0}));  // the first of two equal ones
    const std::array<ZKRGB, 10> tooMany{};
    rt.SetColours(tooMany);
    EXPECT_EQ(reports + 2, zk::AssertReportCount());
    EXPECT_EQ("$c1", rt.NearestCustomColourCode({255, 0, 0}));  // the old table stays
}

TEST(ZKRichTextStrip, CodesGoAndLiteralsStay) {
    EXPECT_EQ("DEVICE : %s\n$5xyz", ZKRichText::StripCodes("$cgDEVICE :$t%s$n$$5$i3x$jry$qz"));
    EXPECT_EQ("ab", ZKRichText::StripCodes("ab$"));
    EXPECT_EQ("ab", ZKRichText::StripCodes("ab$c"));
}

}  // namespace
