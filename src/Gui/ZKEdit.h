#pragma once
// The toolkit's edit field: Windows-1252 text with a caret and a selection (ZKEditText), a length limit,
// and the clipboard. ZKEdit holds one line; ZKMultiLineEdit, built on it, holds several. Its dialog hands
// it keys and characters (ZKControlsManager); the mouse places the caret and selects by dragging. Every
// change of the text by the user posts WMU_CONTROL_NOTIFY to the parent.
//
//   Left, Right                 move the caret by a character; with Ctrl by a word
//   Home, End                   to the start or end of the line; with Ctrl of the whole text
//   Up, Down                    (several lines) to the line above or below
//   any of these with Shift     extends the selection
//   Enter                       (several lines) breaks the line
//   Backspace, Delete           remove the selection, else the character before / after the caret
//   Ctrl+A                      select everything
//   Ctrl+C, Ctrl+Insert         copy the selection
//   Ctrl+X, Shift+Delete        cut the selection
//   Ctrl+V, Shift+Insert        paste (control characters become spaces; line breaks too in one line)
//   a printable character       replaces the selection, or is inserted at the caret
//
// Text that would pass the length limit is cut to fit. The clipboard holds UTF-8: characters without a
// Windows-1252 form are left out of a paste.

#include <string>

#include "Gui/ZKControl.h"
#include "Gui/ZKDoubleBuffer.h"
#include "Gui/ZKEditText.h"

class ZKEdit : public ZKControl, public ZKDoubleBuffer {
public:
    static constexpr int kInsetX = 4;
    static constexpr int kPadY = 3;
    static constexpr std::uintptr_t kCaretTimer = 5;
    static constexpr zk::UINT kCaretBlinkMs = 500;

    explicit ZKEdit(zk::UINT id = 0, std::string text = {}, std::size_t limit = 0);

    // Creates the field as a child window of `parent`; `style` is added to WS_CHILD.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect, zk::DWORD style = zk::WS_VISIBLE);

    // Replaces the text (cut to the limit) with the caret at its end and nothing selected; no notice.
    void SetText(const std::string& text);
    const std::string& Text() const { return text_.Text(); }
    // The most characters the field holds; 0 for no limit.
    void SetLimit(std::size_t limit);
    std::size_t Limit() const { return text_.Limit(); }

    // The caret and the other end of the selection (equal when nothing is selected), as character indices.
    std::size_t Caret() const { return text_.Caret(); }
    std::size_t Anchor() const { return text_.Anchor(); }
    void Select(std::size_t anchor, std::size_t caret);
    std::string SelectedText() const { return text_.SelectedText(); }

    // One line of the normal font high (plus the padding), as wide as the text plus the insets.
    zk::Size PreferredSize() const override;

    // --- ZKControl ---
    void FocusChanged(bool focused) override;
    bool KeyDown(int vk) override;
    bool Char(int ch) override;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override;
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

protected:
    ZKEdit(zk::UINT id, const std::string& text, std::size_t limit, bool multiLine);

    const ZKEditText& Content() const { return text_; }
    int LineHeight() const;
    // The width of text[from, to) in the field's font.
    int TextWidth(std::size_t from, std::size_t to) const;

private:
    // Replaces the selection with `text` and tells the parent when that changed anything.
    void Replace(const std::string& text);
    void Changed(bool changed);
    void MoveCaret(std::size_t to, bool extend);
    bool MoveKey(int vk, bool shift, bool ctrl);
    bool ClipboardKey(int vk, bool shift, bool ctrl);
    void Copy() const;
    void Paste();
    // The client y of the first line's top, before scrolling.
    int TextTop() const;
    // The character index nearest to a client point, and the one nearest to x on the line starting at
    // `lineStart` (x in text coordinates, before scrolling).
    std::size_t IndexAt(zk::Point p) const;
    std::size_t IndexOnLine(std::size_t lineStart, int x) const;
    // The x of `index` on its line, in text coordinates.
    int XOf(std::size_t index) const { return TextWidth(text_.LineStart(index), index); }
    std::size_t LineNumber(std::size_t index) const;
    // Scrolls so that the caret shows, restarts the blink with the caret on, redraws.
    void CaretMoved();
    void PaintLine(ZKDC& dc, std::size_t start, std::size_t end, int y);

    ZKEditText text_;
    int scrollX_ = 0;
    int scrollY_ = 0;
    bool caretOn_ = false;
    bool dragging_ = false;
};
