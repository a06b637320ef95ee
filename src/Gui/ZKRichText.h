#pragma once
// The toolkit's one text language: plain text with "$" codes, parsed into layout tokens, measured and drawn
// on a ZKDC in the normal font.
//
//   $$  a literal "$"            $n  line break (a newline character does the same)
//   $t  next tab stop            $cX text colour: X one of "wrygcbe", or a digit naming a custom colour
//   $iD indent of left lines, D × h pixels ("0".."9")
//   $jX justification "l", "c" or "r"; a second one on a line must be "r" after "l" ("name$jrvalue")
//   $ with any other character: both are dropped
//
// Spaces separate words and are not kept, except at the start of a line that follows a newline character.
// Colour, indent and justification stay in force across line breaks. h is the height of the normal font.
//
// A malformed code throws ZKRichTextError from Measure (while parsing) or from Draw (a bad second
// justification); nothing is drawn by a Draw that throws. Callers that show text from outside the program
// must not hand it over unchecked (a stray "$" at its end is an error): strip it or double its "$" first.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "Gui/ZKGDI.h"
#include "Platform/Geometry.h"

class ZKDC;

class ZKRichTextError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ZKRichText {
public:
    enum class TokenType : std::int32_t {
        Word = 0,
        LineBreak = 1,
        Tab = 2,
        Justify = 3,
        Indent = 4,
        Colour = 5
    };

    struct Token {
        TokenType type = TokenType::Word;
        // Word: its characters (may begin with kept spaces); Justify, Indent, Colour: the code's argument
        // character; LineBreak, Tab: empty.
        std::string text;
        friend bool operator==(const Token&, const Token&) = default;
    };

    // One piece of text as Draw puts it on the device: its top-left corner and its colour.
    struct PlacedText {
        std::string text;
        int x = 0;
        int y = 0;
        ZKRGB colour;
        friend bool operator==(const PlacedText&, const PlacedText&) = default;
    };

    static constexpr int kStandardColourCount = 7;  // "wrygcbe"
    static constexpr int kMaxCustomColours = 9;     // digits "0".."8"

    // Tab positions in pixels from the left edge of the drawing rectangle, in ascending order.
    void SetTabs(std::span<const int> stops) { tabs_.assign(stops.begin(), stops.end()); }
    // At most nine colours; a longer table is an internal error and the previous table stays in force.
    void SetColours(std::span<const ZKRGB> colours);

    // When set, line breaks in the text only separate words and nothing wraps. Takes effect at the next
    // Measure (line breaks) and Draw (wrapping).
    void SetSingleLine(bool singleLine) { singleLine_ = singleLine; }
    bool SingleLine() const { return singleLine_; }

    // Parses the text into tokens (replacing the previous ones) and stores its unwrapped extent: the widest
    // segment, and h per line. Throws ZKRichTextError on a malformed code, leaving the tokens parsed so far.
    bool Measure(const ZKDC& dc, const std::string& text);
    // Only parses the text into tokens (the extent becomes 0 × 0), for a caller that lays it out at once.
    // Throws as Measure does.
    void Parse(const std::string& text);

    // Lays the tokens out in the rectangle and draws them; the bottom edge does not clip. With `extent`,
    // nothing is drawn and the wrapped extent is written there instead.
    void Draw(ZKDC& dc, int left, int top, int right, int bottom, zk::Size* extent = nullptr) const;
    // The layout Draw would draw, without drawing it.
    std::vector<PlacedText> LayOut(const ZKDC& dc, const zk::Rect& rect) const;

    const std::vector<Token>& Tokens() const { return tokens_; }
    zk::Size Extent() const { return extent_; }

    // The colour of a standard letter by index, in the scheme of the current display options. An index
    // outside 0..6 is an internal error and gives the colour of "w".
    static ZKRGB StandardColour(int index);
    // "$c" and the letter of the standard colour nearest to `rgb` (sum of channel distances; the first of
    // equally near ones wins).
    static std::string NearestColourCode(ZKRGB rgb);
    // The same over the custom colours, giving "$c" and a digit; empty without custom colours.
    std::string NearestCustomColourCode(ZKRGB rgb) const;
    // The plain text of a rich text: "$n" becomes a newline, "$t" a space, other codes disappear.
    static std::string StripCodes(const std::string& text);
    // A rich text that shows the plain text of `text` as it is: its codes stripped, every "$" doubled. The
    // fallback for a text whose codes do not parse.
    static std::string PlainRichText(const std::string& text);

private:
    struct LineState {
        char justify = 'l';
        char indent = '0';
    };
    // Width of the segment from `pos` (up to its line break, a second justification, or the first word that
    // does not fit in `available`); advances `pos` past what it consumed and adds h to `height` at a line
    // break. With `forceFirstWord` the first word counts even when it does not fit.
    int MeasureSegment(const ZKDC& dc, std::size_t& pos, LineState& state, std::int64_t available,
                       int& height, bool forceFirstWord = false) const;
    int LineStart(const ZKDC& dc, std::size_t pos, LineState state, int left, int right,
                  bool forceFirstWord = false) const;
    std::vector<PlacedText> Layout(const ZKDC& dc, const zk::Rect& rect, zk::Size* extent) const;

    std::vector<Token> tokens_;
    std::vector<int> tabs_;
    std::vector<ZKRGB> colours_;
    zk::Size extent_;
    bool singleLine_ = false;
};
