#include "ZelkMsg/ZMsgDeviceChooser.h"

#include "Common/ZKRegistry.h"
#include "Common/device/ZKServer.h"
#include "Gui/ZKChooseDialog.h"
#include "Gui/ZKMessageBox.h"
#include "Gui/ZKPleaseWait.h"

ZMsgDeviceChooser::ZMsgDeviceChooser(const ZKServer& server, ZKRegistry& registry, zk::HWND owner)
    : server_(server), registry_(registry), owner_(owner) {}

std::string ZMsgDeviceChooser::Search(std::uint16_t threshold) {
    devices_.clear();
    options_.clear();
    // The list is written by the search thread and read only after the box has returned.
    ZKPleaseWait wait(owner_, kSearching, [this] { return server_.GetDeviceList(devices_) ? 0 : 1; });
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

std::optional<ZMsgDeviceChoice> ZMsgDeviceChooser::Choose(std::uint16_t threshold,
                                                          const ZKDeviceAccess& caller) {
    for (;;) {
        const std::string failure = Search(threshold);
        if (failure.empty()) break;
        ZKMessageBox box(owner_, failure, ZKMessageBox::kUser12);
        box.SetUserButtonText(0, "Rescan", 'R');
        box.SetUserButtonText(1, "Cancel", 0);
        box.SetUserButtonKeys(1, {zk::VK_ESCAPE, zk::VK_RETURN});
        if (box.DoModal() != ZKMessageBox::kResultUser1) return std::nullopt;
    }
    std::uint32_t asRoot = 0;
    registry_.GetAutoConnectAsRoot(asRoot);
    if (asRoot)
        if (const auto root = RootOption(caller)) return ChoiceOf(options_[*root], caller);

    const ZKAccessRows rows =
        ZKAccessOptions::BuildRows(server_, options_, caller, threshold, {}, std::nullopt);
    ZKChooseDialog dialog(owner_, kTitle);
    for (const ZKAccessRow& row : rows.rows) {
        std::optional<ZKRGB> colour;
        if (row.colourSlot != 0) colour = ZKGDI::Colour({}, row.colourSlot);
        dialog.AddChoice({row.text, static_cast<std::intptr_t>(row.option), row.enabled, colour});
    }
    if (dialog.DoModal() != 1) return std::nullopt;
    const auto chosen = static_cast<std::size_t>(dialog.ChosenValue());
    if (chosen >= options_.size()) return std::nullopt;
    return ChoiceOf(options_[chosen], caller);
}
