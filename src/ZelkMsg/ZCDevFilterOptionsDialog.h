#pragma once
// The device type filter of the device chooser: "Enable Device Filter" and one check box per device type of
// the maker's model table, with "OK" (Enter) and "Cancel" (Escape).
//
//   +------------------------------------------------------+
//   |  [x] Enable Device Filter                            |
//   |     [x] ECU-M1   [ ] PDU-4    [ ] LOG-1    [ ] KEY-16 |
//   |     [x] ECU-M2   [ ] PDU-8    [ ] LOG-2    [ ] GW-CAN |
//   |      ...          ...          ...          ...       |
//   |                 [ OK ]  [Cancel]                      |
//   +------------------------------------------------------+
//
// On opening the enable box is checked when the filter is not empty, and a type box when the filter is
// empty or names its type; the type boxes can be changed only while the enable box is checked. OK with the
// enable box checked makes the filter the checked types in table order; OK without it empties the filter.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Gui/ZKButton.h"
#include "Gui/ZKCheckBox.h"
#include "Gui/ZKControlsDialog.h"

class ZCDevFilterOptionsDialog final : public ZKControlsDialog {
public:
    static constexpr std::size_t kTypeCount = 32;
    // The maker's device models, in the order the dialog offers them (eight to a column).
    static constexpr std::array<const char*, kTypeCount> kDeviceTypes = {
        "ECU-M1", "ECU-M2", "ECU-M3", "ECU-M4", "ECU-M5", "ECU-M6", "ECU-S1", "ECU-S2",
        "PDU-4",  "PDU-8",  "PDU-12", "PDU-16", "PDU-24", "PDU-32", "PDU-M",  "PDU-S",
        "LOG-1",  "LOG-2",  "LOG-3",  "LOG-S",  "DSP-1",  "DSP-2",  "DSP-W",  "KEY-8",
        "KEY-16", "GW-CAN", "GW-ETH", "IO-8",   "IO-16",  "SENS-T", "SENS-P", "TEL-1"};
    static constexpr const char* kEnableText = "Enable Device Filter";
    static constexpr int kMargin = 10;
    static constexpr int kRowsPerColumn = 8;

    ZCDevFilterOptionsDialog(zk::HWND owner, std::vector<std::string> filter);

    // The filter as the boxes give it; the caller takes it over only when DoModal returned 1 (OK).
    std::vector<std::string> Filter() const;

    ZKCheckBox& EnableBox() { return enable_; }
    ZKCheckBox& TypeBox(std::size_t index) { return *types_[index]; }

protected:
    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void OnControlNotify(ZKControl& control) override;
    bool OnKeyDown(int vk) override;

private:
    void OnCreate(zk::HWND hwnd);
    void EnableTypes(bool enabled);

    std::vector<std::string> filter_;
    ZKCheckBox enable_{kEnableText, 0, this, 1};
    std::vector<std::unique_ptr<ZKCheckBox>> types_;
    ZKButton ok_{"OK", 0, 2};
    ZKButton cancel_{"Cancel", 0, 3};
};
