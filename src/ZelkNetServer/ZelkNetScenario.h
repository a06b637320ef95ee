#pragma once
// A scenario: the simulated world that zelknetserver serves, read from a TOML file (format in
// docs/scenario.md). Reading checks every value; the first problem stops the reading with a message that
// names the file and line.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/device/ZKDeviceRecords.h"

struct ZelkNetServerVersion {
    std::uint16_t major = 2;
    std::uint16_t minor = 15;
    std::uint16_t build = 0;
};

struct ZelkNetIdentityName {
    std::uint16_t root = 0;
    std::uint16_t user = 0;
    std::string name;
    std::uint8_t rights = 0x0F;  // mask answered by the access rights operation
};

struct ZelkNetAccessEntry {
    std::uint16_t root = 0;
    std::uint16_t user = 0;
    std::uint16_t area = 0;
    std::vector<std::array<std::uint16_t, 3>> triples;
};

struct ZelkNetStoredProfile {
    std::string typeName;
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t build = 0;
    ZKBytes bytes;
};

struct ZelkNetScriptLine {
    std::string text;
    std::uint32_t delayMs = 0;  // after the previous line (or after the start for the first)
};

// Random chatter: messages at an average rate, each an alarm with the given chance.
struct ZelkNetChatter {
    double ratePerSecond = 0;
    std::vector<std::string> texts;
    std::vector<std::string> alarms;
    double alarmChance = 0;
};

// `count` messages at once, at `atMs` after the start and then every `everyMs` (0 = once). "{n}" in the
// text becomes the message's number within the burst, counted from 1.
struct ZelkNetBurst {
    std::uint32_t atMs = 0;
    std::uint32_t everyMs = 0;
    std::uint32_t count = 0;
    std::string text;
};

struct ZelkNetErrorSpec {
    std::uint16_t id = 0;
    std::uint32_t active = 0;
    std::uint32_t stored = 0;
    std::uint32_t count = 0;
    std::uint32_t periodMs = 0;  // > 0: the active bits come and go with this period
};

struct ZelkNetDeviceSpec {
    std::uint32_t address1 = 0;
    std::uint32_t address2 = 0;
    std::uint16_t address3 = 0;
    std::string description;
    bool plugged = true;
    ZKDeviceIdentity identity;

    std::vector<ZelkNetScriptLine> script;
    bool repeatScript = false;
    std::optional<ZelkNetChatter> chatter;
    std::vector<ZelkNetBurst> bursts;

    std::vector<ZelkNetErrorSpec> errors;
    ZKBytes store;  // the device store from address 0
    std::optional<ZKProfileLocation> profileLocation;
    std::vector<std::uint16_t> features;           // at most 64
    std::map<std::uint16_t, ZKBytes> calibration;  // by section (1 renaming, 3 select renaming)
    std::uint8_t defaultItemRights = 0x0F;
    std::map<std::uint16_t, std::uint8_t> itemRights;  // by item position
    std::map<std::uint16_t, std::uint32_t> monitorValues;
};

struct ZelkNetScenario {
    static constexpr std::size_t kMaxDevices = 256;
    static constexpr std::size_t kMaxStoreSize = 16u << 20;
    static constexpr std::size_t kMaxFeatures = 64;

    ZelkNetServerVersion version;
    std::uint32_t seed = 1;
    std::vector<ZelkNetIdentityName> identityNames;
    std::vector<ZelkNetAccessEntry> access;
    std::vector<ZelkNetStoredProfile> storedProfiles;
    std::map<std::uint16_t, std::string> errorTexts;
    std::vector<ZelkNetDeviceSpec> devices;

    struct ReadOptions {
        std::string sourceName = "scenario";  // named in messages
        std::string baseFolder = ".";         // relative byte files are found here
        bool allowFiles = true;               // false: a "file" key is an error (for untrusted text)
    };
    // Reads a scenario from TOML text. On failure returns nothing and sets `error` to
    // "<source>:<line>: <what is wrong>".
    static std::optional<ZelkNetScenario> Parse(std::string_view text, const ReadOptions& options,
                                                std::string& error);
    static std::optional<ZelkNetScenario> Load(const std::string& path, std::string& error);
};
