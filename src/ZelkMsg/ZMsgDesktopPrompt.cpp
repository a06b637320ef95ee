#include "ZelkMsg/ZMsgDesktopPrompt.h"

#include "Gui/ZKFileNameDialog.h"
#include "Gui/ZKGlobalOptionsDialog.h"
#include "Gui/ZKMessageBox.h"
#include "Gui/ZKPopupDirectoryMenu.h"
#include "Gui/dialog/ZKErrorStateDialog.h"
#include "ZelkMsg/ZMsgAutoConnectOptionsDialog.h"
#include "ZelkMsg/ZMsgRegistry.h"

namespace {

// The folder chooser; making a folder needs a name typed in, which waits for the text entry dialog.
class FolderChooser final : public ZKPopupDirectoryMenu {
public:
    using ZKPopupDirectoryMenu::ZKPopupDirectoryMenu;
    std::optional<std::string> AskFolderName() override { return std::nullopt; }
};

}  // namespace

ZMsgPrompt ZMsgDesktopPrompt::Make(const zk::HWND& owner, ZMsgRegistry& registry, const ZKServer& server,
                                   const ZKGlobalOptions* displayOptions) {
    ZMsgPrompt prompt;
    prompt.messageBox = [&owner](const std::string& text, ZMsgButtons buttons, int tabStop) {
        const bool yesNo = buttons == ZMsgButtons::YesNo;
        ZKMessageBox box(owner, text, yesNo ? ZKMessageBox::kYesNo : ZKMessageBox::kOk);
        if (tabStop > 0) {
            const int tabs[] = {tabStop};
            box.SetTabs(tabs);
        }
        const int result = box.DoModal();
        return !yesNo                               ? ZMsgAnswer::Ok
               : result == ZKMessageBox::kResultYes ? ZMsgAnswer::Yes
                                                    : ZMsgAnswer::No;
    };
    prompt.folder = [&owner, &registry, displayOptions](
                        const std::string& title, const std::string& start) -> std::optional<std::string> {
        const zk::Rect client = zk::GetClientRect(owner);
        const zk::Point anchor = zk::ClientToScreen(owner, {client.Width() / 4, client.Height() / 4});
        const bool reverse = displayOptions && displayOptions->ReverseFolderOrder();
        FolderChooser chooser(ZKFileBrowserSettings::FromRegistry(registry, reverse), start, owner, anchor,
                              title);
        if (chooser.DoModal() != ZKPopupMenu::kChosen || chooser.Chosen().empty()) return std::nullopt;
        std::string folder = chooser.Chosen();
        if (folder.back() != '/') folder += '/';
        return folder;
    };
    prompt.fileName = [&owner](const std::string& title,
                               const std::string& name) -> std::optional<std::string> {
        ZKFileNameDialog dialog(owner, title, name);
        if (dialog.DoModal() != 1) return std::nullopt;
        return dialog.Text();
    };
    prompt.chooseDevice = [&owner, &registry, &server] {
        return ZMsgDeviceChooser(server, registry, owner).Choose(0, {});
    };
    prompt.autoConnectOptions =
        [&owner](const ZMsgAutoConnectOptions& current) -> std::optional<ZMsgAutoConnectOptions> {
        ZMsgAutoConnectOptionsDialog dialog(owner, current);
        if (dialog.DoModal() != 1) return std::nullopt;
        return dialog.Options();
    };
    prompt.globalOptions = [&owner](ZKGlobalOptions& options) {
        ZKGlobalOptionsDialog(owner, options, "ZelkMsg").DoModal();
    };
    prompt.errorStates = [&owner](std::function<ZKDevice*()> device, const ZPProfile& profile) {
        ZKErrorStateDialog(owner, std::move(device), profile).DoModal();
    };
    return prompt;
}
