#pragma once
// An in-process IZKDevice for unit tests: scripted answers, recorded calls, no threads of its own.
//
// Copies share one state, so a test keeps one copy to script and inspect while the code under test owns
// another (FakeZKServer hands out such copies from OpenDevice). Every operation locks that state, so
// calls may come from any thread.

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Common/device/IZKDevice.h"

class FakeZKDevice final : public IZKDevice {
public:
    enum class Op {
        Identify,
        GetNextMessage,
        ReadStore,
        ReadMonitorValues,
        ReadErrorStates,
        ClearErrors,
        GetProfileLocation,
        GetFeatures,
        Ping,
        ReadItemRights,
        ReadCalibration,
        IdentifyEx,
        GetGroup,
    };

    FakeZKDevice();

    // --- scripting ---
    void SetIdentity(const ZKDeviceIdentity& identity);
    void QueueMessages(const std::vector<std::string>& texts);
    void SetStore(std::vector<std::uint8_t> bytes);
    void SetMonitorValue(std::uint16_t itemId, std::uint32_t value);
    void SetErrorState(std::uint16_t errorId, ZKErrorState state);
    void SetProfileLocation(const ZKProfileLocation& location);
    void SetFeatures(const Features& features);
    void SetItemRights(std::vector<std::uint8_t> rightsByPosition);
    void SetCalibration(std::uint16_t section, std::vector<std::uint8_t> bytes);
    // The HRESULT and the result code that `op` answers with from now on (Ping ignores the code). A failing
    // call leaves its outputs empty.
    void SetAnswer(Op op, std::int32_t hresult, std::uint16_t result = 0);
    // Offers a group interface whose keep-alive answers `keepAlive`; groups not offered fail with E_NOTIMPL.
    void OfferGroup(ZKDeviceGroup group, std::int32_t keepAlive = 0);
    void SetKeepAlive(ZKDeviceGroup group, std::int32_t keepAlive);

    // --- inspection ---
    int Calls(Op op) const;
    std::uint32_t LastKey() const;  // the key of the last call that takes one
    int KeepAlives(ZKDeviceGroup group) const;
    // The two words the last fetch of `group` passed.
    std::pair<std::uint16_t, std::uint16_t> GroupWords(ZKDeviceGroup group) const;

    // --- IZKDevice ---
    std::int32_t Identify(ZKDeviceIdentity& identity, std::uint16_t& result) override;
    std::int32_t GetNextMessage(std::string& text, std::uint16_t& result) override;
    std::int32_t ReadStore(std::uint32_t address, std::uint32_t length, std::vector<std::uint8_t>& data,
                           std::uint16_t& result) override;
    std::int32_t ReadMonitorValues(std::uint32_t key, const std::vector<std::uint16_t>& itemIds,
                                   std::vector<std::uint32_t>& values, std::uint16_t& result) override;
    std::int32_t ReadErrorStates(std::uint32_t key, const std::vector<std::uint16_t>& errorIds,
                                 std::vector<ZKErrorState>& states, std::uint16_t& result) override;
    std::int32_t ClearErrors(std::uint32_t key, std::uint16_t& result) override;
    std::int32_t GetProfileLocation(std::uint32_t key, ZKProfileLocation& location,
                                    std::uint16_t& result) override;
    std::int32_t GetFeatures(std::uint32_t key, Features& features, std::uint16_t& result) override;
    std::int32_t Ping() override;
    std::int32_t ReadItemRights(std::uint32_t key, std::uint16_t firstItem, std::uint16_t count,
                                std::vector<std::uint8_t>& rights, std::uint16_t& result) override;
    std::int32_t ReadCalibration(std::uint32_t key, std::uint16_t section, std::uint16_t offset,
                                 std::uint16_t length, std::vector<std::uint8_t>& data,
                                 std::uint16_t& result) override;
    std::int32_t IdentifyEx(ZKDeviceIdentity& identity, std::uint16_t& result) override;
    std::int32_t GetGroup(ZKDeviceGroup group, std::uint16_t word1, std::uint16_t word2,
                          std::unique_ptr<IZKDeviceGroup>& out) override;

private:
    struct Answer {
        std::int32_t hresult = 0;
        std::uint16_t result = 0;
    };
    struct State {
        mutable std::mutex lock;
        ZKDeviceIdentity identity;
        std::deque<std::string> messages;
        std::vector<std::uint8_t> store;
        std::map<std::uint16_t, std::uint32_t> monitorValues;
        std::map<std::uint16_t, ZKErrorState> errorStates;
        ZKProfileLocation location;
        Features features{};
        std::vector<std::uint8_t> itemRights;
        std::map<std::uint16_t, std::vector<std::uint8_t>> calibrations;
        std::map<Op, Answer> answers;
        std::map<Op, int> calls;
        std::uint32_t lastKey = 0;
        struct Group {
            bool offered = false;
            std::int32_t keepAlive = 0;
            int keepAlives = 0;
            std::pair<std::uint16_t, std::uint16_t> words;
        };
        std::map<ZKDeviceGroup, Group> groups;
    };
    class FakeGroup;

    // Counts the call (and its key) and gives the scripted answer; the lock stays held by `guard`.
    Answer Begin(std::unique_lock<std::mutex>& guard, Op op, std::uint16_t& result,
                 const std::uint32_t* key = nullptr);

    std::shared_ptr<State> state_;
};
