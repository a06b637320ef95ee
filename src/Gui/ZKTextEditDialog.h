#pragma once
// A small modal dialog that asks for one line of text: a title (one or more lines), an edit field and the
// buttons "OK" and "Cancel". Enter presses "OK", Escape presses "Cancel"; every other key goes to the
// controls (the edit field has the focus first). "OK" is enabled exactly while IsValid accepts the text,
// so neither "OK" nor Enter can end the dialog with a text it refuses.
//
// DoModal returns 1 for "OK" and 0 for "Cancel"; Text() then holds what was entered.

#include <cstdint>
#include <string>
#include <vector>

#include "Gui/ZKButton.h"
#include "Gui/ZKControlsDialog.h"
#include "Gui/ZKEdit.h"

class ZKTextEditDialog : public ZKControlsDialog {
public:
    enum ControlId : zk::UINT { kEditId = 1, kOkId = 2, kCancelId = 3 };
    static constexpr int kMargin = 10;
    static constexpr int kMinEditWidth = 120;

    // A field that starts with `defaultText`, as wide as that text needs.
    ZKTextEditDialog(zk::HWND owner, const std::string& title, const std::string& defaultText);
    // An empty field for a number of at most `limit` digits, sized for that many.
    ZKTextEditDialog(zk::HWND owner, const std::string& title, std::uint16_t limit);

    std::string Text() const { return edit_.Text(); }
    ZKEdit& Edit() { return edit_; }
    ZKButton& OkButton() { return ok_; }
    ZKButton& CancelButton() { return cancel_; }

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;

protected:
    // --- operations added here, in slot order ---
    // Sizes the dialog and places title, field and buttons for the measured extents.
    virtual void LayOut(zk::Size title, zk::Size edit);
    // Enables "OK" exactly while the text is valid, and redraws it.
    virtual void Update();
    // The field reported a change.
    virtual void TextChanged() { Update(); }
    // Whether the text may be accepted; any text here.
    virtual bool IsValid(const std::string&) const { return true; }
    // "OK" was pressed: ends the dialog with 1 when the text is valid.
    virtual void Accept();

    bool OnKeyDown(int vk) override;
    void OnControlNotify(ZKControl& control) override;
    void PaintDialog(ZKDC& dc, const zk::Rect& rect) override;

private:
    void OnCreate(zk::HWND hwnd);

    std::vector<std::string> titleLines_;
    std::uint16_t limit_ = 0;
    std::string defaultText_;
    ZKEdit edit_;
    ZKButton ok_{"OK", 0, kOkId};
    ZKButton cancel_{"Cancel", 0, kCancelId};
};
