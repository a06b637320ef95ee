#pragma once
// The auto-connect options dialog: the title "AutoConnect Options" and three check boxes for the options,
// with "OK" (Enter) and "Cancel" (Escape). A box's flag follows its tick at once; the caller takes the flags
// over only when DoModal returned 1 (OK).
//
//   +--------------------------------------------+
//   |  AutoConnect Options                       |
//   |  [x] Auto connect at startup               |
//   |  [ ] Single shot                           |
//   |  [x] auto Offline (if disconnected for > 5s)|
//   |            [ OK ]  [Cancel]                |
//   +--------------------------------------------+

#include "Gui/ZKButton.h"
#include "Gui/ZKCheckBox.h"
#include "Gui/ZKControlsDialog.h"
#include "ZelkMsg/ZMsgAutoConnectOptions.h"

class ZMsgAutoConnectOptionsDialog final : public ZKControlsDialog {
public:
    static constexpr const char* kTitle = "AutoConnect Options";
    static constexpr int kMargin = 10;

    ZMsgAutoConnectOptionsDialog(zk::HWND owner, const ZMsgAutoConnectOptions& options);

    const ZMsgAutoConnectOptions& Options() const { return options_; }

protected:
    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void OnControlNotify(ZKControl& control) override;
    bool OnKeyDown(int vk) override;
    void PaintDialog(ZKDC& dc, const zk::Rect& rect) override;

private:
    void OnCreate(zk::HWND hwnd);

    ZMsgAutoConnectOptions options_;
    ZKCheckBox autoConnect_{"Auto connect at startup", 'A', this, 1};
    ZKCheckBox singleShot_{"Single shot", 'S', this, 2};
    ZKCheckBox autoOffLine_{"auto Offline (if disconnected for > 5s)", 'O', this, 3};
    ZKButton ok_{"OK", 0, 4};
    ZKButton cancel_{"Cancel", 0, 5};
};
