#pragma once
// A device from a scenario: its identity, message sources, error states, store, features, calibrations and
// item rights, plus the controls that tests and demos use to change it. A device declared with a real text
// link is reachable only while its link is up (and it is plugged); the link queues the lines it reads.

#include <map>
#include <mutex>
#include <optional>
#include <random>

#include "ZelkNetServer/ZelkNetDevice.h"
#include "ZelkNetServer/ZelkNetMessageQueue.h"
#include "ZelkNetServer/ZelkNetScenario.h"

// The identity fields SimControl may change; unset fields stay as they are.
struct ZelkNetIdentityChange {
    std::optional<std::string> typeName;
    std::optional<std::uint16_t> rootId;
    std::optional<std::uint16_t> mainMajor;
    std::optional<std::uint16_t> mainMinor;
    std::optional<std::uint16_t> mainBuild;
    std::optional<std::uint16_t> boxState;
};

class ZelkNetSimDevice final : public ZelkNetDevice {
public:
    ZelkNetSimDevice(ZelkNetDeviceSpec desc, std::uint32_t seed, ZelkNetQueueLimits limits = {});

    ZKDeviceListEntry ListEntry() const override;
    bool Reachable() const override;

    ZelkNetResult Identify(ZKDeviceIdentity& identity) override;
    ZelkNetResult NextMessage(std::string& text) override;
    ZelkNetResult ReadStore(std::uint32_t address, std::uint32_t length, ZKBytes& bytes) override;
    ZelkNetResult ReadMonitorValues(std::uint32_t key, std::span<const std::uint16_t> items,
                                    std::vector<std::uint32_t>& values) override;
    ZelkNetResult ReadErrorStates(std::uint32_t key, std::span<const std::uint16_t> ids,
                                  ZKBytes& records) override;
    ZelkNetResult ClearErrors(std::uint32_t key) override;
    ZelkNetResult GetProfileLocation(std::uint32_t key, ZKProfileLocation& location) override;
    ZelkNetResult GetFeatures(std::uint32_t key,
                              std::array<std::uint16_t, zknet::kFeatureCount>& ids) override;
    ZelkNetResult Ping() override;
    ZelkNetResult ReadItemRights(std::uint32_t key, std::uint16_t first, std::uint16_t count,
                                 ZKBytes& rights) override;
    ZelkNetResult ReadCalibration(std::uint32_t key, std::uint16_t section, std::uint16_t offset,
                                  std::uint16_t length, ZKBytes& bytes) override;
    void Tick(std::uint64_t nowMs) override;

    // Simulation controls.
    void SetPlugged(bool plugged);
    // The state of the device's text link (always up without one).
    void SetLinkUp(bool up);
    void QueueMessages(const std::vector<std::string>& texts);
    void ChangeIdentity(const ZelkNetIdentityChange& change);
    void SetErrorState(std::uint16_t id, std::uint32_t active, std::uint32_t stored, std::uint32_t count);
    std::size_t PendingMessages() const { return queue_.Size(); }

private:
    struct ErrorState {
        std::uint32_t active = 0;
        std::uint32_t stored = 0;
        std::uint32_t count = 0;
        std::uint32_t periodMs = 0;
        std::uint32_t flappingBits = 0;  // the active bits that come and go
    };

    // Checks reachability and the identity key; the first failure, or nothing.
    std::optional<ZelkNetResult> Refuse(std::uint32_t key) const;
    bool Up() const { return plugged_ && linkUp_; }
    void RunScript(std::uint64_t nowMs, bool talking);
    void RunChatter(std::uint64_t nowMs, bool talking);
    void RunBursts(std::uint64_t nowMs, bool talking);
    void RunErrors(std::uint64_t nowMs);
    double NextChatterGap();

    mutable std::mutex mutex_;  // everything below except the queue, which locks itself
    ZelkNetDeviceSpec spec_;
    bool plugged_;
    bool linkUp_;
    std::map<std::uint16_t, ErrorState> errors_;
    ZelkNetMessageQueue queue_;

    std::size_t scriptLine_ = 0;
    std::uint64_t scriptDue_ = 0;
    double chatterDue_ = 0;  // in milliseconds of the world clock
    std::vector<std::uint64_t> burstDue_;
    std::mt19937 random_;
};
