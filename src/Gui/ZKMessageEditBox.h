#pragma once
// The message box that asks for text: the rich-text title band of ZKMessageBox, a multi-line edit field
// (at most 65535 characters, starting with the given text) in place of the body, and the buttons of a
// set (ZKMessageBoxButtons). The box lays out like ZKMessageBox, with the field's extent for the body's.
//
// The field has the focus when the box opens. A key goes to the buttons' key lists first (so with the
// sets 0 and 1 Enter presses "Ok", and with the sets 2 and 3 Y and N answer); a key that no button takes
// goes to the field while it has the focus; Tab moves the focus to the buttons and back.
//
// DoModal returns the result of the button that ended it; Text() then holds the edited text.

#include <span>
#include <string>

#include "Gui/ZKMessageBoxButtons.h"
#include "Gui/ZKMessageBoxTitle.h"
#include "Gui/ZKMultiLineEdit.h"

class ZKMessageEditBox : public ZKMessageBoxButtons {
public:
    static constexpr std::size_t kMaxLength = 65535;
    // The field is never narrower than this, so that there is room to type.
    static constexpr int kMinEditWidth = 240;

    ZKMessageEditBox(zk::HWND parent, const std::string& title, const std::string& text, int buttonSet);

    const std::string& Text() const { return edit_.Text(); }
    ZKMultiLineEdit& Edit() { return edit_; }
    const std::string& Title() const { return title_.Text(); }
    // Tab stops and custom colours of the title.
    void SetTabs(std::span<const int> stops) { title_.SetTabs(stops); }
    void SetColours(std::span<const ZKRGB> colours) { title_.SetColours(colours); }

protected:
    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void PaintDialog(ZKDC& dc, const zk::Rect& rect) override;
    // The field's change notices are no button presses.
    void OnControlNotify(ZKControl& control) override;

private:
    // Creates the buttons and the field and sizes the box.
    void LayOut(zk::HWND hwnd);

    ZKMessageBoxTitle title_;
    ZKMultiLineEdit edit_;
};
