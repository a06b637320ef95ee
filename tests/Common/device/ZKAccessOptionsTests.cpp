#include "Common/device/ZKAccessOptions.h"

#include <gtest/gtest.h>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKServer.h"
#include "support/FakeZKServer.h"

namespace {

using Codes = std::array<std::uint16_t, ZKDeviceAccess::kAreaCount>;

Codes All(std::uint16_t code) {
    Codes codes;
    codes.fill(code);
    return codes;
}

class ZKAccessOptionsTest : public ::testing::Test {
protected:
    ZKTimerServer timers_;
    FakeZKServer fake_;
    ZKDeviceListEntry entry_;

    ZKServer Server() {
        const FakeZKServer fake = fake_;
        return ZKServer([fake] { return std::make_unique<FakeZKServer>(fake); });
    }
    std::vector<ZKAccessOption> Build(std::uint16_t threshold = 0) {
        std::vector<ZKAccessOption> options;
        ZKServer server = Server();
        ZKAccessOptions::Build(server, entry_, threshold, options);
        return options;
    }
};

TEST_F(ZKAccessOptionsTest, ADeviceWithoutRootIdGivesOneOptionWithNoRootIdEverywhere) {
    entry_.identity.boxState = 10000;
    const auto options = Build();
    ASSERT_EQ(1u, options.size());
    EXPECT_EQ((ZKAccessOption{&entry_, 0, 0, All(ZKAccessOption::kNoRootId)}), options[0]);
    // Above threshold 0 a device without root id has nothing to offer.
    EXPECT_TRUE(Build(1).empty());
}

TEST_F(ZKAccessOptionsTest, AnEmptyAccessListMeansNoIdentityFileFromBoxState801) {
    entry_.identity.rootId = 4660;
    entry_.identity.boxState = 800;
    EXPECT_TRUE(Build().empty());
    entry_.identity.boxState = 801;
    const auto options = Build();
    ASSERT_EQ(1u, options.size());
    EXPECT_EQ((ZKAccessOption{&entry_, 4660, 0, All(ZKAccessOption::kNoIdentityFile)}), options[0]);
}

TEST_F(ZKAccessOptionsTest, AnswersFoldPerIdentityPairTakingTheSmallestCodePerArea) {
    entry_.identity.rootId = 4660;
    entry_.identity.boxState = 10000;
    entry_.identity.extraRootIds[0] = 4660;
    entry_.identity.extraUserIds[0] = 21;
    // Area 10 of the main pair grants root access twice, once with a worse code; area 3 names the user.
    fake_.SetAccessList({4660, 0, 0, 0, 10}, {4660, 0, 7, 4660, 0, 0});
    fake_.SetAccessList({4660, 0, 0, 0, 3}, {4660, 21, 0});
    const auto options = Build();
    ASSERT_EQ(3u, options.size());
    Codes root = All(ZKAccessOption::kNoIdentityFile);
    root[10] = 0;
    root[3] = ZKDeviceAccess::kDefaultCode;  // the server answered area 3 for the user pair only
    EXPECT_EQ((ZKAccessOption{&entry_, 4660, 0, root}), options[0]);
    Codes user = All(ZKDeviceAccess::kDefaultCode);
    user[3] = 0;
    EXPECT_EQ((ZKAccessOption{&entry_, 4660, 21, user}), options[1]);
    // The extra identity's lists are empty: from box state 901 that names (root id, extra root id).
    EXPECT_EQ((ZKAccessOption{&entry_, 4660, 4660, All(ZKAccessOption::kNoIdentityFile)}), options[2]);

    entry_.identity.boxState = 900;
    EXPECT_EQ(2u, Build().size());
}

TEST_F(ZKAccessOptionsTest, BelowTheThresholdTheServerIsNotAskedAndTheAreasStayUnstated) {
    entry_.identity.rootId = 4660;
    entry_.identity.boxState = 1000;
    fake_.SetAccessList({4660, 0, 0, 0, 10}, {4660, 0, 0});
    const auto options = Build(5000);
    ASSERT_EQ(1u, options.size());
    // "Box state too low" (10001) is above the starting code 3000, which the fold keeps.
    EXPECT_EQ(All(ZKDeviceAccess::kDefaultCode), options[0].codes);
    ZKDeviceAccess caller;
    caller.required[2] = 1;
    const ZKDeviceAccess access = options[0].Access(caller);
    EXPECT_EQ(4660, access.rootId);
    EXPECT_EQ(options[0].codes, access.codes);
    EXPECT_EQ(1u, access.required[2]);
}

TEST_F(ZKAccessOptionsTest, RowsNameTheDeviceAndSayWhyAnOptionCannotBeUsed) {
    ZKDeviceListEntry pdu;
    pdu.identity.typeName = "PDU-16";
    pdu.identity.serialNumber = 77;
    pdu.identity.mainMajor = 2;
    pdu.identity.mainMinor = 12;
    pdu.identity.mainBuild = 40;
    pdu.identity.boxState = 10000;
    pdu.description = "Power distribution unit";
    ZKDeviceListEntry ecu = pdu;
    ecu.identity.typeName = "ECU-M4";
    ecu.identity.serialNumber = 1201;
    ecu.identity.rootId = 4660;
    ecu.identity.boxState = 801;
    ecu.identity.extraRootIds[0] = 4660;
    ecu.identity.extraUserIds[0] = 21;
    fake_.SetIdentityName(4660, 21, "Calibration");
    fake_.SetAccessList({4660, 0, 0, 0, 10}, {4660, 21, 0});
    fake_.SetErrorText(1002, "no identity file");
    ZKServer server = Server();
    std::vector<ZKAccessOption> options;
    ZKAccessOptions::Build(server, pdu, 0, options);
    ZKAccessOptions::Build(server, ecu, 0, options);
    ASSERT_EQ(3u, options.size());  // PDU (0, 0); ECU (4660, 0) and (4660, 21)

    ZKDeviceAccess caller;
    caller.wanted[4] = 1;  // Calibration
    const ZKAccessRows rows = ZKAccessOptions::BuildRows(server, options, caller, 0, {}, std::nullopt);
    const std::vector<ZKAccessRow> expected = {
        {"ECU-M4#1201 2-12-40 Calibration : Calibration - Error 3000", 37, true, 2},
        {"ECU-M4#1201 2-12-40 Power distribution unit : No Identity File", 0, false, 1},
        {"PDU-16#0077 2-12-40 Power distribution unit", 0, true, 0},
    };
    EXPECT_EQ(expected, rows.rows);
    EXPECT_TRUE(rows.okEnabled);
    EXPECT_EQ(2, rows.selected);  // all options score 0: the first, the PDU, is the best

    // The filter keeps other types visible but disabled; the previous choice is selected again.
    const ZKAccessRows filtered =
        ZKAccessOptions::BuildRows(server, options, caller, 0, {"PDU-16"}, std::make_pair(0, 0));
    EXPECT_EQ("{Filtered} ECU-M4#1201 2-12-40 Calibration : Calibration - Error 3000", filtered.rows[1].text);
    EXPECT_FALSE(filtered.rows[1].enabled);
    EXPECT_EQ(0, filtered.selected);

    // Above the device's box state every row says so.
    const ZKAccessRows high = ZKAccessOptions::BuildRows(server, options, caller, 20000, {}, std::nullopt);
    EXPECT_EQ("ECU-M4#1201 2-12-40 Calibration : BOXSTATE - Unknown(801)", high.rows[0].text);
    EXPECT_FALSE(high.okEnabled);
}

TEST(ZKAccessOptionsBest, RequiredAreasWeighMoreThanWantedOnes) {
    ZKDeviceAccess caller;
    caller.required[1] = 1;
    caller.wanted[2] = caller.wanted[3] = 1;
    ZKAccessOption none{nullptr, 1, 0, All(5)};
    ZKAccessOption wanted = none;
    wanted.codes[2] = wanted.codes[3] = 0;
    ZKAccessOption required = none;
    required.codes[1] = 0;
    EXPECT_EQ(std::nullopt, ZKAccessOptions::BestOption({none, wanted}, caller));
    EXPECT_EQ(1u, ZKAccessOptions::BestOption({none, required, required}, caller));
    required.codes[3] = 0;
    EXPECT_EQ(2u, ZKAccessOptions::BestOption({none, wanted, required}, caller));
}

}  // namespace
