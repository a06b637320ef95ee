#include "Gui/ZKPopupDirectoryMenu.h"

#include <utility>

#include "Gui/ZKTextEditDialog.h"
#include "Platform/Cp1252.h"

ZKFileBrowser ZKPopupDirectoryMenu::StartAt(ZKFileBrowserSettings settings, const std::string& folder) {
    ZKFileBrowser browser(ZKFileBrowser::Mode::Folders, std::move(settings));
    browser.Browse(folder);
    return browser;
}

ZKPopupDirectoryMenu::ZKPopupDirectoryMenu(ZKFileBrowserSettings settings, const std::string& folder,
                                           zk::HWND owner, zk::Point anchor, std::string title, int placement)
    : TZKPopupFileMenu(StartAt(std::move(settings), folder), owner, anchor, std::move(title), placement) {}

std::optional<std::string> ZKPopupDirectoryMenu::AskFolderName() {
    ZKTextEditDialog dialog(OwnerWindow(), ZKFileBrowser::kNewFolderPrompt, "");
    if (dialog.DoModal() != 1) return std::nullopt;
    return zk::Cp1252ToUtf8(dialog.Text());
}
