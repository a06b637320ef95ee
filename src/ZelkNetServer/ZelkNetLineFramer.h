#pragma once
// Cuts the byte stream of a text link (a serial port, a TCP stream) into message lines:
// - a line ends at LF; a CR right before the LF is dropped;
// - a line longer than the limit is cut into pieces of at most the limit, never inside a UTF-8 character;
// - a line whose bytes are valid UTF-8 is taken as it is, any other line is read as Windows-1252;
// - an empty line is left out: to a client an empty text means "no message".
// Pure (no I/O) and independent of how the bytes are split into chunks: the same bytes give the same lines.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class ZelkNetLineFramer {
public:
    static constexpr std::size_t kMaxLine = 4096;

    explicit ZelkNetLineFramer(std::size_t maxLine = kMaxLine) : maxLine_(maxLine < 4 ? 4 : maxLine) {}

    // Appends the lines that `bytes` completes to `lines`.
    void Feed(std::string_view bytes, std::vector<std::string>& lines);
    // Ends the stream (the link went down): an unfinished line is appended as it is.
    void Finish(std::vector<std::string>& lines);
    // Bytes of the unfinished line.
    std::size_t Pending() const { return pending_.size(); }

private:
    // Emits pieces of the limit's length while the unfinished line is longer; `complete` emits the rest too.
    void Cut(bool complete, std::vector<std::string>& lines);
    // Where to cut a piece: at the limit, or before a UTF-8 character that the limit would split.
    std::size_t CutPosition(std::string_view text) const;
    static void Emit(std::string_view raw, std::vector<std::string>& lines);

    std::size_t maxLine_;
    std::string pending_;
};
