// The device type filter dialog: how the boxes start from a filter, the enable box governing the type
// boxes, and the filter OK gives back.
#include "ZelkMsg/ZCDevFilterOptionsDialog.h"

#include <set>

#include "Gui/DialogTestSupport.h"
#include "Platform/Input.h"

namespace {

using zktest::GuiWindowTest;
using Filter = std::vector<std::string>;

class DevFilterOptionsDialogTest : public GuiWindowTest {
protected:
    zktest::StandInOwner owner;

    // Runs the dialog; `step` runs inside it, and the dialog ends with the key it returns.
    int Run(ZCDevFilterOptionsDialog& dialog, std::function<int()> step) {
        owner.Later([&dialog, step] {
            const int key = step();
            zk::input::KeyPress(key, key == zk::VK_RETURN ? '\r' : 0x1B);
        });
        return dialog.DoModal();
    }
    static std::size_t IndexOf(const std::string& type) {
        const auto& types = ZCDevFilterOptionsDialog::kDeviceTypes;
        return static_cast<std::size_t>(std::find(types.begin(), types.end(), type) - types.begin());
    }
};

TEST(ZCDevFilterOptionsDialogTable, ThirtyTwoDistinctTypesWithTheDemoDevices) {
    const auto& types = ZCDevFilterOptionsDialog::kDeviceTypes;
    const std::set<std::string> distinct(types.begin(), types.end());
    EXPECT_EQ(32u, distinct.size());
    for (const char* demo : {"ECU-M4", "PDU-16", "LOG-2"})
        EXPECT_EQ(1u, distinct.count(demo)) << demo;
}

TEST_F(DevFilterOptionsDialogTest, WithoutAFilterEveryTypeIsTickedButLockedUntilEnabled) {
    ZCDevFilterOptionsDialog dialog(owner.MainWindow(), {});
    std::vector<bool> before;
    EXPECT_EQ(1, Run(dialog, [&] {
                  EXPECT_FALSE(dialog.EnableBox().Ticked());
                  for (std::size_t i = 0; i < ZCDevFilterOptionsDialog::kTypeCount; ++i) {
                      EXPECT_TRUE(dialog.TypeBox(i).Ticked());
                      EXPECT_FALSE(dialog.TypeBox(i).Enabled());
                  }
                  dialog.EnableBox().Press();
                  zk::PumpPendingMessages();
                  EXPECT_TRUE(dialog.TypeBox(0).Enabled()) << "enabling the filter unlocks the types";
                  // Keep only the demo's logger and ECU.
                  for (std::size_t i = 0; i < ZCDevFilterOptionsDialog::kTypeCount; ++i)
                      if (i != IndexOf("LOG-2") && i != IndexOf("ECU-M4")) dialog.TypeBox(i).Press();
                  return zk::VK_RETURN;
              }));
    EXPECT_EQ((Filter{"ECU-M4", "LOG-2"}), dialog.Filter()) << "in table order";
}

TEST_F(DevFilterOptionsDialogTest, AFilterTicksItsTypesAndDisablingItEmptiesTheFilter) {
    ZCDevFilterOptionsDialog dialog(owner.MainWindow(), {"PDU-16"});
    EXPECT_EQ(1, Run(dialog, [&] {
                  EXPECT_TRUE(dialog.EnableBox().Ticked());
                  EXPECT_TRUE(dialog.TypeBox(IndexOf("PDU-16")).Ticked());
                  EXPECT_FALSE(dialog.TypeBox(IndexOf("ECU-M4")).Ticked());
                  EXPECT_TRUE(dialog.TypeBox(IndexOf("ECU-M4")).Enabled());
                  EXPECT_EQ((Filter{"PDU-16"}), dialog.Filter());
                  zk::input::KeyPress(zk::VK_SPACE, ' ');  // the enable box has the focus
                  zk::PumpPendingMessages();
                  EXPECT_FALSE(dialog.TypeBox(IndexOf("PDU-16")).Enabled());
                  return zk::VK_RETURN;
              }));
    EXPECT_TRUE(dialog.Filter().empty());

    ZCDevFilterOptionsDialog cancelled(owner.MainWindow(), {"PDU-16"});
    EXPECT_EQ(0, Run(cancelled, [] { return zk::VK_ESCAPE; }));
}

}  // namespace
