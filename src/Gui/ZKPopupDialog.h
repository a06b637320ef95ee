#pragma once
// The concrete base of the toolkit's dialogs: a TZKDialog that paints straight onto the screen. Dialogs
// whose own drawing is more than a background and a few lines use ZKDBPopupDialog instead.

#include "Gui/TZKDialog.h"

class ZKPopupDialog : public TZKDialog<ZKPlainWindow> {
public:
    using TZKDialog::TZKDialog;
};
