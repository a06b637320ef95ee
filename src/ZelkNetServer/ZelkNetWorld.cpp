#include "ZelkNetServer/ZelkNetWorld.h"

#include <algorithm>
#include <functional>

#include "Common/profile/ZPImageIdentity.h"
#include "ZelkNetServer/ZelkNetLog.h"
#include "ZelkNetServer/ZelkNetSerialPort.h"
#include "ZelkNetServer/ZelkNetTcpPort.h"

namespace {

constexpr auto kTick = std::chrono::milliseconds(5);

}  // namespace

ZelkNetWorld::ZelkNetWorld(const ZelkNetScenario& scenario)
    : scenario_(scenario), version_(scenario.version) {
    std::uint32_t seed = scenario.seed;
    for (const ZelkNetDeviceSpec& desc : scenario.devices)
        devices_.push_back(std::make_shared<ZelkNetSimDevice>(desc, seed++, scenario.queueLimits));
}

ZelkNetWorld::~ZelkNetWorld() {
    Stop();
}

void ZelkNetWorld::Start() {
    if (clock_.joinable()) return;
    stopping_ = false;
    clock_ = std::thread([this] { RunClock(); });
    StartLinks();
}

void ZelkNetWorld::StartLinks() {
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        const std::optional<ZelkNetLinkSpec>& linkSpec = scenario_.devices[i].link;
        if (!linkSpec) continue;
        std::unique_ptr<ZelkNetLinkPort> port;
        if (linkSpec->kind == ZelkNetLinkSpec::Kind::Serial)
            port = std::make_unique<ZelkNetSerialPort>(*linkSpec);
        else
            port = std::make_unique<ZelkNetTcpPort>(*linkSpec);
        ZelkNetSimDevice* device = devices_[i].get();
        ZelkNetLinkSink sink{
            [device](bool up) { device->SetLinkUp(up); },
            [device](const std::vector<std::string>& lines) { device->QueueMessages(lines); },
            [](const std::string& text) { ZelkNetLog(text); }};
        links_.push_back(
            std::make_unique<ZelkNetLink>(linkSpec->Describe(), std::move(port), std::move(sink)));
        links_.back()->Start();
    }
}

void ZelkNetWorld::Stop() {
    for (const auto& link : links_)
        link->Stop();
    links_.clear();
    {
        std::lock_guard lock(clockMutex_);
        stopping_ = true;
    }
    clockWake_.notify_all();
    if (clock_.joinable()) clock_.join();
    hungCalls_.Close();
}

void ZelkNetWorld::RunClock() {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock lock(clockMutex_);
    while (!stopping_) {
        const auto now = std::chrono::steady_clock::now();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
        lock.unlock();
        for (const auto& device : devices_)
            device->Tick(static_cast<std::uint64_t>(ms));
        hungCalls_.ReleaseGone();
        lock.lock();
        clockWake_.wait_until(lock, now + kTick, [this] { return stopping_.load(); });
    }
}

bool ZelkNetWorld::VersionAtLeast(std::uint16_t major, std::uint16_t minor) const {
    return version_.major > major || (version_.major == major && version_.minor >= minor);
}

ZelkNetSimDevice* ZelkNetWorld::SimDevice(std::size_t index) const {
    return index < devices_.size() ? devices_[index].get() : nullptr;
}

std::vector<ZKDeviceListEntry> ZelkNetWorld::ReachableDevices() const {
    std::vector<ZKDeviceListEntry> list;
    for (const auto& device : devices_) {
        if (device->Reachable()) list.push_back(device->ListEntry());
    }
    return list;
}

std::uint64_t ZelkNetWorld::OpenSession() {
    std::lock_guard lock(mutex_);
    const std::uint64_t session = nextSession_++;
    sessions_[session] = true;
    return session;
}

void ZelkNetWorld::CloseSession(std::uint64_t session) {
    std::lock_guard lock(mutex_);
    sessions_.erase(session);
    std::erase_if(handles_, [session](const auto& entry) { return entry.second.session == session; });
}

std::uint64_t ZelkNetWorld::OpenDevice(std::uint64_t session, std::uint32_t address1, std::uint32_t address2,
                                       std::uint16_t address3) {
    std::shared_ptr<ZelkNetDevice> found;
    for (const auto& device : devices_) {
        const ZKDeviceListEntry entry = device->ListEntry();
        if (entry.address1 == address1 && entry.address2 == address2 && entry.address3 == address3 &&
            device->Reachable())
            found = device;
    }
    std::lock_guard lock(mutex_);
    if (!found || !sessions_.contains(session)) return 0;
    const std::uint64_t handle = nextHandle_++;
    handles_[handle] = Handle{session, found};
    return handle;
}

std::shared_ptr<ZelkNetDevice> ZelkNetWorld::DeviceForHandle(std::uint64_t handle) const {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(handle);
    return found == handles_.end() ? nullptr : found->second.device;
}

std::size_t ZelkNetWorld::OpenHandleCount() const {
    std::lock_guard lock(mutex_);
    return handles_.size();
}

std::size_t ZelkNetWorld::SessionCount() const {
    std::lock_guard lock(mutex_);
    return sessions_.size();
}

void ZelkNetWorld::InjectFault(const std::string& operation, std::uint32_t count, bool hang) {
    std::lock_guard lock(mutex_);
    if (count == 0)
        faults_.erase(operation);
    else
        faults_[operation] = Fault{count, hang};
}

ZelkNetFault ZelkNetWorld::TakeFault(std::string_view operation) {
    std::lock_guard lock(mutex_);
    auto found = faults_.find(operation);
    if (found == faults_.end()) found = faults_.find(std::string_view(kEveryOperation));
    if (found == faults_.end()) return ZelkNetFault::None;
    const ZelkNetFault fault = found->second.hang ? ZelkNetFault::Hang : ZelkNetFault::Fail;
    if (--found->second.count == 0) faults_.erase(found);
    return fault;
}

bool ZelkNetWorld::StoreProfile(ZKBytes image) {
    const std::optional<ZPImageIdentity> id = ZPImageIdentity::Check(image);
    if (!id) return false;
    StoredImage stored{id->typeName, id->codeBranch, id->codeVersion, id->codeRevision, std::move(image)};
    const auto sameKey = [&stored](const StoredImage& kept) {
        return kept.typeName == stored.typeName && kept.major == stored.major && kept.minor == stored.minor &&
               kept.build == stored.build;
    };
    std::lock_guard lock(mutex_);
    // Kept in memory for the server's lifetime; the oldest go first so that memory stays bounded.
    if (const auto old = std::find_if(storedProfiles_.begin(), storedProfiles_.end(), sameKey);
        old != storedProfiles_.end()) {
        storedBytes_ -= old->bytes.size();
        storedProfiles_.erase(old);
    }
    storedBytes_ += stored.bytes.size();
    storedProfiles_.push_back(std::move(stored));
    while (storedProfiles_.size() > kMaxStoredProfiles || storedBytes_ > kMaxStoredBytes) {
        storedBytes_ -= storedProfiles_.front().bytes.size();
        storedProfiles_.erase(storedProfiles_.begin());
    }
    return true;
}

std::optional<ZKBytes> ZelkNetWorld::StoredProfile(const std::string& typeName, std::uint16_t major,
                                                   std::uint16_t minor, std::uint16_t build) const {
    {
        std::lock_guard lock(mutex_);
        for (const StoredImage& kept : storedProfiles_) {
            if (kept.typeName == typeName && kept.major == major && kept.minor == minor &&
                kept.build == build)
                return kept.bytes;  // one per key
        }
    }
    for (const ZelkNetStoredProfile& profile : scenario_.storedProfiles) {
        if (profile.typeName == typeName && profile.major == major && profile.minor == minor &&
            profile.build == build)
            return profile.bytes;
    }
    return std::nullopt;
}

std::size_t ZelkNetWorld::StoredProfileCount() const {
    std::lock_guard lock(mutex_);
    return storedProfiles_.size();
}

void ZelkNetWorld::SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) {
    std::lock_guard lock(mutex_);
    selectedIdentity_ = {identity, subIdentity};
}
