#pragma once
// The text of an edit field with its caret and selection: what the one-line ZKEdit and the multi-line
// ZKMultiLineEdit share. No window and no drawing: the fields turn keys and mouse positions into the
// calls below and draw what this holds.
//
// Indices are byte positions in Windows-1252 text (one character each). A multi-line text separates its
// lines by "\n"; a one-line text holds no control characters. The length limit (0: none) counts every
// character, line breaks included; what would pass it is cut off.
//
// Words, for the Ctrl+arrow jumps: a run of letters and digits, a run of other printable characters,
// or a line break; spaces belong to the word before them.
//
//   text        "ab, cd\nef"
//   word starts  ^ ^   ^  ^      WordRight from 0 goes to 2, then 4, then 6 ("\n"), then 7

#include <cstddef>
#include <string>

class ZKEditText {
public:
    explicit ZKEditText(std::size_t limit = 0, bool multiLine = false);

    // Replaces the text (cleaned, cut to the limit) with the caret at its end and nothing selected.
    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    void SetLimit(std::size_t limit);
    std::size_t Limit() const { return limit_; }
    bool MultiLine() const { return multiLine_; }

    // The caret and the other end of the selection (equal when nothing is selected).
    std::size_t Caret() const { return caret_; }
    std::size_t Anchor() const { return anchor_; }
    std::size_t SelectionBegin() const { return caret_ < anchor_ ? caret_ : anchor_; }
    std::size_t SelectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
    bool HasSelection() const { return caret_ != anchor_; }
    std::string SelectedText() const;
    // Both ends are cut to the text.
    void Select(std::size_t anchor, std::size_t caret);
    // Puts the caret at `to`; without `extend` nothing stays selected.
    void MoveCaret(std::size_t to, bool extend);

    // Replaces the selection with `text` (cleaned, cut to what the limit leaves room for); false when
    // nothing changed.
    bool Replace(const std::string& text);
    // Backspace and Delete: the selection, else the character before or after the caret.
    bool EraseBack();
    bool EraseForward();

    // Where the Ctrl+Left and Ctrl+Right jumps from `at` land.
    std::size_t WordLeft(std::size_t at) const;
    std::size_t WordRight(std::size_t at) const;
    // The first index of the line that holds `at`, and the index of its end (its "\n" or the text's end).
    std::size_t LineStart(std::size_t at) const;
    std::size_t LineEnd(std::size_t at) const;

    // What the text of this field can hold: control characters become spaces; a multi-line text keeps its
    // line breaks, with CR LF and a lone CR turned into "\n".
    std::string Clean(const std::string& text) const;

private:
    std::string text_;
    std::size_t limit_;
    bool multiLine_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
};
