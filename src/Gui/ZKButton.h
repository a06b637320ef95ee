#pragma once
// The toolkit's push button: an owner-drawn child window with a text (or a bitmap) and an access letter,
// shown underlined. Menu titles, message-box buttons and dialog buttons are ZKButtons.
//
// Notices posted to the parent (wParam the identifier, lParam the ZKControl*, unless noted):
//   WMU_BUTTON_DOWN      the left button went down on it, or a press by program or keyboard started
//   WMU_BUTTON_UP        its look returns to normal (release, mouse leave, end of a press)
//   WMU_CONTROL_NOTIFY   it was clicked (released while pressed), pressed by Space or Press, or repeated
//   WMU_BUTTON_RCLICK    the right button was released over it (wParam 0)
//   WMU_CONTROL_ACTIVATE it asks for the focus (pressed while not focused; hovered with floating focus)
// A disabled button ignores all input and presses.
//
// Pressing and leaving before the release posts down and up but no click. With the repeat flag, a held
// button clicks after 500 ms and then every 100 ms (drawn up for 50 ms, down for 50 ms), and once more at
// the release. A flashing button shows its flash look for 700 ms and its normal look for 300 ms, in turn.
//
// Colours (slots of the colour table), face gradient top to bottom, frame, text:
//   flash look (flashing, phase 1)   flash, flash, 2, text 0 (1 when disabled); when slot 0 is within
//                                    256 (sum of |dR|+|dG|+|dB|) of the flash colour, text and frame 5
//   disabled or dialog inactive      20, 21, 22          text 1 when disabled, else 0
//   normal / hovered / focused       23..25 / 26..28 / 29..31
//   pressed (down, hovered/focused)  32..34

#include <memory>
#include <string>

#include "Gui/ZKControl.h"
#include "Gui/ZKDoubleBuffer.h"

constexpr zk::UINT WMU_BUTTON_DOWN = zk::WM_USER + 2;
constexpr zk::UINT WMU_BUTTON_UP = zk::WM_USER + 3;
constexpr zk::UINT WMU_BUTTON_RCLICK = zk::WM_USER + 6;

class ZKButton : public ZKControl, public ZKDoubleBuffer {
public:
    static constexpr std::uintptr_t kRepeatDelayTimer = 6;
    static constexpr std::uintptr_t kRepeatUpTimer = 7;
    static constexpr std::uintptr_t kRepeatDownTimer = 8;
    static constexpr std::uintptr_t kPressTimer = 9;
    static constexpr std::uintptr_t kFlashOnTimer = 10;
    static constexpr std::uintptr_t kFlashOffTimer = 11;
    static constexpr zk::UINT kRepeatDelayMs = 500;
    static constexpr zk::UINT kRepeatHalfMs = 50;
    static constexpr zk::UINT kPressMs = 500;
    static constexpr zk::UINT kFlashLookMs = 700;
    static constexpr zk::UINT kNormalLookMs = 300;
    static constexpr int kDefaultFlashSlot = 38;

    struct Colours {
        ZKRGB faceTop;
        ZKRGB faceBottom;
        ZKRGB frame;
        ZKRGB text;
        friend bool operator==(const Colours&, const Colours&) = default;
    };

    // A button showing "NOT SET UP".
    explicit ZKButton(zk::UINT id = 0);
    ZKButton(const std::string& text, char accessLetter, zk::UINT id = 0);
    // A button that shows a bitmap instead of a text.
    ZKButton(std::shared_ptr<const ZKBitmap> bitmap, char accessLetter, zk::UINT id = 0);

    // Creates the button as a child window of `parent`; `style` is added to WS_CHILD.
    zk::HWND Create(zk::HWND parent, const zk::Rect& rect, zk::DWORD style = zk::WS_VISIBLE);

    // Stores the text and access letter; the preferred size becomes the text's extent in the normal font
    // plus 10 x 5. Not for a bitmap button (an internal error).
    void SetText(const std::string& text, char accessLetter);
    const std::string& Text() const { return text_; }

    // Switches flashing on (in colour slot `slot`) or off; asking for the state it has does nothing, so a
    // flashing button keeps its first slot.
    void SetFlash(bool on, int slot = kDefaultFlashSlot);
    bool Flashing() const { return flashing_; }
    int FlashPhase() const { return flashPhase_; }
    int FlashSlot() const { return flashSlot_; }
    void SetRepeat(bool repeat) { repeat_ = repeat; }

    bool Down() const { return down_; }
    bool Pressed() const { return pressed_; }
    // The colours the button is drawn with now.
    Colours CurrentColours(const ZKColourContext& context = {}) const;

    // Space presses the button.
    bool Char(int ch) override;
    // Drawn down at once for 500 ms; posts button down and the click.
    void Press() override;
    zk::Size PreferredSize() const override { return preferred_; }

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void Resized(int, int, int) override {}
    void Paint(ZKDC& dc, const zk::Rect& rect) override;

private:
    void OnMouseMove(zk::Point p);
    void OnLeftDown();
    void OnLeftUp();
    void OnMouseLeave();
    bool OnTimer(std::uintptr_t id);
    void StopRepeat();

    std::string text_;
    std::shared_ptr<const ZKBitmap> bitmap_;
    zk::Size preferred_;
    bool down_ = false;
    bool pressed_ = false;
    bool flashing_ = false;
    int flashPhase_ = 0;
    bool repeat_ = false;
    int flashSlot_ = kDefaultFlashSlot;
};
