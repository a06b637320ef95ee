#pragma once
// The tokens of one source with what every parse step asks of them: the operator each token spells and
// how it sits among the brackets. Brackets are matched once, here, by one model: each kind ("[ ]",
// "( )", "{ }") nests on its own counter, as the split of a range counts them. A token stands at the
// level of a range when, for every kind, as many brackets are open before it as before the range's
// first token.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "Common/expression/ZKExpressionTokenizer.h"

class ZKTokenList {
public:
    static constexpr std::size_t kNoPartner = static_cast<std::size_t>(-1);

    explicit ZKTokenList(std::vector<ZKToken> tokens);

    std::size_t Size() const { return tokens_.size(); }
    const std::string& Text(std::size_t i) const { return tokens_[i].text; }
    const std::vector<ZKToken>& Tokens() const { return tokens_; }
    // The operator id the token spells, -1 for names, numbers and strings.
    int Operator(std::size_t i) const { return operators_[i]; }
    bool IsOpening(std::size_t i) const;
    bool IsClosing(std::size_t i) const;
    // The bracket that closes the opening bracket i, or kNoPartner (also for a closing bracket).
    std::size_t Partner(std::size_t i) const { return partners_[i]; }
    // True when token i stands at the level of the range that starts at b.
    bool AtLevelOf(std::size_t b, std::size_t i) const { return depth_[i] == depth_[b]; }
    // True when the closing bracket i closes more brackets of its kind than the range starting at b opens.
    bool ClosesBelow(std::size_t b, std::size_t i) const;
    // The tokens [b, e) joined by single blanks.
    std::string RangeText(std::size_t b, std::size_t e) const;

private:
    using Depth = std::array<int, 3>;  // open "[", "(" and "{" before a token

    std::vector<ZKToken> tokens_;
    std::vector<int> operators_;
    std::vector<Depth> depth_;  // one more entry than tokens: the depth at the end
    std::vector<std::size_t> partners_;
};
