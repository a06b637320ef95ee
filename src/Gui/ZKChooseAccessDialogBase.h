#pragma once
// The chooser of an access: the list chooser with a "Security" button (access letter S) after "OK" and
// "Cancel". Choosers of a file's or a device's access derive from it and say what Security does; their
// title replaces the default prompt "How do you wish to access this file".

#include <string>

#include "Gui/ZKChooseDialog.h"

class ZKChooseAccessDialogBase : public ZKChooseDialog {
public:
    static constexpr const char* kDefaultPrompt = "How do you wish to access this file";
    static constexpr zk::UINT kSecurityId = 4;

    explicit ZKChooseAccessDialogBase(zk::HWND owner, std::string title = kDefaultPrompt);

    ZKButton& SecurityButton() { return security_; }

protected:
    // "Security" was pressed.
    virtual void OnSecurity() {}
    void OnControlNotify(ZKControl& control) override;

private:
    ZKButton security_{"Security", 'S', kSecurityId};
};
