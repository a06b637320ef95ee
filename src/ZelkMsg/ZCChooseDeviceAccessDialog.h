#pragma once
// The device chooser's dialog: one row per access option of the devices found, titled "How do you wish to
// access this device", with the buttons OK, Cancel, Rescan and Security in one row, centred, 10 pixels
// above the bottom edge.
//
// Rescan (also typing R in either case) searches again under the please-wait box and rebuilds the rows; the
// row of the identity that was current before comes back as the current row. Security (servers 1.7 or
// later, with a row current) asks the server to select the identity of that row, brings the dialog to the
// front and rebuilds the rows the same way. A failed search leaves the list empty with OK disabled; OK is
// enabled only while some row can be chosen.

#include <cstdint>
#include <optional>
#include <utility>

#include "Common/device/ZKDeviceAccess.h"
#include "Gui/ZKChooseAccessDialogBase.h"

class ZMsgDeviceChooser;

class ZCChooseDeviceAccessDialog final : public ZKChooseAccessDialogBase {
public:
    static constexpr zk::UINT kRescanId = 5;

    // Rows from the chooser's current options; `chooser` must outlive the dialog.
    ZCChooseDeviceAccessDialog(zk::HWND owner, ZMsgDeviceChooser& chooser, std::uint16_t threshold,
                               const ZKDeviceAccess& caller);

    // After DoModal returned 1: the index of the chosen option among the chooser's options.
    std::size_t ChosenOption() const { return static_cast<std::size_t>(ChosenValue()); }
    ZKButton& RescanButton() { return rescan_; }
    // Searches again and rebuilds the rows (Rescan, Security).
    void FillAgain();

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;

protected:
    void OnControlNotify(ZKControl& control) override;
    void OnSecurity() override;
    bool OkEnabledFor(int row) const override;

private:
    // Takes the chooser's options as the choices, the row of `previous` (root id, secondary id) preferred.
    void ShowOptions(std::optional<std::pair<std::uint16_t, std::uint16_t>> previous);
    // The identity pair of the current row's option, if it shows one.
    std::optional<std::pair<std::uint16_t, std::uint16_t>> CurrentPair() const;

    ZMsgDeviceChooser& chooser_;
    std::uint16_t threshold_;
    ZKDeviceAccess caller_;
    bool anyChoosable_ = false;
    ZKButton rescan_{"Rescan", 'R', kRescanId};
};
