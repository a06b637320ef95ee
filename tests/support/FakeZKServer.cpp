#include "support/FakeZKServer.h"

#include "Common/device/ZKNetCodes.h"

FakeZKServer::FakeZKServer() : state_(std::make_shared<State>()) {}

void FakeZKServer::SetVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build) {
    std::lock_guard guard(state_->lock);
    state_->major = major;
    state_->minor = minor;
    state_->build = build;
}

void FakeZKServer::SetDeviceList(std::vector<std::uint8_t> bytes) {
    std::lock_guard guard(state_->lock);
    state_->deviceList = std::move(bytes);
}

void FakeZKServer::SetIdentityName(std::uint16_t identity, std::uint16_t subIdentity, std::string name) {
    std::lock_guard guard(state_->lock);
    state_->identityNames[{identity, subIdentity}] = std::move(name);
}

void FakeZKServer::SetAccessList(std::array<std::uint16_t, 5> selectors, std::vector<std::uint16_t> words) {
    std::lock_guard guard(state_->lock);
    state_->accessLists[selectors] = std::move(words);
}

void FakeZKServer::SetErrorText(std::uint16_t code, std::string text) {
    std::lock_guard guard(state_->lock);
    state_->errorTexts[code] = std::move(text);
}

void FakeZKServer::SetAccessRights(std::uint16_t identity, std::uint16_t subIdentity, std::uint8_t rights) {
    std::lock_guard guard(state_->lock);
    state_->accessRights[{identity, subIdentity}] = rights;
}

void FakeZKServer::AddDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                             FakeZKDevice device) {
    std::lock_guard guard(state_->lock);
    state_->devices.insert_or_assign({address1, address2, address3}, std::move(device));
}

void FakeZKServer::SetHResult(Op op, std::int32_t hresult) {
    std::lock_guard guard(state_->lock);
    state_->hresults[op] = hresult;
}

int FakeZKServer::Calls(Op op) const {
    std::lock_guard guard(state_->lock);
    const auto found = state_->calls.find(op);
    return found == state_->calls.end() ? 0 : found->second;
}

std::vector<std::uint8_t> FakeZKServer::StoredProfile() const {
    std::lock_guard guard(state_->lock);
    return state_->storedProfile;
}

std::pair<std::uint16_t, std::uint16_t> FakeZKServer::SelectedIdentity() const {
    std::lock_guard guard(state_->lock);
    return state_->selected;
}

std::int32_t FakeZKServer::Begin(std::unique_lock<std::mutex>& guard, Op op) {
    guard = std::unique_lock(state_->lock);
    ++state_->calls[op];
    const auto found = state_->hresults.find(op);
    return found == state_->hresults.end() ? zknet::kS_OK : found->second;
}

std::int32_t FakeZKServer::GetAccessList(std::uint16_t selector1, std::uint16_t selector2,
                                         std::uint16_t selector3, std::uint16_t selector4,
                                         std::uint16_t selector5, std::vector<std::uint16_t>& words) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::GetAccessList);
    words.clear();
    const auto found = state_->accessLists.find({selector1, selector2, selector3, selector4, selector5});
    if (!zknet::Failed(hresult) && found != state_->accessLists.end()) words = found->second;
    return hresult;
}

std::int32_t FakeZKServer::GetErrorText(std::uint16_t code, std::string& text) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::GetErrorText);
    text.clear();
    if (zknet::Failed(hresult)) return hresult;
    const auto found = state_->errorTexts.find(code);
    text = found != state_->errorTexts.end() ? found->second : "Error " + std::to_string(code);
    return hresult;
}

std::int32_t FakeZKServer::GetIdentityName(std::uint16_t identity, std::uint16_t subIdentity,
                                           std::string& name) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::GetIdentityName);
    name.clear();
    const auto found = state_->identityNames.find({identity, subIdentity});
    if (!zknet::Failed(hresult) && found != state_->identityNames.end()) name = found->second;
    return hresult;
}

std::int32_t FakeZKServer::StoreProfile(const std::vector<std::uint8_t>& profile) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::StoreProfile);
    if (!zknet::Failed(hresult)) state_->storedProfile = profile;
    return hresult;
}

std::int32_t FakeZKServer::GetStoredProfile(const std::string&, std::uint16_t, std::uint16_t, std::uint16_t,
                                            std::vector<std::uint8_t>& profile) {
    std::unique_lock<std::mutex> guard;
    std::int32_t hresult = Begin(guard, Op::GetStoredProfile);
    profile.clear();
    if (zknet::Failed(hresult)) return hresult;
    if (state_->storedProfile.empty()) return zknet::kE_NOT_FOUND;
    profile = state_->storedProfile;
    return hresult;
}

std::int32_t FakeZKServer::GetDeviceList(std::vector<std::uint8_t>& list) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::GetDeviceList);
    list.clear();
    if (!zknet::Failed(hresult)) list = state_->deviceList;
    return hresult;
}

std::int32_t FakeZKServer::OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                                      std::unique_ptr<IZKDevice>& device) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::OpenDevice);
    device.reset();
    if (zknet::Failed(hresult)) return hresult;
    const auto found = state_->devices.find({address1, address2, address3});
    if (found == state_->devices.end()) return zknet::kE_NOT_FOUND;
    device = std::make_unique<FakeZKDevice>(found->second);
    return hresult;
}

std::int32_t FakeZKServer::GetVersion(std::uint16_t& major, std::uint16_t& minor) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::GetVersion);
    major = zknet::Failed(hresult) ? 0 : state_->major;
    minor = zknet::Failed(hresult) ? 0 : state_->minor;
    return hresult;
}

std::int32_t FakeZKServer::Ping() {
    std::unique_lock<std::mutex> guard;
    return Begin(guard, Op::Ping);
}

std::int32_t FakeZKServer::SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::SelectIdentity);
    if (!zknet::Failed(hresult)) state_->selected = {identity, subIdentity};
    return hresult;
}

std::int32_t FakeZKServer::GetAccessRights(std::uint16_t identity, std::uint16_t subIdentity,
                                           std::uint8_t& rights, std::uint16_t& status) {
    std::unique_lock<std::mutex> guard;
    const std::int32_t hresult = Begin(guard, Op::GetAccessRights);
    rights = 0;
    status = 0;
    if (zknet::Failed(hresult)) return hresult;
    const auto found = state_->accessRights.find({identity, subIdentity});
    if (found == state_->accessRights.end())
        status = 1;
    else
        rights = found->second;
    return hresult;
}

std::int32_t FakeZKServer::GetBuildNumber(std::uint16_t& build) {
    std::unique_lock<std::mutex> guard;
    std::int32_t hresult = Begin(guard, Op::GetBuildNumber);
    const bool hasBuild = state_->major >= 3 || (state_->major == 2 && state_->minor >= 7);
    if (!zknet::Failed(hresult) && !hasBuild) hresult = zknet::kE_NOTIMPL;
    build = zknet::Failed(hresult) ? 0 : state_->build;
    return hresult;
}
