#pragma once
// A child window that shows one multi-line rich text wrapped to its width, with a vertical scroll bar at its
// left edge when the text is taller than the window. Every re-layout (new text, new size) returns to the top.
//
// The view is transparent to the mouse (its hit test falls through to the window beneath); only its scroll
// bar takes input. It has no wheel, keyboard or selection handling of its own.
//
// A text with a malformed code is shown as plain text (its codes stripped), so that no text can bring the
// window down.

#include <span>
#include <string>

#include "Gui/ZKDoubleBuffer.h"
#include "Gui/ZKRichText.h"
#include "Gui/ZKScrollBar.h"

class ZKBackgroundProvider;

class ZKScrollableRichText : public ZKDoubleBuffer {
public:
    static constexpr zk::UINT kScrollBarId = 1;

    // `background` (may be null: colour slot 5) must outlive the view.
    explicit ZKScrollableRichText(std::string text = {}, ZKBackgroundProvider* background = nullptr);

    // Creates the view as a child window of `parent`; `style` is added to WS_CHILD | WS_CLIPCHILDREN.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect, zk::DWORD style = zk::WS_VISIBLE, zk::UINT id = 0);

    // Stores and measures the text, lays it out for the current size (back at the top) and redraws.
    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    // Tab stops (pixels from the text's left edge) and custom colours of the text; each re-measures and
    // lays the text out again.
    void SetTabs(std::span<const int> stops);
    void SetColours(std::span<const ZKRGB> colours);
    // The unwrapped extent of the text: its widest line and its height when nothing wraps.
    zk::Size UnwrappedExtent() const { return richText_.Extent(); }

    // The wrapped extent of the text at the current width (narrower by the bar when it shows).
    zk::Size WrappedExtent() const { return extent_; }
    const ZKScrollBar& ScrollBar() const { return bar_; }
    ZKScrollBar& ScrollBar() { return bar_; }
    bool ScrollBarShown() const;
    // Where the text is drawn: x 13 with the bar, 0 without; y above the top by the scrolled part.
    zk::Point TextOrigin() const;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int type, int width, int height) override;
    void Paint(ZKDC& dc, const zk::Rect& rect) override;
    // Slot 8: the provider's background for this window's rectangle, or colour slot 5.
    virtual void PaintBackground(ZKDC& dc, const zk::Rect& rect);

private:
    // Measures the text, lays it out for the current size and redraws.
    void Relayout();
    // Measures the text; a text that does not parse is measured as its plain text.
    void MeasureText();
    // Draws (or, with `extent`, measures) the text; a text whose layout fails falls back to its plain text.
    void DrawText(ZKDC& dc, const zk::Rect& rect, zk::Size* extent);
    void Scroll(double by);

    ZKScrollBar bar_{false, kScrollBarId};
    ZKRichText richText_;
    std::string text_;
    zk::Size extent_;
    ZKBackgroundProvider* background_;
};
