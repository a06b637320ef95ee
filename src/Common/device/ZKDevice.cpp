#include "Common/device/ZKDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <tuple>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKNetCodes.h"
#include "Common/device/ZKServer.h"
#include "Common/device/ZKUserPrompt.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPProfileHeader.h"
#include "Platform/Window.h"
#include "Platform/ZKAssert.h"

namespace {

constexpr std::uint32_t kLinkCheckId = 0;

// What each group is called in the exception thrown when a required one is missing.
const char* GroupFetchName(ZKDeviceGroup group) {
    switch (group) {
        case ZKDeviceGroup::Calibration:
            return "GetCalibrationGroup";
        case ZKDeviceGroup::CalibrationProgramming:
            return "GetCalibrationProgrammingGroup";
        case ZKDeviceGroup::LoggingSetup:
            return "GetLoggingSetupGroup";
        case ZKDeviceGroup::LoggingData:
            return "LoggingData_GetGroup";
        case ZKDeviceGroup::Further1:
        case ZKDeviceGroup::Further2:
            break;
    }
    return "GetGroup";
}

// The access area that gates a group's fetch, or -1 when the group is not gated.
int GroupArea(ZKDeviceGroup group) {
    switch (group) {
        case ZKDeviceGroup::Calibration:
            return ZKDeviceAccess::kAreaCalibration;
        case ZKDeviceGroup::CalibrationProgramming:
            return ZKDeviceAccess::kAreaCalibrationProgramming;
        case ZKDeviceGroup::LoggingSetup:
            return ZKDeviceAccess::kAreaLoggingSetup;
        default:
            return -1;
    }
}

std::uint16_t Be16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

std::uint32_t Be32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t{Be16(bytes, at)} << 16) | Be16(bytes, at + 2);
}

// The fixed fields of a profile image header: magic, format, header size, the two flags and a terminated
// type name. The check word needs the whole image and is not looked at here.
bool IsProfileHeaderOk(const std::vector<std::uint8_t>& header) {
    if (header.size() < ZPImageIdentity::kHeaderSize) return false;
    if (Be16(header, 0) != ZPImageIdentity::kMagic || Be16(header, 2) != ZPImageIdentity::kFormat ||
        Be16(header, 48) != ZPImageIdentity::kHeaderSize || header[50] != 1 || header[51] != 0)
        return false;
    const auto* name = reinterpret_cast<const char*>(header.data() + 16);
    return ::strnlen(name, ZPImageIdentity::kTypeNameSize) < ZPImageIdentity::kTypeNameSize;
}

// The byte after the profile revision: not 0 when the image serves every main code version.
constexpr std::size_t kAnyVersionByte = 62;

const char* const kFirmwareWarning =
    "Your PC may be able to calibrate this ECU,\nbut it is incorrectly programmed and should have its main "
    "firmware updated when possible\nThis issue should not cause incorrect engine operation,\nbut it may "
    "make data analysis or calibration inaccessible for some users\n";
const char* const kDownloadQuestion =
    "A small update (<1MB) is required from the internet in order to use this device/data\nDo you wish to "
    "download this update?\n";

// Whether a good header names another main code version than the device runs.
bool IsOtherVersion(const std::vector<std::uint8_t>& header, const ZKDeviceIdentity& identity) {
    return header[kAnyVersionByte] == 0 &&
           (Be16(header, 52) != identity.mainMajor || Be16(header, 54) != identity.mainMinor ||
            Be16(header, 56) != identity.mainBuild);
}

// The download of a profile update by its file name. No download service is configured, so it always
// fails and says so.
bool DownloadProfile(const ZKDeviceIdentity& identity) {
    char name[96];
    std::snprintf(name, sizeof name, "%s.%d.%d.%d.ZKP", identity.typeName.c_str(), identity.mainMajor,
                  identity.mainMinor, identity.mainBuild);
    std::string text = "The required update could not be downloaded (";
    text += name;
    text += ")\nPlease check your internet connection and try again";
    ZKUserPrompt::Inform(text);
    return false;
}

}  // namespace

ZKDevice::ZKDevice(const ZKServer& server, const ZKDeviceListEntry& entry, const ZPProfile* profile,
                   std::uint32_t purpose, const ZKDeviceAccess& access, Hooks hooks)
    : ZKMonItemMsgServer(hooks.mainWindow),
      server_(server),
      entry_(entry),
      key_(entry.identity.Key()),
      purpose_(purpose),
      access_(access),
      profile_(profile),
      hooks_(std::move(hooks)),
      linkCheck_([this] { return CheckLink(); }) {}

ZKDevice::~ZKDevice() {
    // The worker calls into this object until it has stopped.
    Stop();
    ZKTimerServer::Remove(kLinkCheckId, this);
}

std::unique_ptr<ZKDevice> ZKDevice::Open(const ZKServer& server, const ZKDeviceListEntry& entry,
                                         const ZPProfile* profile, std::uint32_t purpose,
                                         const ZKDeviceAccess& access, Hooks hooks) {
    // On any throw below the device is deleted, and its timer registration with it.
    std::unique_ptr<ZKDevice> device(new ZKDevice(server, entry, profile, purpose, access, std::move(hooks)));
    // Servers before 1.5 cannot take the keep-alive.
    if (server.VersionAtLeast(1, 5, 0))
        ZKTimerServer::AddPeriodic(kLinkCheckMs, kLinkCheckId, device.get(), 0);
    if (!server.OpenDevice(entry.address1, entry.address2, entry.address3, device->main_))
        throw std::runtime_error("no identify");
    if (!device->ReadProfileLocation(device->location_)) device->ReadProfileHeader(device->location_);
    device->FetchGroups();
    device->Start();
    return device;
}

void ZKDevice::Destroy(std::unique_ptr<ZKDevice>& device) {
    std::unique_ptr<ZKDevice> doomed = std::move(device);
    if (doomed) doomed->Stop();
    doomed.reset();
}

void ZKDevice::FetchGroups() {
    const auto require = [this](ZKDeviceGroup group) {
        if (!FetchGroup(group)) throw std::runtime_error(GroupFetchName(group));
    };
    switch (purpose_) {
        case 0:
            require(ZKDeviceGroup::Calibration);
            require(ZKDeviceGroup::CalibrationProgramming);
            break;
        case 2:
            require(ZKDeviceGroup::LoggingSetup);
            break;
        case 4:
            require(ZKDeviceGroup::LoggingData);
            if (server_.VersionAtLeast(2, 12, 0)) {
                FetchGroup(ZKDeviceGroup::Further1);
                FetchGroup(ZKDeviceGroup::Further2);
            }
            FetchGroup(ZKDeviceGroup::Calibration);
            FetchGroup(ZKDeviceGroup::CalibrationProgramming);
            break;
        case 5:
            require(ZKDeviceGroup::LoggingData);
            break;
        case 6:
            FetchGroup(ZKDeviceGroup::Calibration);
            FetchGroup(ZKDeviceGroup::CalibrationProgramming);
            FetchGroup(ZKDeviceGroup::LoggingSetup);
            break;
        case 1:
        case 3:
        case 7:
            break;
        default:
            throw std::runtime_error("unknown purpose");
    }
}

bool ZKDevice::FetchGroup(ZKDeviceGroup group) {
    std::uint16_t word1 = 0;
    std::uint16_t word2 = 0;
    const int area = GroupArea(group);
    if (area >= 0) {
        // Gated groups need their area granted and the profile's two words.
        if (!access_.Granted(static_cast<std::size_t>(area)) || !profile_) return false;
        if (hooks_.groupWords) std::tie(word1, word2) = hooks_.groupWords(*profile_);
    }
    std::unique_ptr<IZKDeviceGroup> fetched;
    if (zknet::Failed(main_->GetGroup(group, word1, word2, fetched)) || !fetched) {
        link_.SetConnected(false);
        return false;
    }
    groups_[static_cast<std::size_t>(group)] = std::move(fetched);
    return true;
}

bool ZKDevice::Succeeded(std::int32_t hresult, std::uint16_t result) {
    if (!zknet::Failed(hresult) && result == zknet::kResultOk) return true;
    link_.SetConnected(false);
    return false;
}

bool ZKDevice::Identify(ZKDeviceIdentity& identity) {
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->Identify(identity, result);
    if (!Succeeded(hresult, result)) return false;
    link_.SetConnected(true);
    return true;
}

bool ZKDevice::IdentifyBest(ZKDeviceIdentity& identity) {
    if (!server_.VersionAtLeast(2, 10, 0)) return Identify(identity);
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->IdentifyEx(identity, result);
    if (!Succeeded(hresult, result)) return false;
    link_.SetConnected(true);
    return true;
}

bool ZKDevice::RefreshIdentity() {
    ZKDeviceIdentity identity;
    if (!IdentifyBest(identity)) return false;
    SetIdentity(identity);
    return true;
}

void ZKDevice::SetIdentity(const ZKDeviceIdentity& identity) {
    entry_.identity = identity;
    key_.store(identity.Key());
}

void ZKDevice::SetKey(std::uint32_t key) {
    entry_.identity.lastProgramTime = key;
    key_.store(key);
}

bool ZKDevice::ReadProfileLocation(ZKProfileLocation& location) {
    location = {};
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->GetProfileLocation(Key(), location, result);
    if (!Succeeded(hresult, result)) {
        location = {};
        return false;
    }
    link_.SetConnected(true);
    return true;
}

bool ZKDevice::ReadProfileHeader(ZKProfileLocation& location) {
    location = {};
    try {
        std::vector<std::uint8_t> header;
        if (!ReadStore(0, kProfileHeaderSize, header, ZKStoreRead::Always))
            throw std::runtime_error("ReadStore");
        if (!IsProfileHeaderOk(header)) throw std::runtime_error("ZPProfile::IsBlockHdrOK");
        // An end before the start is as bad as an oversized image.
        const std::int64_t size = std::int64_t{Be32(header, 8)} - Be32(header, 4) + 1;
        if (size < 1 || size > kMaxProfileSize) throw std::runtime_error("bad profile size");
        location.address = 0;
        location.size = static_cast<std::uint32_t>(size);
        location.headerWord = Be16(header, 60);
    } catch (const std::runtime_error&) {
        location = {};
        location.size = kProfileHeaderSize;
    }
    link_.SetConnected(true);
    return true;
}

bool ZKDevice::GetStoredProfile(std::vector<std::uint8_t>& image, bool mayDownload) {
    image.clear();
    std::vector<std::uint8_t> header;
    const bool good = ReadStore(location_.address, kProfileHeaderSize, header, ZKStoreRead::WhenConnected) &&
                      IsProfileHeaderOk(header);
    const bool otherVersion = good && IsOtherVersion(header, entry_.identity);
    if (otherVersion) ZKUserPrompt::Inform(kFirmwareWarning);
    if (good && !otherVersion)
        return ReadStore(location_.address, location_.size, image, ZKStoreRead::WhenConnected);
    if (!mayDownload || !ZKUserPrompt::Ask(kDownloadQuestion)) return false;
    return DownloadProfile(entry_.identity);
}

bool ZKDevice::ReadStore(std::uint32_t address, std::uint32_t length, std::vector<std::uint8_t>& data,
                         ZKStoreRead when) {
    data.clear();
    if (when == ZKStoreRead::WhenConnected && !IsConnected()) return false;
    std::vector<std::uint8_t> read;
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->ReadStore(address, length, read, result);
    if (!zknet::Failed(hresult) && result == zknet::kResultNoData) return false;
    if (!Succeeded(hresult, result) || read.size() != length) return false;
    data = std::move(read);
    return true;
}

bool ZKDevice::NextMessage(std::string& text, ZKOnFailure onFailure) {
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->GetNextMessage(text, result);
    if (zknet::Failed(hresult) || result != zknet::kResultOk) {
        if (onFailure == ZKOnFailure::DropLink) link_.SetConnected(false);
        text.clear();
        return false;
    }
    return !text.empty();
}

bool ZKDevice::ReadMonitorValues(const std::vector<std::uint16_t>& itemIds,
                                 std::vector<std::uint32_t>& values, ZKOnFailure onFailure) {
    values.clear();
    if (itemIds.size() > zknet::kMaxMonitorItems || !IsFullyUp()) return false;
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->ReadMonitorValues(Key(), itemIds, values, result);
    if (zknet::Failed(hresult) || result != zknet::kResultOk || values.size() != itemIds.size()) {
        if (onFailure == ZKOnFailure::DropLink) link_.SetConnected(false);
        values.clear();
        return false;
    }
    return true;
}

bool ZKDevice::CheckLink() {
    // Every present interface is kept alive, also after one has failed.
    bool alive = !main_ || !zknet::Failed(main_->Ping());
    for (const auto& group : groups_) {
        if (group && zknet::Failed(group->KeepAlive())) alive = false;
    }
    return alive;
}

void ZKDevice::Tick(std::uint32_t id, std::uint32_t) {
    if (!ZKASSERT(id == kLinkCheckId) || server_.IsLost()) return;
    const std::optional<bool> alive = linkCheck_.TakeAnswer();
    if (alive && !*alive) {
        server_.ReportLost();
        return;
    }
    linkCheck_.StartIfIdle();
}

std::vector<ZKDeviceItemTable::Item> ZKDevice::ProfileItems() const {
    if (!profile_) return {};
    return hooks_.items ? hooks_.items(*profile_) : ZKDeviceItemTable::ItemsOf(*profile_);
}

bool ZKDevice::HasProfileItem(std::uint16_t id) const {
    const auto items = ProfileItems();
    return std::any_of(items.begin(), items.end(), [id](const auto& item) { return item.id == id; });
}

void ZKDevice::MarkInSync(ZKItemTable table) {
    link_.SetInSync(true);
    if (table == ZKItemTable::Rebuild) items_.Rebuild(ProfileItems());
}

std::uint16_t ZKDevice::ProfileRevision() const {
    const ZPProfileHeader* header = profile_ ? profile_->Header() : nullptr;
    return header ? header->ProfileRevision() : 0;
}
