#pragma once
// The toolkit's one-line edit field: Windows-1252 text with a caret and a selection, a length limit, and
// the clipboard. Its dialog hands it keys and characters (ZKControlsManager); the mouse places the caret
// and selects by dragging. Every change of the text by the user posts WMU_CONTROL_NOTIFY to the parent.
//
//   Left, Right, Home, End      move the caret; with Shift they extend the selection
//   Backspace, Delete           remove the selection, else the character before / after the caret
//   Ctrl+A                      select everything
//   Ctrl+C, Ctrl+Insert         copy the selection
//   Ctrl+X, Shift+Delete        cut the selection
//   Ctrl+V, Shift+Insert        paste (line breaks and other control characters become spaces)
//   a printable character       replaces the selection, or is inserted at the caret
//
// Text that would pass the length limit is cut to fit. The clipboard holds UTF-8: characters without a
// Windows-1252 form are left out of a paste.

#include <string>

#include "Gui/ZKControl.h"
#include "Gui/ZKDoubleBuffer.h"

class ZKEdit : public ZKControl, public ZKDoubleBuffer {
public:
    static constexpr int kInsetX = 4;
    static constexpr std::uintptr_t kCaretTimer = 5;
    static constexpr zk::UINT kCaretBlinkMs = 500;

    explicit ZKEdit(zk::UINT id = 0, std::string text = {}, std::size_t limit = 0);

    // Creates the field as a child window of `parent`; `style` is added to WS_CHILD.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect, zk::DWORD style = zk::WS_VISIBLE);

    // Replaces the text (cut to the limit) with the caret at its end and nothing selected; no notice.
    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    // The most characters the field holds; 0 for no limit.
    void SetLimit(std::size_t limit);
    std::size_t Limit() const { return limit_; }

    // The caret and the other end of the selection (equal when nothing is selected), as character indices.
    std::size_t Caret() const { return caret_; }
    std::size_t Anchor() const { return anchor_; }
    void Select(std::size_t anchor, std::size_t caret);
    std::string SelectedText() const;

    // One line of the normal font high (plus 6), as wide as the text plus the insets.
    zk::Size PreferredSize() const override;

    // --- ZKControl ---
    void FocusChanged(bool focused) override;
    bool KeyDown(int vk) override;
    bool Char(int ch) override;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override;
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

private:
    std::size_t SelectionBegin() const { return std::min(caret_, anchor_); }
    std::size_t SelectionEnd() const { return std::max(caret_, anchor_); }
    // Replaces the selection with `text` (cut to the limit) and tells the parent.
    void Replace(const std::string& text);
    void MoveCaret(std::size_t to, bool extend);
    void Copy() const;
    void Paste();
    // The character index nearest to client x.
    std::size_t IndexAt(int x) const;
    int TextWidth(std::size_t chars) const;
    // Scrolls so that the caret shows, restarts the blink with the caret on, redraws.
    void CaretMoved();

    std::string text_;
    std::size_t limit_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
    int scrollX_ = 0;
    bool caretOn_ = false;
    bool dragging_ = false;
};
