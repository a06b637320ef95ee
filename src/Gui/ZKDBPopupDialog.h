#pragma once
// The double-buffered twin of ZKPopupDialog: a TZKDialog drawn through an off-screen bitmap, for dialogs
// that draw much of their own content (lists, menus).

#include "Gui/TZKDialog.h"

class ZKDBPopupDialog : public TZKDialog<ZKDoubleBuffer> {
public:
    using TZKDialog::TZKDialog;
};
