#pragma once
// An in-process IZKServer for unit tests: scripted answers, recorded calls, no threads of its own.
//
// Copies share one state, so a test keeps one copy to script and inspect while the code under test owns
// another (for example the one a ZKServer factory returns). Every operation locks that state, so calls may
// come from any thread. Devices are added by address and handed out from OpenDevice as copies of the
// test's FakeZKDevice.

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include "Common/device/IZKServer.h"
#include "support/FakeZKDevice.h"

class FakeZKServer final : public IZKServer {
public:
    enum class Op {
        GetAccessList,
        GetErrorText,
        GetIdentityName,
        StoreProfile,
        GetStoredProfile,
        GetDeviceList,
        OpenDevice,
        GetVersion,
        Ping,
        SelectIdentity,
        GetAccessRights,
        GetBuildNumber,
    };

    FakeZKServer();

    // --- scripting ---
    // GetBuildNumber fails with E_NOTIMPL on servers before 2.7, as real ones do.
    void SetVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build = 0);
    void SetDeviceList(std::vector<std::uint8_t> bytes);
    void SetIdentityName(std::uint16_t identity, std::uint16_t subIdentity, std::string name);
    // The words answered for the five selectors; other selectors get an empty list.
    void SetAccessList(std::array<std::uint16_t, 5> selectors, std::vector<std::uint16_t> words);
    void SetErrorText(std::uint16_t code, std::string text);  // unknown codes: "Error <code>"
    void SetAccessRights(std::uint16_t identity, std::uint16_t subIdentity, std::uint8_t rights);  // status 0
    void AddDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                   FakeZKDevice device);
    // The HRESULT that `op` answers with from now on; a failing call leaves its outputs empty.
    void SetHResult(Op op, std::int32_t hresult);

    // --- inspection ---
    int Calls(Op op) const;
    std::vector<std::uint8_t> StoredProfile() const;  // the last profile stored
    std::pair<std::uint16_t, std::uint16_t> SelectedIdentity() const;

    // --- IZKServer ---
    std::int32_t GetAccessList(std::uint16_t selector1, std::uint16_t selector2, std::uint16_t selector3,
                               std::uint16_t selector4, std::uint16_t selector5,
                               std::vector<std::uint16_t>& words) override;
    std::int32_t GetErrorText(std::uint16_t code, std::string& text) override;
    std::int32_t GetIdentityName(std::uint16_t identity, std::uint16_t subIdentity,
                                 std::string& name) override;
    std::int32_t StoreProfile(const std::vector<std::uint8_t>& profile) override;
    std::int32_t GetStoredProfile(const std::string& typeName, std::uint16_t major, std::uint16_t minor,
                                  std::uint16_t build, std::vector<std::uint8_t>& profile) override;
    std::int32_t GetDeviceList(std::vector<std::uint8_t>& list) override;
    std::int32_t OpenDevice(std::uint32_t address1, std::uint32_t address2, std::uint16_t address3,
                            std::unique_ptr<IZKDevice>& device) override;
    std::int32_t GetVersion(std::uint16_t& major, std::uint16_t& minor) override;
    std::int32_t Ping() override;
    std::int32_t SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity) override;
    std::int32_t GetAccessRights(std::uint16_t identity, std::uint16_t subIdentity, std::uint8_t& rights,
                                 std::uint16_t& status) override;
    std::int32_t GetBuildNumber(std::uint16_t& build) override;

private:
    using Pair = std::pair<std::uint16_t, std::uint16_t>;
    using Address = std::tuple<std::uint32_t, std::uint32_t, std::uint16_t>;
    struct State {
        mutable std::mutex lock;
        std::uint16_t major = 2;
        std::uint16_t minor = 11;
        std::uint16_t build = 0;
        std::vector<std::uint8_t> deviceList;
        std::map<Pair, std::string> identityNames;
        std::map<std::array<std::uint16_t, 5>, std::vector<std::uint16_t>> accessLists;
        std::map<std::uint16_t, std::string> errorTexts;
        std::map<Pair, std::uint8_t> accessRights;
        std::map<Address, FakeZKDevice> devices;
        std::vector<std::uint8_t> storedProfile;  // kept under any type name and version
        Pair selected;
        std::map<Op, std::int32_t> hresults;
        std::map<Op, int> calls;
    };

    // Counts the call and gives its scripted HRESULT; the lock stays held by `guard`.
    std::int32_t Begin(std::unique_lock<std::mutex>& guard, Op op);

    std::shared_ptr<State> state_;
};
