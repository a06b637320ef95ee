#include "Gui/ZKPopupDirectoryMenu.h"

#include <utility>

ZKFileBrowser ZKPopupDirectoryMenu::StartAt(ZKFileBrowserSettings settings, const std::string& folder) {
    ZKFileBrowser browser(ZKFileBrowser::Mode::Folders, std::move(settings));
    browser.Browse(folder);
    return browser;
}

ZKPopupDirectoryMenu::ZKPopupDirectoryMenu(ZKFileBrowserSettings settings, const std::string& folder,
                                           zk::HWND owner, zk::Point anchor, std::string title, int placement)
    : TZKPopupFileMenu(StartAt(std::move(settings), folder), owner, anchor, std::move(title), placement) {}
