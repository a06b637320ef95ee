#pragma once
// The folder chooser: a file popup that lists folders only, starting in a given folder, with the rows
// SELECT (choose the shown folder) and CREATE (make a folder in it, named by the user).

#include "Gui/TZKPopupFileMenu.h"
#include "Gui/ZKPopupMenuFileItem.h"

class ZKPopupDirectoryMenu : public TZKPopupFileMenu<ZKPopupMenuFileItem> {
public:
    // Starts in `folder`, or with the drives when it cannot be read. `title` is the prompt of the first row.
    ZKPopupDirectoryMenu(ZKFileBrowserSettings settings, const std::string& folder, zk::HWND owner,
                         zk::Point anchor, std::string title = {}, int placement = kBelowRight);

    // The browser of a folder chooser shown at `folder`.
    static ZKFileBrowser StartAt(ZKFileBrowserSettings settings, const std::string& folder);
};
