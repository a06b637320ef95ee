#include "Common/device/ZKServer.h"

#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

#include "Common/ZKTimerServer.h"
#include "Common/device/ZKNetCodes.h"
#include "Platform/Window.h"
#include "Platform/ZKAssert.h"

namespace {

constexpr std::uint32_t kHeartbeatId = 0;

bool Succeeded(std::int32_t hresult) {
    return !zknet::Failed(hresult);
}

}  // namespace

ZKServer::ZKServer(const Factory& create, LostNotice onLost)
    : onLost_(std::move(onLost)), heartbeat_([this] { return Succeeded(server_->Ping()); }) {
    std::unique_ptr<IZKServer> created;
    try {
        created = create();
    } catch (...) {
        created.reset();
    }
    if (!created) throw std::runtime_error("BUGGER");
    server_ = std::make_unique<ZKServerGate>(std::move(created), closed_);
    // Servers before 1.5 cannot take the heartbeat.
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    if (!GetVersion(major, minor)) return;
    std::uint16_t build = 0;
    if (HasBuildNumber(major, minor)) GetBuildNumber(build);
    if (major > 1 || (major == 1 && minor >= 5))
        ZKTimerServer::AddPeriodic(kHeartbeatMs, kHeartbeatId, this, 0);
}

ZKServer::~ZKServer() {
    ZKTimerServer::Remove(kHeartbeatId, this);
}

ZKServerStartup ZKServer::Start(const Factory& create, LostNotice onLost, std::unique_ptr<ZKServer>& server) {
    server.reset();
    try {
        auto made = std::make_unique<ZKServer>(create, std::move(onLost));
        std::uint16_t major = 0;
        std::uint16_t minor = 0;
        if (!made->GetVersion(major, minor)) return ZKServerStartup::CantUse;
        if (major != 2) return ZKServerStartup::WrongVersion;
        server = std::move(made);
        return ZKServerStartup::Ok;
    } catch (...) {
        return ZKServerStartup::CantStart;
    }
}

std::string ZKServer::StartupText(ZKServerStartup result) {
    switch (result) {
        case ZKServerStartup::Ok:
            return {};
        case ZKServerStartup::CantStart:
            return "Cant start ZelkNetServer";
        case ZKServerStartup::CantUse:
            return "Cant use ZelkNetServer";
        case ZKServerStartup::WrongVersion:
            return "Wrong ZelkNetServer version";
    }
    return {};
}

bool ZKServer::GetVersion(std::uint16_t& major, std::uint16_t& minor) const {
    major = minor = 0;
    if (IsLost()) return false;
    if (!versionKnown_.load(std::memory_order_acquire)) {
        std::uint16_t asked[2] = {0, 0};
        if (!Succeeded(server_->GetVersion(asked[0], asked[1]))) return false;
        version_.store(static_cast<std::uint32_t>(asked[0]) << 16 | asked[1], std::memory_order_relaxed);
        versionKnown_.store(true, std::memory_order_release);
    }
    const std::uint32_t version = version_.load(std::memory_order_relaxed);
    major = static_cast<std::uint16_t>(version >> 16);
    minor = static_cast<std::uint16_t>(version & 0xFFFF);
    return true;
}

bool ZKServer::HasBuildNumber(std::uint16_t major, std::uint16_t minor) {
    return major >= 3 || (major == 2 && minor >= 7);
}

bool ZKServer::GetBuildNumber(std::uint16_t& build) const {
    build = 0;
    if (IsLost()) return false;
    if (!buildKnown_.load(std::memory_order_acquire)) {
        std::uint16_t asked = 0;
        if (!Succeeded(server_->GetBuildNumber(asked))) return false;
        build_.store(asked, std::memory_order_relaxed);
        buildKnown_.store(true, std::memory_order_release);
    }
    build = build_.load(std::memory_order_relaxed);
    return true;
}

bool ZKServer::VersionAtLeast(std::uint16_t major, std::uint16_t minor, std::uint16_t build) const {
    std::uint16_t serverMajor = 0;
    std::uint16_t serverMinor = 0;
    if (!GetVersion(serverMajor, serverMinor)) return false;
    if (major != serverMajor) return major < serverMajor;
    if (minor != serverMinor) return minor < serverMinor;
    if (!HasBuildNumber(serverMajor, serverMinor)) return build == 0;
    std::uint16_t serverBuild = 0;
    return GetBuildNumber(serverBuild) && serverBuild >= build;
}

bool ZKServer::GetAccessList(std::uint16_t selector1, std::uint16_t selector2, std::uint16_t selector3,
                             std::uint16_t selector4, std::uint16_t selector5, ZKAccessFilter filter,
                             std::vector<ZKAccessEntry>& list) const {
    list.clear();
    std::vector<std::uint16_t> words;
    if (!Succeeded(server_->GetAccessList(selector1, selector2, selector3, selector4, selector5, words)) ||
        words.size() % kAccessTripleWords != 0)
        return false;
    for (std::size_t i = 0; i < words.size(); i += kAccessTripleWords) {
        const ZKAccessEntry entry{words[i], words[i + 1], words[i + 2]};
        if (filter == ZKAccessFilter::RootsOnly && entry.subIdentity != 0) continue;
        list.push_back(entry);
    }

    // Each pair's name is fetched once. An entry without a name compares equal to every other, which is no
    // strict ordering for std::sort; an insertion sort moves an entry only past entries it truly precedes.
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::optional<std::string>> names;
    for (const ZKAccessEntry& entry : list) {
        const auto [slot, added] = names.try_emplace({entry.identity, entry.subIdentity});
        std::string text;
        if (added && Succeeded(server_->GetIdentityName(entry.identity, entry.subIdentity, text)))
            slot->second = std::move(text);
    }
    const auto nameOf = [&](const ZKAccessEntry& e) -> const std::optional<std::string>& {
        return names.at({e.identity, e.subIdentity});
    };
    const auto before = [&](const ZKAccessEntry& a, const ZKAccessEntry& b) {
        const auto& nameA = nameOf(a);
        const auto& nameB = nameOf(b);
        return nameA && nameB && *nameA < *nameB;
    };
    for (std::size_t i = 1; i < list.size(); ++i) {
        for (std::size_t j = i; j > 0 && before(list[j], list[j - 1]); --j)
            std::swap(list[j], list[j - 1]);
    }
    return true;
}

bool ZKServer::ErrorText(std::uint16_t code, const ZKDeviceIdentity* identity, std::string& text) const {
    text.clear();
    if (code == kLocalTextNoRootId) {
        text = "No Root id defined";
        return true;
    }
    if (code == kLocalTextBoxState) {
        if (identity) {
            char buffer[48];
            std::snprintf(buffer, sizeof buffer, "Box state too low (%d)", identity->boxState);
            text = buffer;
        } else {
            text = "Box state too low";
        }
        return true;
    }
    if (code > kLocalTextBoxState) return false;
    return ServerErrorText(code, text);
}

bool ZKServer::ServerErrorText(std::uint16_t code, std::string& text) const {
    if (Succeeded(server_->GetErrorText(code, text))) return true;
    text.clear();
    return false;
}

bool ZKServer::IdentityName(std::uint16_t identity, std::uint16_t subIdentity, std::string& name) const {
    if (Succeeded(server_->GetIdentityName(identity, subIdentity, name)) && !name.empty()) return true;
    name.clear();
    return false;
}

bool ZKServer::StoreProfile(std::span<const std::uint8_t> profile) const {
    return Succeeded(server_->StoreProfile(std::vector<std::uint8_t>(profile.begin(), profile.end())));
}

bool ZKServer::GetStoredProfile(const std::string& typeName, std::uint16_t major, std::uint16_t minor,
                                std::uint16_t build, std::vector<std::uint8_t>& profile) const {
    if (Succeeded(server_->GetStoredProfile(typeName, major, minor, build, profile))) return true;
    profile.clear();
    return false;
}

bool ZKServer::GetDeviceList(std::vector<ZKDeviceListEntry>& list) const {
    list.clear();
    std::vector<std::uint8_t> bytes;
    if (!Succeeded(server_->GetDeviceList(bytes))) return false;
    auto entries = ZKDeviceListEntry::DecodeList(bytes);
    if (!entries) return false;
    list = std::move(*entries);
    return true;
}

bool ZKServer::OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                          std::unique_ptr<IZKDevice>& device) const {
    if (Succeeded(server_->OpenDevice(address1, address2, address3, device)) && device) return true;
    device.reset();
    return false;
}

bool ZKServer::SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) const {
    return Succeeded(server_->SelectIdentity(identity, subIdentity));
}

bool ZKServer::AccessRights(std::uint16_t identity, std::uint16_t subIdentity, std::uint8_t& rights) const {
    rights = 0;
    if (!VersionAtLeast(2, 4, 0)) return false;
    std::uint16_t status = 0;
    if (Succeeded(server_->GetAccessRights(identity, subIdentity, rights, status)) && status == 0)
        return true;
    rights = 0;
    return false;
}

void ZKServer::Tick(std::uint32_t, std::uint32_t) {
    if (IsLost()) return;
    const std::optional<bool> alive = heartbeat_.TakeAnswer();
    if (alive && !*alive) {
        ReportLost();
        return;
    }
    heartbeat_.StartIfIdle();
}

void ZKServer::ReportLost() const {
    if (closed_->exchange(true)) return;
    if (onLost_)
        onLost_();
    else if (ZKASSERT(mainWindow_ != zk::HWND{}))
        zk::PostMessage(mainWindow_, WMU_SERVER_LOST, 0, 0);
}
