#include "Gui/ZKChooseAccessDialogBase.h"

ZKChooseAccessDialogBase::ZKChooseAccessDialogBase(zk::HWND owner, std::string title)
    : ZKChooseDialog(owner, std::move(title)) {
    AddButton(security_);
}

void ZKChooseAccessDialogBase::OnControlNotify(ZKControl& control) {
    if (&control == &security_)
        OnSecurity();
    else
        ZKChooseDialog::OnControlNotify(control);
}
