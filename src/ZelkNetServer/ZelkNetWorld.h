#pragma once
// Everything the server serves: the scenario's server-wide data, the devices, the client sessions with the
// device handles they opened, the faults tests asked for, and the clock that drives the simulation.
// Thread-safe; the gRPC handler threads share one world.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ZelkNetServer/ZelkNetDevice.h"
#include "ZelkNetServer/ZelkNetHungCalls.h"
#include "ZelkNetServer/ZelkNetScenario.h"
#include "ZelkNetServer/ZelkNetSimDevice.h"

enum class ZelkNetFault { None, Fail, Hang };

class ZelkNetWorld {
public:
    explicit ZelkNetWorld(const ZelkNetScenario& scenario);
    ~ZelkNetWorld();
    ZelkNetWorld(const ZelkNetWorld&) = delete;
    ZelkNetWorld& operator=(const ZelkNetWorld&) = delete;

    // Starts and stops the simulation clock (a tick every few milliseconds). Stop also answers every call
    // that hangs on purpose.
    void Start();
    void Stop();
    bool Stopping() const { return stopping_; }

    // Server-wide data (not changed after construction).
    const ZelkNetServerVersion& Version() const { return version_; }
    bool VersionAtLeast(std::uint16_t major, std::uint16_t minor) const;
    const ZelkNetScenario& Scenario() const { return scenario_; }

    std::size_t DeviceCount() const { return devices_.size(); }
    ZelkNetSimDevice* SimDevice(std::size_t index) const;
    // The list entries of the reachable devices, in scenario order.
    std::vector<ZKDeviceListEntry> ReachableDevices() const;

    // Sessions: a client's open Attach call. Handles belong to a session and close with it.
    std::uint64_t OpenSession();
    void CloseSession(std::uint64_t session);
    // A handle for the reachable device at this address, or 0 (no such session, no such device).
    std::uint64_t OpenDevice(std::uint64_t session, std::uint32_t address1, std::uint32_t address2,
                             std::uint16_t address3);
    std::shared_ptr<ZelkNetDevice> DeviceForHandle(std::uint64_t handle) const;
    std::size_t OpenHandleCount() const;
    std::size_t SessionCount() const;

    // Faults: the next `count` calls of an operation ("Server.Ping", "Device.GetNextMessage") fail or hang;
    // kEveryOperation stands for the calls of every operation without a fault of its own.
    static constexpr const char* kEveryOperation = "*";
    void InjectFault(const std::string& operation, std::uint32_t count, bool hang);
    ZelkNetFault TakeFault(std::string_view operation);
    void SetPingAnswer(bool answer) { answerPing_ = answer; }
    bool PingAnswer() const { return answerPing_; }
    // The calls that hang on purpose; the clock releases them once their clients gave up.
    ZelkNetHungCalls& HungCalls() { return hungCalls_; }

    // Keeps a profile image handed in by a client, keyed by the device type and code version in its header
    // (code branch, version and revision stand for the main code's major, minor and build). False, and
    // nothing kept, when the header or check word is bad. An image of the same key replaces the one kept;
    // beyond the limits below the oldest images go.
    bool StoreProfile(ZKBytes image);
    // The profile image for a device type and main code version: the newest stored one, else the
    // scenario's; nothing when neither has one.
    std::optional<ZKBytes> StoredProfile(const std::string& typeName, std::uint16_t major,
                                         std::uint16_t minor, std::uint16_t build) const;
    std::size_t StoredProfileCount() const;
    static constexpr std::size_t kMaxStoredProfiles = 64;
    static constexpr std::size_t kMaxStoredBytes = 32u << 20;

    void SelectIdentity(std::uint16_t identity, std::uint16_t subIdentity);

private:
    void RunClock();

    const ZelkNetScenario scenario_;
    const ZelkNetServerVersion version_;
    std::vector<std::shared_ptr<ZelkNetSimDevice>> devices_;

    mutable std::mutex mutex_;  // sessions, handles, faults, stored profiles
    std::uint64_t nextSession_ = 1;
    std::uint64_t nextHandle_ = 1;
    std::map<std::uint64_t, bool> sessions_;
    struct Handle {
        std::uint64_t session;
        std::shared_ptr<ZelkNetDevice> device;
    };
    std::map<std::uint64_t, Handle> handles_;
    struct Fault {
        std::uint32_t count;
        bool hang;
    };
    std::map<std::string, Fault, std::less<>> faults_;
    struct StoredImage {
        std::string typeName;
        std::uint16_t major;
        std::uint16_t minor;
        std::uint16_t build;
        ZKBytes bytes;
    };
    std::vector<StoredImage> storedProfiles_;  // oldest first
    std::size_t storedBytes_ = 0;
    std::pair<std::uint16_t, std::uint16_t> selectedIdentity_{};

    ZelkNetHungCalls hungCalls_;
    std::atomic<bool> answerPing_{true};
    std::atomic<bool> stopping_{false};
    mutable std::mutex clockMutex_;
    mutable std::condition_variable clockWake_;
    std::thread clock_;
};
