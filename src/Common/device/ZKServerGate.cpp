#include "Common/device/ZKServerGate.h"

#include <utility>

#include "Common/device/ZKNetCodes.h"

namespace {

using zknet::kE_UNAVAILABLE;

class GroupGate final : public IZKDeviceGroup {
public:
    GroupGate(std::unique_ptr<IZKDeviceGroup> group, ZKGateState closed)
        : group_(std::move(group)), closed_(std::move(closed)) {}

    std::int32_t KeepAlive() override { return closed_->load() ? kE_UNAVAILABLE : group_->KeepAlive(); }

private:
    std::unique_ptr<IZKDeviceGroup> group_;
    ZKGateState closed_;
};

class DeviceGate final : public IZKDevice {
public:
    DeviceGate(std::unique_ptr<IZKDevice> device, ZKGateState closed)
        : device_(std::move(device)), closed_(std::move(closed)) {}

    std::int32_t Identify(ZKDeviceIdentity& identity, std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->Identify(identity, result);
    }
    std::int32_t GetNextMessage(std::string& text, std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->GetNextMessage(text, result);
    }
    std::int32_t ReadStore(std::uint32_t address, std::uint32_t length, std::vector<std::uint8_t>& data,
                           std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->ReadStore(address, length, data, result);
    }
    std::int32_t ReadMonitorValues(std::uint32_t key, const std::vector<std::uint16_t>& itemIds,
                                   std::vector<std::uint32_t>& values, std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->ReadMonitorValues(key, itemIds, values, result);
    }
    std::int32_t ReadErrorStates(std::uint32_t key, const std::vector<std::uint16_t>& errorIds,
                                 std::vector<ZKErrorState>& states, std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->ReadErrorStates(key, errorIds, states, result);
    }
    std::int32_t ClearErrors(std::uint32_t key, std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->ClearErrors(key, result);
    }
    std::int32_t GetProfileLocation(std::uint32_t key, ZKProfileLocation& location,
                                    std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->GetProfileLocation(key, location, result);
    }
    std::int32_t GetFeatures(std::uint32_t key, Features& features, std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->GetFeatures(key, features, result);
    }
    std::int32_t Ping() override { return closed_->load() ? kE_UNAVAILABLE : device_->Ping(); }
    std::int32_t ReadItemRights(std::uint32_t key, std::uint16_t firstItem, std::uint16_t count,
                                std::vector<std::uint8_t>& rights, std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE
                              : device_->ReadItemRights(key, firstItem, count, rights, result);
    }
    std::int32_t ReadCalibration(std::uint32_t key, std::uint16_t section, std::uint16_t offset,
                                 std::uint16_t length, std::vector<std::uint8_t>& data,
                                 std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE
                              : device_->ReadCalibration(key, section, offset, length, data, result);
    }
    std::int32_t IdentifyEx(ZKDeviceIdentity& identity, std::uint16_t& result) override {
        return Closed(result) ? kE_UNAVAILABLE : device_->IdentifyEx(identity, result);
    }
    std::int32_t GetGroup(ZKDeviceGroup group, std::uint16_t word1, std::uint16_t word2,
                          std::unique_ptr<IZKDeviceGroup>& out) override {
        out.reset();
        if (closed_->load()) return kE_UNAVAILABLE;
        std::unique_ptr<IZKDeviceGroup> fetched;
        const std::int32_t hresult = device_->GetGroup(group, word1, word2, fetched);
        if (fetched) out = std::make_unique<GroupGate>(std::move(fetched), closed_);
        return hresult;
    }

private:
    // A closed gate answers before the device is asked; the result code is then 0.
    bool Closed(std::uint16_t& result) const {
        result = 0;
        return closed_->load();
    }

    std::unique_ptr<IZKDevice> device_;
    ZKGateState closed_;
};

}  // namespace

ZKServerGate::ZKServerGate(std::unique_ptr<IZKServer> server, ZKGateState closed)
    : server_(std::move(server)), closed_(std::move(closed)) {}

std::int32_t ZKServerGate::GetAccessList(std::uint16_t selector1, std::uint16_t selector2,
                                         std::uint16_t selector3, std::uint16_t selector4,
                                         std::uint16_t selector5, std::vector<std::uint16_t>& words) {
    return Closed() ? kE_UNAVAILABLE
                    : server_->GetAccessList(selector1, selector2, selector3, selector4, selector5, words);
}

std::int32_t ZKServerGate::GetErrorText(std::uint16_t code, std::string& text) {
    return Closed() ? kE_UNAVAILABLE : server_->GetErrorText(code, text);
}

std::int32_t ZKServerGate::GetIdentityName(std::uint16_t identity, std::uint16_t subIdentity,
                                           std::string& name) {
    return Closed() ? kE_UNAVAILABLE : server_->GetIdentityName(identity, subIdentity, name);
}

std::int32_t ZKServerGate::StoreProfile(const std::vector<std::uint8_t>& profile) {
    return Closed() ? kE_UNAVAILABLE : server_->StoreProfile(profile);
}

std::int32_t ZKServerGate::GetStoredProfile(const std::string& typeName, std::uint16_t major,
                                            std::uint16_t minor, std::uint16_t build,
                                            std::vector<std::uint8_t>& profile) {
    return Closed() ? kE_UNAVAILABLE : server_->GetStoredProfile(typeName, major, minor, build, profile);
}

std::int32_t ZKServerGate::GetDeviceList(std::vector<std::uint8_t>& list) {
    return Closed() ? kE_UNAVAILABLE : server_->GetDeviceList(list);
}

std::int32_t ZKServerGate::OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                                      std::unique_ptr<IZKDevice>& device) {
    device.reset();
    if (Closed()) return kE_UNAVAILABLE;
    std::unique_ptr<IZKDevice> opened;
    const std::int32_t hresult = server_->OpenDevice(address1, address2, address3, opened);
    if (opened) device = std::make_unique<DeviceGate>(std::move(opened), closed_);
    return hresult;
}

std::int32_t ZKServerGate::GetVersion(std::uint16_t& major, std::uint16_t& minor) {
    return Closed() ? kE_UNAVAILABLE : server_->GetVersion(major, minor);
}

std::int32_t ZKServerGate::Ping() {
    return Closed() ? kE_UNAVAILABLE : server_->Ping();
}

std::int32_t ZKServerGate::SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) {
    return Closed() ? kE_UNAVAILABLE : server_->SelectIdentity(identity, subIdentity);
}

std::int32_t ZKServerGate::GetAccessRights(std::uint16_t identity, std::uint16_t subIdentity,
                                           std::uint8_t& rights, std::uint16_t& status) {
    return Closed() ? kE_UNAVAILABLE : server_->GetAccessRights(identity, subIdentity, rights, status);
}

std::int32_t ZKServerGate::GetBuildNumber(std::uint16_t& build) {
    return Closed() ? kE_UNAVAILABLE : server_->GetBuildNumber(build);
}
