#include "Gui/ZKEditText.h"

#include <algorithm>

namespace {

enum class CharClass { Space, Word, Other, Break };

CharClass ClassOf(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\n') return CharClass::Break;
    if (c == ' ' || c == 0xA0) return CharClass::Space;
    // Digits, ASCII letters and the letters of Windows-1252's upper half.
    const bool word = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                      c == '_' || c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9A || c == 0x9C ||
                      c == 0x9E || c == 0x9F || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
    return word ? CharClass::Word : CharClass::Other;
}

}  // namespace

ZKEditText::ZKEditText(std::size_t limit, bool multiLine) : limit_(limit), multiLine_(multiLine) {}

std::string ZKEditText::Clean(const std::string& text) const {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (multiLine_ && (c == '\n' || c == '\r')) {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += c < 32 || c == 127 ? ' ' : static_cast<char>(c);
        }
    }
    return out;
}

void ZKEditText::SetText(const std::string& text) {
    text_ = Clean(text);
    if (limit_ && text_.size() > limit_) text_.resize(limit_);
    caret_ = anchor_ = text_.size();
}

void ZKEditText::SetLimit(std::size_t limit) {
    limit_ = limit;
    if (limit_ && text_.size() > limit_) SetText(text_);
}

std::string ZKEditText::SelectedText() const {
    return text_.substr(SelectionBegin(), SelectionEnd() - SelectionBegin());
}

void ZKEditText::Select(std::size_t anchor, std::size_t caret) {
    anchor_ = std::min(anchor, text_.size());
    caret_ = std::min(caret, text_.size());
}

void ZKEditText::MoveCaret(std::size_t to, bool extend) {
    caret_ = std::min(to, text_.size());
    if (!extend) anchor_ = caret_;
}

bool ZKEditText::Replace(const std::string& text) {
    const std::size_t begin = SelectionBegin();
    const std::size_t removed = SelectionEnd() - begin;
    std::string inserted = Clean(text);
    const std::size_t kept = text_.size() - removed;
    if (limit_) inserted.resize(std::min(inserted.size(), kept < limit_ ? limit_ - kept : 0));
    if (inserted.empty() && removed == 0) return false;  // nothing to remove, no room to insert
    text_.replace(begin, removed, inserted);
    caret_ = anchor_ = begin + inserted.size();
    return true;
}

bool ZKEditText::EraseBack() {
    if (!HasSelection() && caret_ > 0) anchor_ = caret_ - 1;
    return Replace({});
}

bool ZKEditText::EraseForward() {
    if (!HasSelection() && caret_ < text_.size()) anchor_ = caret_ + 1;
    return Replace({});
}

std::size_t ZKEditText::WordLeft(std::size_t at) const {
    at = std::min(at, text_.size());
    while (at > 0 && ClassOf(text_[at - 1]) == CharClass::Space)
        --at;
    if (at == 0) return 0;
    const CharClass word = ClassOf(text_[at - 1]);
    if (word == CharClass::Break) return at - 1;
    while (at > 0 && ClassOf(text_[at - 1]) == word)
        --at;
    return at;
}

std::size_t ZKEditText::WordRight(std::size_t at) const {
    at = std::min(at, text_.size());
    if (at == text_.size()) return at;
    const CharClass word = ClassOf(text_[at]);
    if (word == CharClass::Break) return at + 1;
    while (at < text_.size() && word != CharClass::Space && ClassOf(text_[at]) == word)
        ++at;
    while (at < text_.size() && ClassOf(text_[at]) == CharClass::Space)
        ++at;
    return at;
}

std::size_t ZKEditText::LineStart(std::size_t at) const {
    at = std::min(at, text_.size());
    const std::size_t brk = at == 0 ? std::string::npos : text_.rfind('\n', at - 1);
    return brk == std::string::npos ? 0 : brk + 1;
}

std::size_t ZKEditText::LineEnd(std::size_t at) const {
    const std::size_t brk = text_.find('\n', std::min(at, text_.size()));
    return brk == std::string::npos ? text_.size() : brk;
}
