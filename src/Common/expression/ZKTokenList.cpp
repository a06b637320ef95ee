#include "Common/expression/ZKTokenList.h"

#include "Common/expression/ZKExpressionOperators.h"

namespace {

// The bracket kind of an operator (0 square, 1 round, 2 curly), -1 for other operators.
int KindOf(int op) {
    return op >= kOpOpenSquare && op <= kOpCloseCurly ? op / 2 : -1;
}

bool IsOpeningOperator(int op) {
    return KindOf(op) >= 0 && op % 2 == 0;
}

}  // namespace

ZKTokenList::ZKTokenList(std::vector<ZKToken> tokens)
    : tokens_(std::move(tokens)), depth_(tokens_.size() + 1), partners_(tokens_.size(), kNoPartner) {
    operators_.reserve(tokens_.size());
    for (const auto& token : tokens_) {
        const ZKOperatorInfo* op = ZKFindOperator(token.text);
        operators_.push_back(op != nullptr ? op->id : -1);
    }
    std::array<std::vector<std::size_t>, 3> open;
    Depth depth{};
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
        depth_[i] = depth;
        const int kind = KindOf(operators_[i]);
        if (kind < 0) continue;
        auto& stack = open[static_cast<std::size_t>(kind)];
        if (IsOpeningOperator(operators_[i])) {
            ++depth[static_cast<std::size_t>(kind)];
            stack.push_back(i);
            continue;
        }
        --depth[static_cast<std::size_t>(kind)];
        if (!stack.empty()) {
            partners_[stack.back()] = i;
            stack.pop_back();
        }
    }
    depth_.back() = depth;
}

bool ZKTokenList::IsOpening(std::size_t i) const {
    return IsOpeningOperator(operators_[i]);
}

bool ZKTokenList::IsClosing(std::size_t i) const {
    return KindOf(operators_[i]) >= 0 && !IsOpening(i);
}

bool ZKTokenList::ClosesBelow(std::size_t b, std::size_t i) const {
    const auto kind = static_cast<std::size_t>(KindOf(operators_[i]));
    return IsClosing(i) && depth_[i + 1][kind] < depth_[b][kind];
}

std::string ZKTokenList::RangeText(std::size_t b, std::size_t e) const {
    std::string text;
    for (std::size_t i = b; i < e; ++i) {
        if (i > b) text += ' ';
        text += tokens_[i].text;
    }
    return text;
}
