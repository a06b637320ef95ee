#include "Common/expression/ZKExpressionTokenizer.h"

#include "Common/expression/ZKExpressionOperators.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::vector<ZKToken> ZKExpressionTokenizer::Tokenize(std::string_view source) {
    ZKExpressionTokenizer tokenizer(source);
    tokenizer.Run();
    return std::move(tokenizer.tokens_);
}

void ZKExpressionTokenizer::Run() {
    while (pos_ < source_.size()) {
        const char c = source_[pos_];
        if (IsBlank(c)) {
            Flush();
            ++pos_;
            continue;
        }
        if (c == '"') {
            Flush();
            ReadString();
            continue;
        }
        const bool isOperator = ZKIsOperatorChar(c);
        if (!current_.empty() &&
            (isOperator != currentIsOperator_ || (isOperator && !ZKIsOperatorText(current_ + c)))) {
            Flush();
        }
        if (current_.empty()) {
            start_ = pos_;
            currentIsOperator_ = isOperator;
        }
        current_ += c;
        ++pos_;
        if (currentIsOperator_ && current_ == "//") SkipLine();
    }
    Flush();
}

void ZKExpressionTokenizer::Flush() {
    if (!current_.empty()) tokens_.push_back({current_, start_});
    current_.clear();
}

// A string runs to the next quote, or to the end of the source when none follows.
void ZKExpressionTokenizer::ReadString() {
    const std::size_t close = source_.find('"', pos_ + 1);
    const std::size_t end = close == std::string_view::npos ? source_.size() : close + 1;
    tokens_.push_back({std::string(source_.substr(pos_, end - pos_)), pos_});
    pos_ = end;
}

// Drops the comment mark and the rest of its line.
void ZKExpressionTokenizer::SkipLine() {
    current_.clear();
    while (pos_ < source_.size() && source_[pos_] != '\n' && source_[pos_] != '\r')
        ++pos_;
}
