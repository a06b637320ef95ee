// The error state tree over a device of the in-process fakes and the device test profile: groups One
// (sources 1..20; Short bit 0, the "error present" cause bit 1) and Two (sources 21..30; Short bit 0).
#include "Gui/dialog/ZKErrorTree.h"

#include <gtest/gtest.h>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevice.h"
#include "Common/device/ZKServer.h"
#include "Gui/dialog/ZKErrorItem.h"
#include "support/DeviceTestProfile.h"
#include "support/FakeZKServer.h"

namespace {

using Op = FakeZKDevice::Op;
using Result = ZKErrorTree::Result;

// One line as "text/slot/flags" with its children in brackets.
std::string Describe(const ZKTreeItem& item) {
    const auto& error = static_cast<const ZKErrorItem&>(item);
    std::string out =
        error.Text() + "/" + std::to_string(error.ColourSlot()) + "/" + std::to_string(error.Flags());
    if (item.Children().empty()) return out;
    out += " [";
    for (const auto& child : item.Children())
        out += Describe(*child) + (child == item.Children().back() ? "" : ", ");
    return out + "]";
}

class ErrorTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(zktest::ParseDeviceProfile(profile));
        entry.address1 = 1;
        entry.identity.boxState = ZKDevice::kBoxStateMainCode;
        server.AddDevice(1, 0, 0, fake);
        device = ZKDevice::Open(zkServer, entry, &profile, 1, ZKDeviceAccess{});
        ASSERT_TRUE(device);
    }
    void SetError(std::uint16_t id, std::uint32_t active, std::uint32_t stored, std::uint32_t count = 0) {
        fake.SetErrorState(id, {active, stored, count});
    }

    ZKTimerServer timers;
    FakeZKServer server;
    FakeZKDevice fake;
    ZKServer zkServer{[this] { return std::make_unique<FakeZKServer>(server); }};
    ZKDeviceListEntry entry;
    ZPProfile profile;
    std::unique_ptr<ZKDevice> device;
    ZKTreeItems items;
};

TEST_F(ErrorTreeTest, GroupsSourcesAndCausesAreNamedAndColouredBySeverity) {
    SetError(2, 0x1, 0, 3);   // active Short, counted three times
    SetError(3, 0x3, 0x1);    // the "error present" cause active: the source is left out
    SetError(5, 0, 0x1);      // stored Short
    SetError(6, 0, 0x2);      // only the "error present" cause stored: nothing to show
    SetError(22, 0x80, 0x1);  // bit 7 has no cause in group Two
    ASSERT_EQ(Result::Built, ZKErrorTree::Build(device.get(), profile, items));
    EXPECT_EQ(2, fake.Calls(Op::ReadErrorStates)) << "30 sources: 25, then 5";
    ASSERT_EQ(2u, items.size());

    // Group One: red after its worst source; 19 sources (3 is left out); opened where something is stored.
    const ZKTreeItem& one = *items[0];
    EXPECT_EQ("One", one.Text());
    EXPECT_EQ(38, static_cast<const ZKErrorItem&>(one).ColourSlot());
    EXPECT_EQ(ZKTreeItem::kHasBox | ZKTreeItem::kOpen, one.Flags());
    ASSERT_EQ(19u, one.Children().size());
    EXPECT_EQ("Source 1/35/0", Describe(*one.Children()[0]));
    EXPECT_EQ("Source 2 (3)/38/3 [Short/38/0]", Describe(*one.Children()[1]));
    EXPECT_EQ("Source 4/35/0", Describe(*one.Children()[2]));
    EXPECT_EQ("Source 5/37/3 [Short/37/0]", Describe(*one.Children()[3]));
    EXPECT_EQ("Source 6/35/0", Describe(*one.Children()[4]));

    // Group Two: an active bit beyond its causes makes the source red, and so the group.
    const ZKTreeItem& two = *items[1];
    EXPECT_EQ("Source 22/38/3 [Short/37/0, Unknown Cause bit7/38/0]", Describe(*two.Children()[1]));
    EXPECT_EQ(38, static_cast<const ZKErrorItem&>(two).ColourSlot());

    // Stored only: the group turns yellow; a red source elsewhere does not change it.
    SetError(22, 0, 0x80);
    ASSERT_EQ(Result::Built, ZKErrorTree::Build(device.get(), profile, items));
    EXPECT_EQ("Source 22/37/3 [Unknown Cause bit7/37/0]", Describe(*items[1]->Children()[1]));
    EXPECT_EQ(37, static_cast<const ZKErrorItem&>(*items[1]).ColourSlot());
    EXPECT_EQ(38, static_cast<const ZKErrorItem&>(*items[0]).ColourSlot());

    // Nothing left: green groups, branches still, but closed.
    for (const std::uint16_t id : {2, 5, 22})
        SetError(id, 0, 0);
    ASSERT_EQ(Result::Built, ZKErrorTree::Build(device.get(), profile, items));
    EXPECT_EQ("One/35/1 [", Describe(*items[0]).substr(0, 10));
    EXPECT_EQ("Two/35/1 [", Describe(*items[1]).substr(0, 10));
}

}  // namespace
