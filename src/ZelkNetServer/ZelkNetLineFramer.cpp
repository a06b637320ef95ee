#include "ZelkNetServer/ZelkNetLineFramer.h"

#include <cstdint>

#include "Common/ZKText.h"

namespace {

bool IsContinuation(char c) {
    return (static_cast<std::uint8_t>(c) & 0xC0) == 0x80;
}

// Length of the UTF-8 sequence a lead byte starts; 0 for a byte that starts none.
std::size_t SequenceLength(char c) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte >= 0xC2 && byte <= 0xDF) return 2;
    if (byte >= 0xE0 && byte <= 0xEF) return 3;
    if (byte >= 0xF0 && byte <= 0xF4) return 4;
    return 0;
}

}  // namespace

void ZelkNetLineFramer::Feed(std::string_view bytes, std::vector<std::string>& lines) {
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            pending_.append(bytes);
            Cut(false, lines);
            return;
        }
        pending_.append(bytes.substr(0, lf));
        bytes.remove_prefix(lf + 1);
        if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
        Cut(true, lines);
    }
}

void ZelkNetLineFramer::Finish(std::vector<std::string>& lines) {
    Cut(true, lines);
}

void ZelkNetLineFramer::Cut(bool complete, std::vector<std::string>& lines) {
    std::size_t start = 0;
    while (pending_.size() - start > maxLine_) {
        // A CR just past the limit may be the first half of a CR LF: wait for the next byte.
        if (!complete && pending_.size() - start == maxLine_ + 1 && pending_.back() == '\r') break;
        const std::size_t cut = CutPosition(std::string_view(pending_).substr(start));
        Emit(std::string_view(pending_).substr(start, cut), lines);
        start += cut;
    }
    if (complete) {
        Emit(std::string_view(pending_).substr(start), lines);
        pending_.clear();
    } else {
        pending_.erase(0, start);
    }
}

std::size_t ZelkNetLineFramer::CutPosition(std::string_view text) const {
    // The byte at the limit belongs to the next piece; if it continues a character, move the cut back to
    // that character's first byte (at most three bytes back).
    for (std::size_t back = 0; back < 4 && back < maxLine_ && IsContinuation(text[maxLine_ - back]); ++back) {
        const std::size_t lead = maxLine_ - back - 1;
        if (IsContinuation(text[lead])) continue;
        return lead > 0 && lead + SequenceLength(text[lead]) > maxLine_ ? lead : maxLine_;
    }
    return maxLine_;
}

void ZelkNetLineFramer::Emit(std::string_view raw, std::vector<std::string>& lines) {
    if (!raw.empty()) lines.push_back(ZKTextToUtf8(raw));
}
