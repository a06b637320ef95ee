#include "ZelkMsg/ZMsgDeviceChooser.h"

#include "Common/ZKRegistry.h"
#include "Common/device/ZKServer.h"
#include "Gui/ZKMessageBox.h"
#include "Gui/ZKPleaseWait.h"
#include "ZelkMsg/ZCChooseDeviceAccessDialog.h"
#include "ZelkMsg/ZCDevFilterOptionsDialog.h"

ZMsgDeviceChooser::ZMsgDeviceChooser(const ZKServer& server, ZKRegistry& registry, zk::HWND owner)
    : server_(server), registry_(registry), owner_(owner) {}

std::string ZMsgDeviceChooser::Search(std::uint16_t threshold, zk::HWND owner) {
    options_.clear();
    devices_.clear();
    // The list is written by the search thread and read only after the box has returned.
    ZKPleaseWait wait(owner, kSearching, [this] { return server_.GetDeviceList(devices_) ? 0 : 1; });
    if (wait.DoModal() != 0) return kNoList;
    if (devices_.empty()) return kNoDevices;
    if (!ZKAccessOptions::BuildAll(server_, devices_, threshold, options_)) return kNoAccess;
    return {};
}

std::optional<std::size_t> ZMsgDeviceChooser::RootOption(const ZKDeviceAccess& caller) const {
    if (devices_.size() != 1) return std::nullopt;
    for (std::size_t i = 0; i < options_.size(); ++i) {
        if (options_[i].secondaryId != 0) continue;
        bool granted = true;
        for (std::size_t area = 0; area < ZKDeviceAccess::kAreaCount; ++area)
            granted = granted && (!caller.required[area] || options_[i].codes[area] == 0);
        if (granted) return i;
    }
    return std::nullopt;
}

ZMsgDeviceChoice ZMsgDeviceChooser::ChoiceOf(const ZKAccessOption& option,
                                             const ZKDeviceAccess& caller) const {
    return {*option.entry, option.Access(caller), option.rootId, option.secondaryId};
}

ZMsgDeviceChooser::FailureAnswer ZMsgDeviceChooser::AskAfterFailure(const std::string& failure) const {
    ZKMessageBox box(owner_, failure, ZKMessageBox::kUser123);
    box.SetUserButtonText(0, "Rescan", 'R');
    box.SetUserButtonKeys(0, {'R'});
    box.SetUserButtonText(1, "Filter", 'F');
    box.SetUserButtonKeys(1, {'F'});
    box.SetUserButtonText(2, "Cancel", 0);
    box.SetUserButtonKeys(2, {zk::VK_ESCAPE, zk::VK_RETURN});
    switch (box.DoModal()) {
        case ZKMessageBox::kResultUser1:
            return FailureAnswer::Rescan;
        case ZKMessageBox::kResultUser1 + 1:
            return FailureAnswer::Filter;
        default:
            return FailureAnswer::Cancel;
    }
}

bool ZMsgDeviceChooser::EditFilter() {
    ZCDevFilterOptionsDialog dialog(owner_, filter_);
    if (dialog.DoModal() != 1) return false;
    filter_ = dialog.Filter();
    return true;
}

std::optional<ZMsgDeviceChoice> ZMsgDeviceChooser::Choose(std::uint16_t threshold,
                                                          const ZKDeviceAccess& caller) {
    for (;;) {
        const std::string failure = Search(threshold, owner_);
        if (failure.empty()) break;
        const FailureAnswer answer = AskAfterFailure(failure);
        if (answer == FailureAnswer::Cancel || (answer == FailureAnswer::Filter && !EditFilter()))
            return std::nullopt;
    }
    std::uint32_t asRoot = 0;
    registry_.GetAutoConnectAsRoot(asRoot);
    if (asRoot)
        if (const auto root = RootOption(caller)) return ChoiceOf(options_[*root], caller);

    // The dialog shows the options just found; Rescan and Security search again from inside it.
    ZCChooseDeviceAccessDialog dialog(owner_, *this, threshold, caller);
    if (dialog.DoModal() != 1) return std::nullopt;
    const std::size_t chosen = dialog.ChosenOption();
    if (chosen >= options_.size()) return std::nullopt;
    return ChoiceOf(options_[chosen], caller);
}
