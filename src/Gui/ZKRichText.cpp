#include "Gui/ZKRichText.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "Gui/ZKDC.h"
#include "Platform/ZKAssert.h"

namespace {

using TokenType = ZKRichText::TokenType;

constexpr std::string_view kLetters = "wrygcbe";

struct StandardColours {
    ZKRGB normal;
    ZKRGB blackOnWhite;
};

constexpr StandardColours kStandard[ZKRichText::kStandardColourCount] = {
    {{255, 255, 255}, {0, 0, 0}},       {{255, 0, 0}, {192, 0, 0}},     {{255, 255, 0}, {255, 128, 0}},
    {{0, 255, 0}, {0, 128, 0}},         {{0, 255, 255}, {0, 160, 160}}, {{0, 0, 255}, {0, 0, 255}},
    {{128, 128, 128}, {128, 128, 128}},
};
constexpr int kYellow = 2;
constexpr ZKRGB kColourBlindNormal{255, 128, 255};
constexpr ZKRGB kColourBlindBlackOnWhite{160, 64, 160};

ZKRGB StandardColourIn(int index, const ZKSchemeOptions& options) {
    if (!ZKASSERT(index >= 0 && index < ZKRichText::kStandardColourCount)) index = 0;
    if (index == kYellow && options.colourBlind)
        return options.blackOnWhite ? kColourBlindBlackOnWhite : kColourBlindNormal;
    return options.blackOnWhite ? kStandard[index].blackOnWhite : kStandard[index].normal;
}

int LetterIndex(char c) {
    const auto at = kLetters.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int Distance(ZKRGB a, ZKRGB b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// Index of the first candidate nearest to `rgb`, or -1 without candidates.
int Nearest(std::span<const ZKRGB> candidates, ZKRGB rgb) {
    int best = -1;
    int bestDistance = INT_MAX;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const int d = Distance(candidates[i], rgb);
        if (d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

int LineHeight(const ZKDC& dc) {
    return dc.Fonts().Get(ZKFontSet::Normal).height;
}

int TextWidth(const ZKDC& dc, const std::string& text) {
    return dc.TextExtent(text, ZKFontSet::Normal).cx;
}

// The first tab stop strictly right of `x`, or `x` itself past the last stop.
int NextTab(std::span<const int> stops, int x) {
    for (int stop : stops)
        if (stop > x) return stop;
    return x;
}

}  // namespace

// --- Colours ---

void ZKRichText::SetColours(std::span<const ZKRGB> colours) {
    if (!ZKASSERT(colours.size() <= kMaxCustomColours)) return;
    colours_.assign(colours.begin(), colours.end());
}

ZKRGB ZKRichText::StandardColour(int index) {
    return StandardColourIn(index, ZKGDI::CurrentOptions());
}

std::string ZKRichText::NearestColourCode(ZKRGB rgb) {
    const ZKSchemeOptions options = ZKGDI::CurrentOptions();
    ZKRGB standard[kStandardColourCount];
    for (int i = 0; i < kStandardColourCount; ++i)
        standard[i] = StandardColourIn(i, options);
    return std::string("$c") + kLetters[Nearest(standard, rgb)];
}

std::string ZKRichText::NearestCustomColourCode(ZKRGB rgb) const {
    const int index = Nearest(colours_, rgb);
    if (index < 0) return {};
    return std::string("$c") + static_cast<char>('0' + index);
}

// --- Parsing ---

bool ZKRichText::Measure(const ZKDC& dc, const std::string& text) {
    Parse(text);
    LineState state;
    int height = 0;
    std::size_t pos = 0;
    while (pos < tokens_.size()) {
        const int width = MeasureSegment(dc, pos, state, INT_MAX, height);
        extent_.cx = std::max(extent_.cx, width);
        extent_.cy = std::max(extent_.cy, height);
    }
    return true;
}

void ZKRichText::Parse(const std::string& text) {
    extent_ = {};
    tokens_.clear();
    char justify = 'l';
    std::string word;
    char previous = 0;  // none yet
    const std::size_t n = text.size();

    auto append = [this](TokenType type, std::string tokenText = {}) {
        tokens_.push_back({type, std::move(tokenText)});
    };
    // Takes the argument character of a code whose letter is at `at`.
    auto argument = [&](std::size_t at, const char* incomplete) {
        if (at + 1 >= n) throw ZKRichTextError(incomplete);
        return text[at + 1];
    };

    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if ((c == '$' || c == ' ' || c == '\n') && !word.empty() && word.back() != ' ') {
            append(TokenType::Word, word);
            word.clear();
        }
        if (c == '$') {
            if (i + 1 >= n) throw ZKRichTextError("incomplete $x escape code");
            const char code = text[++i];
            switch (code) {
                case '$':
                    word += '$';
                    break;
                case 'c': {
                    const char e = argument(i, "incomplete $cx color escape code");
                    if (LetterIndex(e) < 0) {
                        if (colours_.empty()) throw ZKRichTextError("no colors available");
                        if (e < '0' || e - '0' >= static_cast<int>(colours_.size()))
                            throw ZKRichTextError("color out of range");
                    }
                    append(TokenType::Colour, std::string(1, e));
                    word.clear();
                    ++i;
                    break;
                }
                case 'i': {
                    if (justify != 'l')
                        throw ZKRichTextError("no indents allowed on a right or centred line");
                    const char e = argument(i, "incomplete $ix indent escape code");
                    if (!IsDigit(e)) throw ZKRichTextError("indent char out of range");
                    append(TokenType::Indent, std::string(1, e));
                    word.clear();
                    ++i;
                    break;
                }
                case 'j': {
                    const char e = argument(i, "incomplete $jx justify escape code");
                    if (e != 'l' && e != 'c' && e != 'r')
                        throw ZKRichTextError("invalid $jx justify escape code");
                    append(TokenType::Justify, std::string(1, e));
                    justify = e;
                    word.clear();
                    ++i;
                    break;
                }
                case 'n':
                    if (!singleLine_) append(TokenType::LineBreak);
                    word.clear();
                    break;
                case 't':
                    if (justify != 'l') throw ZKRichTextError("no tabs allowed on a right or centred line");
                    append(TokenType::Tab);
                    word.clear();
                    break;
                default:  // an unknown code: both characters are dropped
                    break;
            }
            previous = text[i];
            continue;
        }
        if (c == '\n') {
            if (!singleLine_) append(TokenType::LineBreak);
            word.clear();
        } else if (c == ' ') {
            // Spaces at the start of a line that follows a real newline character are kept; they begin the
            // next word. Anywhere else a space only separates words.
            if (previous == '\n' || (!word.empty() && word.back() == ' ')) word += ' ';
        } else {
            word += c;
        }
        previous = c;
    }
    if (!word.empty()) append(TokenType::Word, word);
    if (!tokens_.empty() && tokens_.back().type != TokenType::LineBreak) append(TokenType::LineBreak);
}

// --- Layout ---

int ZKRichText::MeasureSegment(const ZKDC& dc, std::size_t& pos, LineState& state, std::int64_t available,
                               int& height, bool forceFirstWord) const {
    const int h = LineHeight(dc);
    std::int64_t w = (state.indent - '0') * h;
    bool firstWord = false;
    bool forced = forceFirstWord;
    auto result = [&] { return static_cast<int>(w); };

    while (pos < tokens_.size()) {
        const Token& token = tokens_[pos];
        switch (token.type) {
            case TokenType::Word: {
                const int width = TextWidth(dc, firstWord ? " " + token.text : token.text);
                if (w + width > available && !forced) return result();  // the word starts the next segment
                w += width;
                firstWord = true;
                break;
            }
            case TokenType::LineBreak:
                ++pos;
                height += h;
                return result();
            case TokenType::Tab:
                w = NextTab(tabs_, static_cast<int>(std::min<std::int64_t>(w, INT_MAX)));
                firstWord = false;
                break;
            case TokenType::Justify:
                if (w > 0) {
                    if (state.justify != 'l')
                        throw ZKRichTextError("Can only justify line twice if it is a left");
                    if (token.text != "r") throw ZKRichTextError("2nd justify on line must be a right");
                    state.justify = 'r';
                    ++pos;
                    return result();
                }
                break;
            case TokenType::Indent:
                state.indent = token.text[0];
                if (w == 0) w = (state.indent - '0') * h;
                break;
            case TokenType::Colour:
                break;
        }
        forced = false;
        ++pos;
    }
    return result();
}

int ZKRichText::LineStart(const ZKDC& dc, std::size_t pos, LineState state, int left, int right,
                          bool forceFirstWord) const {
    const char justify = state.justify;
    int height = 0;
    const int width = MeasureSegment(dc, pos, state, std::int64_t{right} - left, height, forceFirstWord);
    switch (justify) {
        case 'c':
            return static_cast<int>((std::int64_t{left} + right) / 2 - width / 2);
        case 'r':
            return right - width;
        default:
            // The justification is the one the segment starts with (a "$jr" that ends it belongs to the next
            // part), the indent the one its codes leave in force: "$i5x" indents its own line.
            return left + (state.indent - '0') * LineHeight(dc);
    }
}

std::vector<ZKRichText::PlacedText> ZKRichText::Layout(const ZKDC& dc, const zk::Rect& rect,
                                                       zk::Size* extent) const {
    const int h = LineHeight(dc);
    // The letter colours follow the process-wide options alone, on a printer as on the screen.
    const ZKSchemeOptions options = ZKGDI::CurrentOptions();
    ZKRGB colour = dc.Colour(0);
    if (extent) *extent = {};

    std::vector<PlacedText> placed;
    int x = rect.left;
    int y = rect.top;
    LineState state;
    std::size_t pos = 0;
    while (pos < tokens_.size()) {
        x = LineStart(dc, pos, state, rect.left, rect.right);
        bool firstWord = false;
        bool segmentEnds = false;
        while (!segmentEnds && pos < tokens_.size()) {
            const Token& token = tokens_[pos++];
            switch (token.type) {
                case TokenType::Word: {
                    std::string text = firstWord ? " " + token.text : token.text;
                    int width = TextWidth(dc, text);
                    if (!singleLine_ && std::int64_t{x} + width > rect.right) {
                        // The word wraps. A wrapped centred or right line is placed by its own width, the
                        // wrapped word included, so that it sits like any other line of that justification.
                        x = LineStart(dc, pos - 1, state, rect.left, rect.right, true);
                        y += h;
                        text = token.text;
                        width = TextWidth(dc, text);
                    }
                    if (!extent) placed.push_back({std::move(text), x, y, colour});
                    firstWord = true;
                    x += width;
                    break;
                }
                case TokenType::LineBreak:
                    if (!singleLine_) y += h;
                    segmentEnds = true;
                    break;
                case TokenType::Tab:
                    x = rect.left + NextTab(tabs_, x - rect.left);
                    firstWord = false;
                    break;
                case TokenType::Justify:
                    state.justify = token.text[0];
                    segmentEnds = true;
                    break;
                case TokenType::Indent:
                    state.indent = token.text[0];
                    break;
                case TokenType::Colour:
                    if (extent) break;
                    if (const int letter = LetterIndex(token.text[0]); letter >= 0) {
                        colour = StandardColourIn(letter, options);
                    } else {
                        // The custom table may have shrunk since the text was parsed; keep the colour then.
                        const std::size_t index = static_cast<std::size_t>(token.text[0] - '0');
                        if (ZKASSERT(index < colours_.size())) colour = colours_[index];
                    }
                    break;
                default:
                    ZKASSERT(!"unknown rich-text token type");
                    break;
            }
            if (extent) {
                extent->cx = std::max(extent->cx, x - rect.left);
                extent->cy = std::max(extent->cy, y - rect.top);
            }
        }
    }
    return placed;
}

std::vector<ZKRichText::PlacedText> ZKRichText::LayOut(const ZKDC& dc, const zk::Rect& rect) const {
    return Layout(dc, rect, nullptr);
}

void ZKRichText::Draw(ZKDC& dc, int left, int top, int right, int bottom, zk::Size* extent) const {
    // The whole layout is made before anything is drawn, so that a malformed line draws nothing at all.
    const std::vector<PlacedText> placed = Layout(dc, {left, top, right, bottom}, extent);
    for (const PlacedText& text : placed)
        dc.TextOut(text.x, text.y, text.text, ZKFontSet::Normal, text.colour);
}

// --- Plain text ---

std::string ZKRichText::StripCodes(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '$') {
            plain += text[i];
            continue;
        }
        if (++i >= text.size()) break;
        switch (text[i]) {
            case '$':
                plain += '$';
                break;
            case 'n':
                plain += '\n';
                break;
            case 't':
                plain += ' ';
                break;
            case 'c':
            case 'i':
            case 'j':
                ++i;  // the argument goes too; at the end there is none
                break;
            default:
                break;
        }
    }
    return plain;
}

std::string ZKRichText::PlainRichText(const std::string& text) {
    std::string out;
    for (char c : StripCodes(text)) {
        out += c;
        if (c == '$') out += '$';
    }
    return out;
}
