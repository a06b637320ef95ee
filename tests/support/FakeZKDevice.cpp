#include "support/FakeZKDevice.h"

#include <algorithm>

#include "Common/device/ZKNetCodes.h"

FakeZKDevice::FakeZKDevice() : state_(std::make_shared<State>()) {}

void FakeZKDevice::SetIdentity(const ZKDeviceIdentity& identity) {
    std::lock_guard guard(state_->lock);
    state_->identity = identity;
}

void FakeZKDevice::QueueMessages(const std::vector<std::string>& texts) {
    std::lock_guard guard(state_->lock);
    state_->messages.insert(state_->messages.end(), texts.begin(), texts.end());
}

void FakeZKDevice::SetStore(std::vector<std::uint8_t> bytes) {
    std::lock_guard guard(state_->lock);
    state_->store = std::move(bytes);
}

void FakeZKDevice::SetMonitorValue(std::uint16_t itemId, std::uint32_t value) {
    std::lock_guard guard(state_->lock);
    state_->monitorValues[itemId] = value;
}

void FakeZKDevice::SetErrorState(std::uint16_t errorId, ZKErrorState state) {
    std::lock_guard guard(state_->lock);
    state_->errorStates[errorId] = state;
}

void FakeZKDevice::SetProfileLocation(const ZKProfileLocation& location) {
    std::lock_guard guard(state_->lock);
    state_->location = location;
}

void FakeZKDevice::SetFeatures(const Features& features) {
    std::lock_guard guard(state_->lock);
    state_->features = features;
}

void FakeZKDevice::SetItemRights(std::vector<std::uint8_t> rightsByPosition) {
    std::lock_guard guard(state_->lock);
    state_->itemRights = std::move(rightsByPosition);
}

void FakeZKDevice::SetCalibration(std::uint16_t section, std::vector<std::uint8_t> bytes) {
    std::lock_guard guard(state_->lock);
    state_->calibrations[section] = std::move(bytes);
}

void FakeZKDevice::SetAnswer(Op op, std::int32_t hresult, std::uint16_t result) {
    std::lock_guard guard(state_->lock);
    state_->answers[op] = {hresult, result};
}

int FakeZKDevice::Calls(Op op) const {
    std::lock_guard guard(state_->lock);
    const auto found = state_->calls.find(op);
    return found == state_->calls.end() ? 0 : found->second;
}

std::uint32_t FakeZKDevice::LastKey() const {
    std::lock_guard guard(state_->lock);
    return state_->lastKey;
}

FakeZKDevice::Answer FakeZKDevice::Begin(std::unique_lock<std::mutex>& guard, Op op, std::uint16_t& result,
                                         const std::uint32_t* key) {
    guard = std::unique_lock(state_->lock);
    ++state_->calls[op];
    if (key) state_->lastKey = *key;
    const auto found = state_->answers.find(op);
    const Answer answer = found == state_->answers.end() ? Answer{} : found->second;
    result = zknet::Failed(answer.hresult) ? 0 : answer.result;
    return answer;
}

namespace {

bool Ok(std::int32_t hresult, std::uint16_t result) {
    return !zknet::Failed(hresult) && result == zknet::kResultOk;
}

}  // namespace

std::int32_t FakeZKDevice::Identify(ZKDeviceIdentity& identity, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::Identify, result);
    identity = {};
    if (Ok(answer.hresult, result)) {
        identity = state_->identity;
        identity.bootProgramTime = identity.preBootCreationTime = identity.preBootProgramTime = 0;
    }
    return answer.hresult;
}

std::int32_t FakeZKDevice::GetNextMessage(std::string& text, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::GetNextMessage, result);
    text.clear();
    if (Ok(answer.hresult, result) && !state_->messages.empty()) {
        text = std::move(state_->messages.front());
        state_->messages.pop_front();
    }
    return answer.hresult;
}

std::int32_t FakeZKDevice::ReadStore(std::uint32_t address, std::uint32_t length,
                                     std::vector<std::uint8_t>& data, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::ReadStore, result);
    data.clear();
    if (!Ok(answer.hresult, result)) return answer.hresult;
    const std::uint64_t end = std::uint64_t{address} + length;
    if (end > state_->store.size()) {
        result = zknet::kResultNoData;
        return answer.hresult;
    }
    data.assign(state_->store.begin() + address, state_->store.begin() + static_cast<std::ptrdiff_t>(end));
    return answer.hresult;
}

std::int32_t FakeZKDevice::ReadMonitorValues(std::uint32_t key, const std::vector<std::uint16_t>& itemIds,
                                             std::vector<std::uint32_t>& values, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::ReadMonitorValues, result, &key);
    values.clear();
    if (!Ok(answer.hresult, result)) return answer.hresult;
    for (std::uint16_t id : itemIds) {
        const auto found = state_->monitorValues.find(id);
        values.push_back(found == state_->monitorValues.end() ? 0 : found->second);
    }
    return answer.hresult;
}

std::int32_t FakeZKDevice::ReadErrorStates(std::uint32_t key, const std::vector<std::uint16_t>& errorIds,
                                           std::vector<ZKErrorState>& states, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::ReadErrorStates, result, &key);
    states.clear();
    if (!Ok(answer.hresult, result)) return answer.hresult;
    for (std::uint16_t id : errorIds) {
        const auto found = state_->errorStates.find(id);
        states.push_back(found == state_->errorStates.end() ? ZKErrorState{} : found->second);
    }
    return answer.hresult;
}

std::int32_t FakeZKDevice::ClearErrors(std::uint32_t key, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::ClearErrors, result, &key);
    if (Ok(answer.hresult, result)) {
        for (auto& [id, state] : state_->errorStates)
            state.stored = 0;
    }
    return answer.hresult;
}

std::int32_t FakeZKDevice::GetProfileLocation(std::uint32_t key, ZKProfileLocation& location,
                                              std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::GetProfileLocation, result, &key);
    location = Ok(answer.hresult, result) ? state_->location : ZKProfileLocation{};
    return answer.hresult;
}

std::int32_t FakeZKDevice::GetFeatures(std::uint32_t key, Features& features, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::GetFeatures, result, &key);
    features = Ok(answer.hresult, result) ? state_->features : Features{};
    return answer.hresult;
}

std::int32_t FakeZKDevice::Ping() {
    std::unique_lock<std::mutex> guard;
    std::uint16_t ignored = 0;
    return Begin(guard, Op::Ping, ignored).hresult;
}

std::int32_t FakeZKDevice::ReadItemRights(std::uint32_t key, std::uint16_t firstItem, std::uint16_t count,
                                          std::vector<std::uint8_t>& rights, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::ReadItemRights, result, &key);
    rights.clear();
    if (!Ok(answer.hresult, result)) return answer.hresult;
    for (std::size_t i = firstItem; i < std::size_t{firstItem} + count; ++i)
        rights.push_back(i < state_->itemRights.size() ? state_->itemRights[i] : 0);
    return answer.hresult;
}

std::int32_t FakeZKDevice::ReadCalibration(std::uint32_t key, std::uint16_t section, std::uint16_t offset,
                                           std::uint16_t length, std::vector<std::uint8_t>& data,
                                           std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::ReadCalibration, result, &key);
    data.clear();
    if (!Ok(answer.hresult, result)) return answer.hresult;
    const auto found = state_->calibrations.find(section);
    if (found == state_->calibrations.end() || offset > found->second.size()) {
        result = zknet::kResultNoData;
        return answer.hresult;
    }
    const std::size_t count =
        std::min<std::size_t>({length, zknet::kMaxCalibrationPiece, found->second.size() - offset});
    data.assign(found->second.begin() + offset,
                found->second.begin() + offset + static_cast<std::ptrdiff_t>(count));
    return answer.hresult;
}

std::int32_t FakeZKDevice::IdentifyEx(ZKDeviceIdentity& identity, std::uint16_t& result) {
    std::unique_lock<std::mutex> guard;
    const Answer answer = Begin(guard, Op::IdentifyEx, result);
    identity = Ok(answer.hresult, result) ? state_->identity : ZKDeviceIdentity{};
    return answer.hresult;
}

class FakeZKDevice::FakeGroup final : public IZKDeviceGroup {
public:
    FakeGroup(std::shared_ptr<State> state, ZKDeviceGroup group) : state_(std::move(state)), group_(group) {}
    std::int32_t KeepAlive() override {
        std::lock_guard guard(state_->lock);
        State::Group& group = state_->groups[group_];
        ++group.keepAlives;
        return group.keepAlive;
    }

private:
    std::shared_ptr<State> state_;
    ZKDeviceGroup group_;
};

void FakeZKDevice::OfferGroup(ZKDeviceGroup group, std::int32_t keepAlive) {
    std::lock_guard guard(state_->lock);
    state_->groups[group].offered = true;
    state_->groups[group].keepAlive = keepAlive;
}

void FakeZKDevice::SetKeepAlive(ZKDeviceGroup group, std::int32_t keepAlive) {
    std::lock_guard guard(state_->lock);
    state_->groups[group].keepAlive = keepAlive;
}

int FakeZKDevice::KeepAlives(ZKDeviceGroup group) const {
    std::lock_guard guard(state_->lock);
    const auto found = state_->groups.find(group);
    return found == state_->groups.end() ? 0 : found->second.keepAlives;
}

std::pair<std::uint16_t, std::uint16_t> FakeZKDevice::GroupWords(ZKDeviceGroup group) const {
    std::lock_guard guard(state_->lock);
    const auto found = state_->groups.find(group);
    return found == state_->groups.end() ? std::pair<std::uint16_t, std::uint16_t>{} : found->second.words;
}

std::int32_t FakeZKDevice::GetGroup(ZKDeviceGroup group, std::uint16_t word1, std::uint16_t word2,
                                    std::unique_ptr<IZKDeviceGroup>& out) {
    std::unique_lock<std::mutex> guard;
    std::uint16_t ignored = 0;
    const Answer answer = Begin(guard, Op::GetGroup, ignored);
    out.reset();
    if (zknet::Failed(answer.hresult)) return answer.hresult;
    State::Group& entry = state_->groups[group];
    entry.words = {word1, word2};
    if (!entry.offered) return zknet::kE_NOTIMPL;
    out = std::make_unique<FakeGroup>(state_, group);
    return answer.hresult;
}
