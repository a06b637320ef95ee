#pragma once
// The base of the toolkit's two-state controls (ZKCheckBox, ZKRadioButton): an owner-drawn child window with
// a mark box, a text and an access letter, drawn over its dialog's background.
//
// Input (ignored while disabled): the mouse hovers it as a button; a left press marks it pressed and asks
// for the focus (WMU_CONTROL_ACTIVATE) when it has not got it; the release over it presses it. A press (also
// Space, or Press from a hot key) moves the tick to its next state (a check box toggles, a radio button
// becomes ticked) and posts WMU_CONTROL_NOTIFY. Setting the tick by program posts nothing.
//
// The mark box takes the control colours of its state (as a button: disabled or dialog inactive, normal,
// hovered, focused, pressed while the mouse is held on it); the text is slot 0, slot 1 when disabled.

#include <string>

#include "Gui/ZKControl.h"
#include "Gui/ZKDoubleBuffer.h"

class ZKBackgroundProvider;

class ZKSelectionCtrl : public ZKControl, public ZKDoubleBuffer {
public:
    static constexpr int kBoxSize = 13;
    static constexpr int kTextLeft = 20;

    // `background` (may be null: colour slot 5) must outlive the control.
    ZKSelectionCtrl(const std::string& text, char accessLetter, ZKBackgroundProvider* background = nullptr,
                    zk::UINT id = 0);

    // Creates the control as a child window of `parent`; `style` is added to WS_CHILD.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect, zk::DWORD style = zk::WS_VISIBLE);

    // Stores the text; the preferred size becomes its extent plus 20 x 4 (an empty text: 20 wide).
    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }

    bool Ticked() const { return ticked_; }
    void SetTicked(bool ticked);
    bool Pressed() const { return pressed_; }

    bool Char(int ch) override;
    void Press() override;
    int State() const override { return ticked_ ? 1 : 0; }
    zk::Size PreferredSize() const override { return preferred_; }

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override {}
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

protected:
    // The tick state a press moves to.
    virtual bool NextTickState() const = 0;
    // Draws the box and its mark; `face`, `edge`, `mark` are the state's colours.
    virtual void PaintMark(ZKDC& dc, const zk::Rect& box, ZKRGB face, ZKRGB edge, ZKRGB mark) const = 0;

private:
    void OnMouseMove(zk::Point p);

    std::string text_;
    ZKBackgroundProvider* background_;
    bool ticked_ = false;
    bool pressed_ = false;
    zk::Size preferred_;
};
