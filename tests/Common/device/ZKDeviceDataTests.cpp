// ZKDevice's data operations and owner setters over the in-process fakes.
#include <gtest/gtest.h>

#include <numeric>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKDevice.h"
#include "Common/device/ZKNetCodes.h"
#include "Common/device/ZKServer.h"
#include "Common/device/ZKUserPrompt.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPProfile.h"
#include "Platform/ZKAssert.h"
#include "support/DeviceTestProfile.h"
#include "support/FakeZKServer.h"

namespace {

using Op = FakeZKDevice::Op;
using Texts = std::vector<std::string>;

constexpr std::uint32_t kKey = 77;

// Records what the device layer shows and asks; answers every question with `yes`.
struct RecordingPrompt final : ZKUserPrompt {
    RecordingPrompt() { Install(this); }
    ~RecordingPrompt() override { Install(nullptr); }
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        asked.push_back(text);
        return yes;
    }
    Texts shown;
    Texts asked;
    bool yes = false;
};

class ZKDeviceDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(zktest::ParseDeviceProfile(profile_));
        entry_.address1 = 1;
        entry_.identity.lastProgramTime = kKey;
        entry_.identity.boxState = ZKDevice::kBoxStateMainCode;
        server_.AddDevice(1, 0, 0, fake_);
    }
    std::unique_ptr<ZKServer> Connect() {
        return std::make_unique<ZKServer>([this] { return std::make_unique<FakeZKServer>(server_); });
    }
    // A new server of another version, as after a restart: devices opened through the old one must be gone.
    void Reconnect(std::uint16_t major, std::uint16_t minor) {
        server_.SetVersion(major, minor);
        zkServer_ = Connect();
    }
    std::unique_ptr<ZKDevice> Open(const ZPProfile* profile) {
        return ZKDevice::Open(*zkServer_, entry_, profile, 1, ZKDeviceAccess{}, hooks_);
    }
    // Sets the state of error source `id` (a source of the profile: 1..30).
    void SetError(std::uint16_t id, std::uint32_t active, std::uint32_t stored) {
        fake_.SetErrorState(id, {active, stored, 0});
    }
    std::uint32_t Summary(ZKDevice& device, bool expectOk = true) {
        std::uint32_t code = 0;
        EXPECT_EQ(expectOk, device.ErrorSummary(code));
        return code;
    }

    ZKTimerServer timers_;
    FakeZKServer server_;
    FakeZKDevice fake_;
    std::unique_ptr<ZKServer> zkServer_ = Connect();
    ZKDeviceListEntry entry_;
    ZPProfile profile_;
    ZKDevice::Hooks hooks_;
};

}  // namespace

TEST_F(ZKDeviceDataTest, ErrorStatesAreReadOnlyConnectedInMainCodeAndClearedOnlyConnected) {
    auto device = Open(&profile_);
    SetError(3, 0x5, 0x4);
    std::vector<ZKErrorState> states;
    ASSERT_TRUE(device->ReadErrorStates({3, 4}, states));
    EXPECT_EQ((std::vector<ZKErrorState>{{0x5, 0x4, 0}, {0, 0, 0}}), states);
    EXPECT_EQ(kKey, fake_.LastKey());
    EXPECT_TRUE(device->ClearErrors());
    EXPECT_EQ(1, fake_.Calls(Op::ClearErrors));

    // Another box state refuses without asking the device.
    ZKDeviceIdentity booting = entry_.identity;
    booting.boxState = 9000;
    device->SetIdentity(booting);
    EXPECT_FALSE(device->ReadErrorStates({3}, states));
    EXPECT_EQ(1, fake_.Calls(Op::ReadErrorStates));
    device->SetIdentity(entry_.identity);
    const unsigned long reports = zk::AssertReportCount();
    EXPECT_FALSE(device->ReadErrorStates(std::vector<std::uint16_t>(26, 1), states));
    EXPECT_EQ(reports + 1, zk::AssertReportCount());

    // A failed call drops the link; then neither operation asks the device.
    fake_.SetAnswer(Op::ReadErrorStates, zknet::kS_OK, 5);
    EXPECT_FALSE(device->ReadErrorStates({3}, states));
    EXPECT_FALSE(device->IsConnected());
    EXPECT_FALSE(device->ReadErrorStates({3}, states));
    EXPECT_FALSE(device->ClearErrors());
    EXPECT_EQ(2, fake_.Calls(Op::ReadErrorStates));
    EXPECT_EQ(1, fake_.Calls(Op::ClearErrors));
}

TEST_F(ZKDeviceDataTest, ErrorSummaryIsNoErrorStoredOrActiveInBatchesOfTwentyFive) {
    auto device = Open(&profile_);
    EXPECT_EQ(ZKDevice::kSummaryNoError, Summary(*device));
    EXPECT_EQ(2, fake_.Calls(Op::ReadErrorStates));  // 25 + 5 sources

    // The "error present" bit alone (bit 1 in group One) is no error, neither stored nor active, and while
    // it is active the source's other bits are not looked at.
    SetError(4, 0x2, 0x2);
    EXPECT_EQ(ZKDevice::kSummaryNoError, Summary(*device));
    SetError(4, 0x3, 0x1);
    EXPECT_EQ(ZKDevice::kSummaryNoError, Summary(*device));
    // Group Two has no such cause: every bit counts.
    SetError(4, 0, 0);
    SetError(25, 0, 0x2);
    EXPECT_EQ(ZKDevice::kSummaryStoredErrors, Summary(*device));
    SetError(30, 0x1, 0);  // active after a stored one
    EXPECT_EQ(ZKDevice::kSummaryActiveErrors, Summary(*device));
    SetError(30, 0, 0);
    SetError(1, 0x1, 0);  // active before a stored one
    EXPECT_EQ(ZKDevice::kSummaryActiveErrors, Summary(*device));

    // A failed batch is an active error and a failure.
    fake_.SetAnswer(Op::ReadErrorStates, zknet::kE_FAIL);
    EXPECT_EQ(ZKDevice::kSummaryActiveErrors, Summary(*device, false));

    // Without error databases the code is left alone.
    ZPProfile bare;
    auto plain = Open(&bare);
    std::uint32_t code = 12;
    EXPECT_TRUE(plain->ErrorSummary(code));
    EXPECT_EQ(12u, code);
}

TEST_F(ZKDeviceDataTest, FeaturesAreMergedAndEachFailureIsNamed) {
    IZKDevice::Features features{};
    features[0] = 7;
    features[3] = 2;
    features[5] = 7;
    fake_.SetFeatures(features);
    auto device = Open(&profile_);
    std::vector<std::uint16_t> set{2, 9};
    ASSERT_TRUE(device->ReadFeatures(set));
    EXPECT_EQ((std::vector<std::uint16_t>{2, 9, 7}), set);

    std::string why;
    fake_.SetAnswer(Op::GetFeatures, zknet::kS_OK, 3);
    EXPECT_FALSE(device->ReadFeatures(set, &why));
    EXPECT_EQ("bad return", why);
    EXPECT_FALSE(device->ReadFeatures(set, &why));
    EXPECT_EQ("not connected", why);
    fake_.SetAnswer(Op::GetFeatures, zknet::kE_NOTIMPL);
    ASSERT_TRUE(device->RefreshIdentity());
    EXPECT_FALSE(device->ReadFeatures(set, &why));
    EXPECT_EQ("getFeatures not supported", why);
    device.reset();
    Reconnect(1, 2);
    device = Open(&profile_);
    ASSERT_TRUE(device->RefreshIdentity());
    EXPECT_FALSE(device->ReadFeatures(set, &why));
    EXPECT_EQ("wrong server version", why);
    EXPECT_EQ((std::vector<std::uint16_t>{2, 9, 7}), set);
}

TEST_F(ZKDeviceDataTest, ItemRightsComeFromTheDeviceFromServerTwoPointFourOn) {
    fake_.SetItemRights({0x03, 0x05});
    auto device = Open(&profile_);
    device->MarkInSync(ZKItemTable::Rebuild);
    std::uint8_t rights = 0;
    ASSERT_TRUE(device->ReadItemRights(0x80, rights));  // second in the profile's list
    EXPECT_EQ(0x05, rights);
    EXPECT_FALSE(device->ReadItemRights(0x99, rights));
    EXPECT_EQ(1, fake_.Calls(Op::ReadItemRights));

    device.reset();
    Reconnect(2, 3);
    device = Open(&profile_);
    device->MarkInSync(ZKItemTable::Rebuild);
    ASSERT_TRUE(device->ReadItemRights(0x99, rights));
    EXPECT_EQ(ZKDevice::kAllRights, rights);
    EXPECT_EQ(1, fake_.Calls(Op::ReadItemRights));

    // A profile without item rights: every item has them all.
    device.reset();
    Reconnect(2, 15);
    ZPProfile bare;
    auto plain = Open(&bare);
    ASSERT_TRUE(plain->ReadItemRights(0x80, rights));
    EXPECT_EQ(ZKDevice::kAllRights, rights);
    EXPECT_EQ(1, fake_.Calls(Op::ReadItemRights));
}

TEST_F(ZKDeviceDataTest, TheRenamingCalibrationIsReadInPiecesOfAtMost512Bytes) {
    std::vector<std::uint8_t> calibration(1300);
    std::iota(calibration.begin(), calibration.end(), std::uint8_t{0});
    fake_.SetCalibration(1, calibration);
    std::vector<std::uint8_t> applied;
    hooks_.applyRenaming = [&](std::span<const std::uint8_t> bytes) {
        applied.assign(bytes.begin(), bytes.end());
    };
    auto device = Open(&profile_);
    std::vector<std::uint8_t> renaming;
    ASSERT_TRUE(device->ReadRenamingCalibration(&renaming, nullptr));
    EXPECT_EQ(calibration, renaming);
    EXPECT_EQ(calibration, applied);
    using Read = FakeZKDevice::CalibrationRead;
    EXPECT_EQ((std::vector<Read>{{1, 0, 512}, {1, 512, 512}, {1, 1024, 276}}), fake_.CalibrationReads());

    // A short piece, a result code and a failed call each end the read with their reason.
    std::string why;
    fake_.SetCalibration(1, std::vector<std::uint8_t>(1000, 1));
    EXPECT_FALSE(device->ReadRenamingCalibration(nullptr, nullptr, &why));
    EXPECT_EQ("bad size returned", why);
    EXPECT_TRUE(device->IsConnected());
    fake_.SetAnswer(Op::ReadCalibration, zknet::kS_OK, 46);
    EXPECT_FALSE(device->ReadRenamingCalibration(nullptr, nullptr, &why));
    EXPECT_EQ("bad nRes", why);
    EXPECT_FALSE(device->IsConnected());
    fake_.SetAnswer(Op::ReadCalibration, zknet::kE_FAIL);
    EXPECT_FALSE(device->ReadRenamingCalibration(nullptr, nullptr, &why));
    EXPECT_EQ("bad hResult", why);

    // Without a renaming region there is nothing to read.
    ZPProfile bare;
    const std::size_t reads = fake_.CalibrationReads().size();
    EXPECT_TRUE(Open(&bare)->ReadRenamingCalibration(&renaming, nullptr));
    EXPECT_EQ(reads, fake_.CalibrationReads().size());
}

TEST_F(ZKDeviceDataTest, TheStoredProfileIsTheRawImageWhenItsHeaderNamesTheDevicesCode) {
    ZPImageIdentity id;
    id.startAddress = 0x40;
    id.typeName = "ECU";
    id.codeBranch = 3;
    id.codeVersion = 1;
    id.codeRevision = 7;
    std::vector<std::uint8_t> image = id.BuildImage(std::vector<std::uint8_t>(100, 0xAB));
    std::vector<std::uint8_t> store = image;
    store.resize(image.size() + 16, 0xEE);  // more store after the image
    fake_.SetStore(store);
    ZKProfileLocation location;
    location.size = static_cast<std::uint32_t>(image.size());
    fake_.SetProfileLocation(location);
    entry_.identity.typeName = "ECU";
    entry_.identity.mainMajor = 3;
    entry_.identity.mainMinor = 1;
    entry_.identity.mainBuild = 7;
    RecordingPrompt prompt;
    auto device = Open(&profile_);

    std::vector<std::uint8_t> read;
    ASSERT_TRUE(device->GetStoredProfile(read, true));
    EXPECT_EQ(image, read);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(prompt.asked.empty());

    // Another main code: the firmware warning, then (may download) the question; No ends it.
    ZKDeviceIdentity newer = entry_.identity;
    newer.mainBuild = 8;
    device->SetIdentity(newer);
    EXPECT_FALSE(device->GetStoredProfile(read, false));
    EXPECT_TRUE(read.empty());
    ASSERT_EQ(1u, prompt.shown.size());
    EXPECT_EQ(0u, prompt.shown[0].find("Your PC may be able to calibrate this ECU,\nbut it is incorrectly"));
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_FALSE(device->GetStoredProfile(read, true));
    ASSERT_EQ(1u, prompt.asked.size());
    EXPECT_EQ(
        "A small update (<1MB) is required from the internet in order to use this device/data\n"
        "Do you wish to download this update?\n",
        prompt.asked[0]);
    // Yes: there is no download service, and the user is told which update could not be had.
    prompt.yes = true;
    EXPECT_FALSE(device->GetStoredProfile(read, true));
    EXPECT_EQ(
        "The required update could not be downloaded (ECU.3.1.8.ZKP)\n"
        "Please check your internet connection and try again",
        prompt.shown.back());

    // An image for every code version is taken as it is.
    store[62] = 1;
    fake_.SetStore(store);
    prompt.shown.clear();
    ASSERT_TRUE(device->GetStoredProfile(read, true));
    EXPECT_EQ(image.size(), read.size());
    EXPECT_TRUE(prompt.shown.empty());

    // A bad header: no warning; without a prompt the question is answered No.
    ZKUserPrompt::Install(nullptr);
    store[0] = 0;
    fake_.SetStore(store);
    EXPECT_FALSE(device->GetStoredProfile(read, true));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ZKDeviceDataTest, OwnerSettersRefreshInPlaceAndTheItemTableComesFromTheProfile) {
    auto device = Open(&profile_);
    EXPECT_EQ(1, device->ProfileRevision());
    EXPECT_EQ(0, Open(nullptr)->ProfileRevision());

    ZKDeviceIdentity identity = entry_.identity;
    identity.serialNumber = 1234;
    identity.lastProgramTime = 99;
    device->SetIdentity(identity);
    EXPECT_EQ(identity, device->Identity());
    EXPECT_EQ(identity, device->Entry().identity);
    EXPECT_EQ(99u, device->Key());
    device->SetKey(100);
    EXPECT_EQ(100u, device->Key());
    EXPECT_EQ(100u, device->Identity().lastProgramTime);
    ZKProfileLocation location;
    location.address = 0x800;
    location.headerWord = 4;
    device->SetProfileLocation(location);
    EXPECT_EQ(location, device->ProfileLocation());

    // Marking in sync with a rebuild fills the item table from the profile's ITEM objects, in list order.
    device->MarkInSync(ZKItemTable::Rebuild);
    EXPECT_EQ(2u, device->ItemCount());
    std::uint16_t position = 9;
    ASSERT_TRUE(device->PositionOf(0x80, position));
    EXPECT_EQ(1, position);
    double value = 0;
    ASSERT_TRUE(device->ConvertValue(0x100, 10, value));
    EXPECT_DOUBLE_EQ(6.0, value);  // 10 * 0.5 + 1
    ASSERT_TRUE(device->ConvertValue(0x80, 0xFF, value));
    EXPECT_DOUBLE_EQ(-1.0, value);
    EXPECT_TRUE(device->HasProfileItem(0x100));
    EXPECT_FALSE(device->HasProfileItem(0x101));
}
