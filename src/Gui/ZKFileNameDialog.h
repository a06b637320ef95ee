#pragma once
// The text entry dialog for a file name: "OK" is enabled only for a name ZKIsValidFileName accepts.

#include "Common/ZKFileName.h"
#include "Gui/ZKTextEditDialog.h"

class ZKFileNameDialog : public ZKTextEditDialog {
public:
    using ZKTextEditDialog::ZKTextEditDialog;

protected:
    bool IsValid(const std::string& text) const override { return ZKIsValidFileName(text); }
};
