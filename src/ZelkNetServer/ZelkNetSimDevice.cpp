#include "ZelkNetServer/ZelkNetSimDevice.h"

#include <algorithm>
#include <cmath>

using namespace zknet;

namespace {

// A source that fell behind (the server was stopped or starved) skips what it missed beyond this much
// instead of flooding the queue.
constexpr std::uint64_t kMaxCatchUpMs = 1000;

void AppendU32(ZKBytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::string NumberedText(const std::string& text, std::uint32_t number) {
    std::string out = text;
    for (auto at = out.find("{n}"); at != std::string::npos; at = out.find("{n}", at)) {
        const std::string digits = std::to_string(number);
        out.replace(at, 3, digits);
        at += digits.size();
    }
    return out;
}

}  // namespace

ZelkNetSimDevice::ZelkNetSimDevice(ZelkNetDeviceSpec desc, std::uint32_t seed, ZelkNetQueueLimits limits)
    : spec_(std::move(desc)), plugged_(spec_.plugged), linkUp_(!spec_.link), queue_(limits), random_(seed) {
    for (const ZelkNetErrorSpec& error : spec_.errors) {
        ErrorState& state = errors_[error.id];
        state.active = error.periodMs ? 0 : error.active;
        state.stored = error.stored;
        state.count = error.count;
        state.periodMs = error.periodMs;
        state.flappingBits = error.periodMs ? error.active : 0;
    }
    if (!spec_.script.empty()) scriptDue_ = spec_.script.front().delayMs;
    if (spec_.chatter) chatterDue_ = NextChatterGap();
    for (const ZelkNetBurst& burst : spec_.bursts)
        burstDue_.push_back(burst.atMs);
}

ZKDeviceListEntry ZelkNetSimDevice::ListEntry() const {
    std::lock_guard lock(mutex_);
    ZKDeviceListEntry entry;
    entry.address1 = spec_.address1;
    entry.address2 = spec_.address2;
    entry.address3 = spec_.address3;
    entry.identity = spec_.identity;
    entry.description = spec_.description;
    return entry;
}

bool ZelkNetSimDevice::Reachable() const {
    std::lock_guard lock(mutex_);
    return Up();
}

std::optional<ZelkNetResult> ZelkNetSimDevice::Refuse(std::uint32_t key) const {
    if (!Up()) return ZelkNetResult::Failed(kE_NOT_CONNECTED);
    if (key != spec_.identity.Key()) return ZelkNetResult::Code(kResultWrongKey);
    return std::nullopt;
}

ZelkNetResult ZelkNetSimDevice::Identify(ZKDeviceIdentity& identity) {
    std::lock_guard lock(mutex_);
    if (!Up()) return ZelkNetResult::Failed(kE_NOT_CONNECTED);
    identity = spec_.identity;
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::NextMessage(std::string& text) {
    {
        std::lock_guard lock(mutex_);
        if (!Up()) return ZelkNetResult::Failed(kE_NOT_CONNECTED);
    }
    text = queue_.Pop().value_or(std::string());
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::ReadStore(std::uint32_t address, std::uint32_t length, ZKBytes& bytes) {
    std::lock_guard lock(mutex_);
    if (!Up()) return ZelkNetResult::Failed(kE_NOT_CONNECTED);
    if (std::uint64_t{address} + length > spec_.store.size()) return ZelkNetResult::Code(kResultNoData);
    bytes.assign(spec_.store.begin() + address, spec_.store.begin() + address + length);
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::ReadMonitorValues(std::uint32_t key, std::span<const std::uint16_t> items,
                                                  std::vector<std::uint32_t>& values) {
    std::lock_guard lock(mutex_);
    if (auto refused = Refuse(key)) return *refused;
    values.clear();
    for (std::uint16_t item : items) {
        const auto found = spec_.monitorValues.find(item);
        values.push_back(found == spec_.monitorValues.end() ? 0 : found->second);
    }
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::ReadErrorStates(std::uint32_t key, std::span<const std::uint16_t> ids,
                                                ZKBytes& records) {
    std::lock_guard lock(mutex_);
    if (auto refused = Refuse(key)) return *refused;
    records.clear();
    for (std::uint16_t id : ids) {
        const auto found = errors_.find(id);
        const ErrorState state = found == errors_.end() ? ErrorState{} : found->second;
        AppendU32(records, state.active);
        AppendU32(records, state.stored);
        AppendU32(records, state.count);
    }
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::ClearErrors(std::uint32_t key) {
    std::lock_guard lock(mutex_);
    if (auto refused = Refuse(key)) return *refused;
    for (auto& [id, state] : errors_) {
        state.stored = 0;
        state.count = 0;
    }
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::GetProfileLocation(std::uint32_t key, ZKProfileLocation& location) {
    std::lock_guard lock(mutex_);
    if (auto refused = Refuse(key)) return *refused;
    if (!spec_.profileLocation) return ZelkNetResult::Code(kResultNoData);
    location = *spec_.profileLocation;
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::GetFeatures(std::uint32_t key,
                                            std::array<std::uint16_t, kFeatureCount>& ids) {
    std::lock_guard lock(mutex_);
    if (auto refused = Refuse(key)) return *refused;
    ids.fill(0);
    std::copy_n(spec_.features.begin(), std::min<std::size_t>(spec_.features.size(), kFeatureCount),
                ids.begin());
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::Ping() {
    // The keep-alive tells the client that its device interface (and so the server) still answers; an
    // unplugged device is found by its failing calls, not by this, so that the program drops the device
    // instead of taking the server for lost.
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::ReadItemRights(std::uint32_t key, std::uint16_t first, std::uint16_t count,
                                               ZKBytes& rights) {
    std::lock_guard lock(mutex_);
    if (auto refused = Refuse(key)) return *refused;
    rights.clear();
    for (std::uint32_t position = first; position < std::uint32_t{first} + count; ++position) {
        const auto found = spec_.itemRights.find(static_cast<std::uint16_t>(position));
        rights.push_back(found == spec_.itemRights.end() ? spec_.defaultItemRights : found->second);
    }
    return ZelkNetResult::Ok();
}

ZelkNetResult ZelkNetSimDevice::ReadCalibration(std::uint32_t key, std::uint16_t section,
                                                std::uint16_t offset, std::uint16_t length, ZKBytes& bytes) {
    std::lock_guard lock(mutex_);
    if (auto refused = Refuse(key)) return *refused;
    const auto found = spec_.calibration.find(section);
    if (found == spec_.calibration.end() || offset > found->second.size())
        return ZelkNetResult::Code(kResultNoData);
    const std::size_t count =
        std::min<std::size_t>({length, kMaxCalibrationPiece, found->second.size() - offset});
    bytes.assign(found->second.begin() + offset, found->second.begin() + offset + count);
    return ZelkNetResult::Ok();
}

void ZelkNetSimDevice::Tick(std::uint64_t nowMs) {
    std::lock_guard lock(mutex_);
    RunScript(nowMs, Up());
    RunChatter(nowMs, Up());
    RunBursts(nowMs, Up());
    if (Up()) RunErrors(nowMs);
}

// A device only talks while it is plugged in; its sources keep their timing either way.
void ZelkNetSimDevice::RunScript(std::uint64_t nowMs, bool talking) {
    while (scriptLine_ < spec_.script.size() && scriptDue_ <= nowMs) {
        if (talking) queue_.Push(spec_.script[scriptLine_].text);
        ++scriptLine_;
        if (scriptLine_ == spec_.script.size() && spec_.repeatScript) scriptLine_ = 0;
        if (scriptLine_ < spec_.script.size()) scriptDue_ += spec_.script[scriptLine_].delayMs;
        if (scriptDue_ + kMaxCatchUpMs < nowMs) scriptDue_ = nowMs;
    }
}

double ZelkNetSimDevice::NextChatterGap() {
    // Exponential gaps give the irregular rhythm of a real device at the given average rate. They stay
    // fractional: gaps rounded to whole milliseconds (at least one) would make 500 messages a second
    // about 330.
    std::exponential_distribution<double> gap(spec_.chatter->ratePerSecond / 1000.0);
    return gap(random_);
}

void ZelkNetSimDevice::RunChatter(std::uint64_t nowMs, bool talking) {
    if (!spec_.chatter || spec_.chatter->ratePerSecond <= 0) return;
    const ZelkNetChatter& chatter = *spec_.chatter;
    if (chatterDue_ + static_cast<double>(kMaxCatchUpMs) < static_cast<double>(nowMs))
        chatterDue_ = static_cast<double>(nowMs);
    while (chatterDue_ <= static_cast<double>(nowMs)) {
        std::uniform_real_distribution<double> chance(0, 1);
        const bool alarm =
            chatter.texts.empty() || (!chatter.alarms.empty() && chance(random_) < chatter.alarmChance);
        const auto& list = alarm ? chatter.alarms : chatter.texts;
        std::uniform_int_distribution<std::size_t> pick(0, list.size() - 1);
        const std::string& text = list[pick(random_)];
        if (talking) queue_.Push(text);
        chatterDue_ += NextChatterGap();
    }
}

void ZelkNetSimDevice::RunBursts(std::uint64_t nowMs, bool talking) {
    for (std::size_t i = 0; i < spec_.bursts.size(); ++i) {
        const ZelkNetBurst& burst = spec_.bursts[i];
        if (burstDue_[i] == UINT64_MAX || burstDue_[i] > nowMs) continue;
        if (talking) {
            for (std::uint32_t n = 1; n <= burst.count; ++n)
                queue_.Push(NumberedText(burst.text, n));
        }
        burstDue_[i] = burst.everyMs ? std::max(burstDue_[i] + burst.everyMs, nowMs) : UINT64_MAX;
    }
}

void ZelkNetSimDevice::RunErrors(std::uint64_t nowMs) {
    for (auto& [id, state] : errors_) {
        if (state.periodMs == 0) continue;
        // Odd periods active, even periods quiet; each rise is stored and counted as the device would.
        const bool on = (nowMs / state.periodMs) % 2 == 1;
        const bool wasOn = (state.active & state.flappingBits) != 0;
        if (on && !wasOn) {
            state.active |= state.flappingBits;
            state.stored |= state.flappingBits;
            ++state.count;
        } else if (!on && wasOn) {
            state.active &= ~state.flappingBits;
        }
    }
}

void ZelkNetSimDevice::SetPlugged(bool plugged) {
    std::lock_guard lock(mutex_);
    plugged_ = plugged;
}

void ZelkNetSimDevice::SetLinkUp(bool up) {
    std::lock_guard lock(mutex_);
    linkUp_ = up;
}

void ZelkNetSimDevice::QueueMessages(const std::vector<std::string>& texts) {
    queue_.PushAll(texts);
}

void ZelkNetSimDevice::ChangeIdentity(const ZelkNetIdentityChange& change) {
    std::lock_guard lock(mutex_);
    ZKDeviceIdentity& id = spec_.identity;
    if (change.typeName) id.typeName = change.typeName->substr(0, ZKDeviceIdentity::kTypeNameSize - 1);
    if (change.rootId) id.rootId = *change.rootId;
    if (change.mainMajor) id.mainMajor = *change.mainMajor;
    if (change.mainMinor) id.mainMinor = *change.mainMinor;
    if (change.mainBuild) id.mainBuild = *change.mainBuild;
    if (change.boxState) id.boxState = *change.boxState;
}

void ZelkNetSimDevice::SetErrorState(std::uint16_t id, std::uint32_t active, std::uint32_t stored,
                                     std::uint32_t count) {
    std::lock_guard lock(mutex_);
    ErrorState& state = errors_[id];
    state = ErrorState{active, stored, count, 0, 0};
}
