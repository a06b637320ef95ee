// ZKDevice: the data operations between the device and its profile (error states and their summary,
// features, item rights, renaming calibrations). The stored profile is read in ZKDevice.cpp, beside the
// other store reads.
#include <algorithm>
#include <map>
#include <stdexcept>

#include "Common/device/ZKDevice.h"
#include "Common/device/ZKNetCodes.h"
#include "Common/device/ZKServer.h"
#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPGlobalErrorDB.h"
#include "Common/profile/ZPLocalErrorDB.h"
#include "Common/profile/ZPProfile.h"
#include "Platform/ZKAssert.h"

namespace {

constexpr std::uint16_t kRenamingSection = 1;
constexpr std::uint16_t kSelectRenamingSection = 3;

// One error source of the local database with the group whose causes name its bits.
struct ErrorSource {
    std::uint16_t id;
    const ZPLocalErrorDB::Group* group;
};

std::vector<ErrorSource> SourcesOf(const ZPLocalErrorDB& local) {
    std::vector<ErrorSource> sources;
    for (const auto& group : local.Groups())
        for (const ZPErrorInfo* source : group.sources)
            sources.push_back({source->id, &group});
    return sources;
}

// The summary code after one source's state: active causes make it 38, stored ones alone 37 (over 35). The
// reference cause's own bit is no cause; while it is active the source counts as quiet.
std::uint32_t Summarise(std::uint32_t code, const ZKErrorState& state, int referenceBit) {
    std::uint32_t mask = ~0u;
    if (referenceBit >= 0 && referenceBit < 32) {
        const std::uint32_t bit = 1u << referenceBit;
        if (state.active & bit) return code;
        mask = ~bit;
    }
    if (state.active & mask) return ZKDevice::kSummaryActiveErrors;
    if ((state.stored & mask) && code == ZKDevice::kSummaryNoError) return ZKDevice::kSummaryStoredErrors;
    return code;
}

const ZPCalData* RenamingRegion(const ZPProfile& profile) {
    return dynamic_cast<const ZPCalData*>(profile.Find(ZP_OPAQUE_CAL_DATA, "UserSensorDefinitions"));
}

bool HasSelectRenamingGroups(const ZPProfile& profile) {
    return !profile.MapsOfKind(ZP_CASE_SELECT_RENAMING_GROUP).empty() ||
           !profile.MapsOfKind(ZP_ITEM_SELECT_RENAMING_GROUP).empty();
}

}  // namespace

bool ZKDevice::ReadErrorStates(const std::vector<std::uint16_t>& errorIds,
                               std::vector<ZKErrorState>& states) {
    states.clear();
    if (!IsConnected() || entry_.identity.boxState != kBoxStateMainCode) return false;
    if (!ZKASSERT(errorIds.size() <= zknet::kMaxErrorIds)) return false;
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->ReadErrorStates(Key(), errorIds, states, result);
    if (Succeeded(hresult, result) && states.size() == errorIds.size()) return true;
    states.clear();
    return false;
}

bool ZKDevice::ClearErrors() {
    if (!IsConnected()) return false;
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->ClearErrors(Key(), result);
    return Succeeded(hresult, result);
}

bool ZKDevice::ReadAllErrorStates(const std::vector<std::uint16_t>& errorIds,
                                  std::vector<ZKErrorState>& states) {
    states.clear();
    for (std::size_t at = 0; at < errorIds.size(); at += zknet::kMaxErrorIds) {
        const std::size_t end = std::min(errorIds.size(), at + zknet::kMaxErrorIds);
        std::vector<ZKErrorState> batch;
        if (!ReadErrorStates({errorIds.begin() + static_cast<std::ptrdiff_t>(at),
                              errorIds.begin() + static_cast<std::ptrdiff_t>(end)},
                             batch)) {
            states.clear();
            return false;
        }
        states.insert(states.end(), batch.begin(), batch.end());
    }
    return true;
}

bool ZKDevice::ErrorSummary(std::uint32_t& code) {
    const ZPGlobalErrorDB* global = profile_ ? profile_->GlobalErrorDB() : nullptr;
    const ZPLocalErrorDB* local = profile_ ? profile_->LocalErrorDB() : nullptr;
    if (!global || !local) return true;
    code = kSummaryNoError;
    const std::vector<ErrorSource> sources = SourcesOf(*local);
    std::vector<std::uint16_t> ids;
    for (const ErrorSource& source : sources)
        ids.push_back(source.id);
    std::vector<ZKErrorState> states;
    if (!ReadAllErrorStates(ids, states)) {
        code = kSummaryActiveErrors;
        return false;
    }
    // A source listed twice is judged by its last record.
    std::map<std::uint16_t, std::size_t> lastRecord;
    for (std::size_t i = 0; i < sources.size(); ++i)
        lastRecord[sources[i].id] = i;
    const ZPErrorInfo* reference = global->ReferenceCause();
    ZKASSERT(reference);
    for (const ErrorSource& source : sources) {
        const int referenceBit = reference ? source.group->CauseBit(reference) : -1;
        code = Summarise(code, states[lastRecord[source.id]], referenceBit);
    }
    return true;
}

bool ZKDevice::ReadFeatures(std::vector<std::uint16_t>& features, std::string* failure) {
    try {
        if (!IsConnected()) throw std::runtime_error("not connected");
        if (!server_.VersionAtLeast(1, 3, 0)) throw std::runtime_error("wrong server version");
        IZKDevice::Features read{};
        std::uint16_t result = 0;
        const std::int32_t hresult = main_->GetFeatures(Key(), read, result);
        if (!Succeeded(hresult, result))
            throw std::runtime_error(zknet::Failed(hresult) ? "getFeatures not supported" : "bad return");
        for (std::uint16_t id : read) {
            if (id != 0 && std::find(features.begin(), features.end(), id) == features.end())
                features.push_back(id);
        }
        return true;
    } catch (const std::runtime_error& e) {
        if (failure) *failure = e.what();
        return false;
    }
}

bool ZKDevice::HasItemRights() const {
    return profile_ && profile_->Find(ZP_OPAQUE_CAL_DATA, "ItemMinLoggingAndSecurity") != nullptr;
}

bool ZKDevice::ReadItemRights(std::uint16_t itemId, std::uint8_t& rights) {
    rights = kAllRights;
    if (!server_.VersionAtLeast(2, 4, 0) || !HasItemRights()) return true;
    rights = 0;
    std::uint16_t position = 0;
    if (!items_.PositionOf(itemId, position)) return false;
    std::vector<std::uint8_t> read;
    std::uint16_t result = 0;
    const std::int32_t hresult = main_->ReadItemRights(Key(), position, 1, read, result);
    if (!Succeeded(hresult, result) || read.size() != 1) return false;
    rights = read[0];
    return true;
}

std::vector<std::uint8_t> ZKDevice::ReadCalibrationSection(std::uint16_t section, std::uint32_t length) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(length);
    while (bytes.size() < length) {
        const auto offset = static_cast<std::uint16_t>(bytes.size());
        const auto piece = static_cast<std::uint16_t>(
            std::min<std::size_t>(zknet::kMaxCalibrationPiece, length - bytes.size()));
        std::vector<std::uint8_t> read;
        std::uint16_t result = 0;
        const std::int32_t hresult = main_->ReadCalibration(Key(), section, offset, piece, read, result);
        if (zknet::Failed(hresult)) {
            link_.SetConnected(false);
            throw std::runtime_error("bad hResult");
        }
        if (result != zknet::kResultOk) {
            link_.SetConnected(false);
            throw std::runtime_error("bad nRes");
        }
        if (read.size() < piece) throw std::runtime_error("bad size returned");
        bytes.insert(bytes.end(), read.begin(), read.begin() + piece);
    }
    return bytes;
}

bool ZKDevice::ReadRenamingCalibration(std::vector<std::uint8_t>* renaming,
                                       std::vector<std::uint8_t>* selectRenaming, std::string* failure) {
    try {
        if (!profile_) return true;
        const ZPCalData* region = RenamingRegion(*profile_);
        if (region && region->Size() != 0) {
            const auto bytes = ReadCalibrationSection(kRenamingSection, region->Size());
            if (renaming) *renaming = bytes;
            if (hooks_.applyRenaming) hooks_.applyRenaming(bytes);
        }
        if (!HasSelectRenamingGroups(*profile_)) return true;
        const std::optional<std::uint32_t> size =
            hooks_.selectRenamingSize ? hooks_.selectRenamingSize() : std::nullopt;
        if (!size) throw std::runtime_error("could not calc select renaming cal size");
        std::vector<std::uint8_t> bytes;
        try {
            bytes = ReadCalibrationSection(kSelectRenamingSection, *size);
        } catch (const std::runtime_error&) {
            throw std::runtime_error("could not read and apply select renaming cal");
        }
        if (selectRenaming) *selectRenaming = bytes;
        if (hooks_.applySelectRenaming && !hooks_.applySelectRenaming(bytes))
            throw std::runtime_error("could not read and apply select renaming cal");
        return true;
    } catch (const std::runtime_error& e) {
        if (failure) *failure = e.what();
        return false;
    }
}
