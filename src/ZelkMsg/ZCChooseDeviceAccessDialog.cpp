#include "ZelkMsg/ZCChooseDeviceAccessDialog.h"

#include "Common/device/ZKAccessOptions.h"
#include "Common/device/ZKServer.h"
#include "Gui/ZKGDI.h"
#include "ZelkMsg/ZMsgDeviceChooser.h"

ZCChooseDeviceAccessDialog::ZCChooseDeviceAccessDialog(zk::HWND owner, ZMsgDeviceChooser& chooser,
                                                       std::uint16_t threshold, const ZKDeviceAccess& caller)
    : ZKChooseAccessDialogBase(owner, ZMsgDeviceChooser::kTitle),
      chooser_(chooser),
      threshold_(threshold),
      caller_(caller) {
    AddButton(rescan_, 0);  // the row reads OK, Cancel, Rescan, Security
    SetBottomGap(kMargin);
    ShowOptions(std::nullopt);
}

void ZCChooseDeviceAccessDialog::ShowOptions(
    std::optional<std::pair<std::uint16_t, std::uint16_t>> previous) {
    const ZKAccessRows rows = ZKAccessOptions::BuildRows(chooser_.Server(), chooser_.Options(), caller_,
                                                         threshold_, chooser_.Filter(), previous);
    ClearChoices();
    for (const ZKAccessRow& row : rows.rows) {
        std::optional<ZKRGB> colour;
        if (row.colourSlot != 0) colour = ZKGDI::Colour({}, row.colourSlot);
        AddChoice({row.text, static_cast<std::intptr_t>(row.option), row.enabled, colour});
    }
    anyChoosable_ = rows.okEnabled;
    SetPreferredChoice(rows.selected);
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> ZCChooseDeviceAccessDialog::CurrentPair() const {
    const int choice = ChoiceOfRow(Rows().Current());
    if (choice < 0) return std::nullopt;
    const auto option = static_cast<std::size_t>(Choices()[static_cast<std::size_t>(choice)].value);
    const ZKAccessOption& o = chooser_.Options()[option];
    return std::pair{o.rootId, o.secondaryId};
}

void ZCChooseDeviceAccessDialog::FillAgain() {
    const auto previous = CurrentPair();
    if (chooser_.Search(threshold_, Window()).empty()) {
        ShowOptions(previous);
    } else {
        ClearChoices();
        anyChoosable_ = false;
    }
    Refill();
}

bool ZCChooseDeviceAccessDialog::ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam,
                                                      zk::LPARAM lParam, zk::LRESULT& result) {
    if (message == zk::WM_CHAR && (wParam == 'r' || wParam == 'R')) {
        rescan_.Press();
        return true;
    }
    return ZKChooseAccessDialogBase::ProcessWindowMessage(hwnd, message, wParam, lParam, result);
}

void ZCChooseDeviceAccessDialog::OnControlNotify(ZKControl& control) {
    if (&control == &rescan_)
        FillAgain();
    else
        ZKChooseAccessDialogBase::OnControlNotify(control);
}

void ZCChooseDeviceAccessDialog::OnSecurity() {
    const auto pair = CurrentPair();
    const ZKServer& server = chooser_.Server();
    if (!pair || !server.VersionAtLeast(1, 7, 0)) return;
    server.SelectIdentity(pair->first, pair->second);
    zk::ShowWindow(Window(), zk::SW_SHOW);
    zk::SetActiveWindow(Window());
    zk::SetForegroundWindow(Window());
    FillAgain();
}

bool ZCChooseDeviceAccessDialog::OkEnabledFor(int row) const {
    return anyChoosable_ && ZKChooseAccessDialogBase::OkEnabledFor(row);
}
