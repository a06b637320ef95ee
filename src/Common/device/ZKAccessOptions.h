#pragma once
// The ways a device may be opened: one access option per identity pair (root id, secondary id) that the
// server grants something to, with the server's access code for each of the 14 access areas. The device
// chooser shows one row per option; automatic connection opens the first option found.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Common/device/ZKDeviceAccess.h"
#include "Common/device/ZKDeviceRecords.h"

class ZKServer;

struct ZKAccessOption {
    static constexpr std::uint16_t kNoRootId = 10000;
    static constexpr std::uint16_t kBoxStateTooLow = 10001;
    static constexpr std::uint16_t kNoIdentityFile = 1002;

    const ZKDeviceListEntry* entry = nullptr;  // the device; the list it points into must outlive the option
    std::uint16_t rootId = 0;
    std::uint16_t secondaryId = 0;  // the user id; 0 for root access
    std::array<std::uint16_t, ZKDeviceAccess::kAreaCount> codes{};

    // The access description to open the device with: this option's identity pair and codes, the required
    // and wanted flags of `caller`.
    ZKDeviceAccess Access(const ZKDeviceAccess& caller = {}) const;

    bool operator==(const ZKAccessOption&) const = default;
};

// One row of the device chooser: its text, its colour slot (37 when a wanted area is not granted, else 0),
// whether it can be chosen, and the option it stands for.
struct ZKAccessRow {
    std::string text;
    int colourSlot = 0;
    bool enabled = true;
    std::size_t option = 0;

    bool operator==(const ZKAccessRow&) const = default;
};

// The chooser's rows, sorted by text, with the row to select (-1 for none) and whether OK can be pressed.
struct ZKAccessRows {
    std::vector<ZKAccessRow> rows;
    int selected = -1;
    bool okEnabled = false;
};

class ZKAccessOptions {
public:
    static constexpr std::array<const char*, ZKDeviceAccess::kAreaCount> kAreaNames = {
        "UserAccessProgramming", "CodeProgramming", "CalibrationProgramming",
        "StoreProgramming",      "Calibration",     "LoggingSetup",
        "LoggingDownload",       "LoggingClear",    "Scrutineering",
        "LoggingAnalysis",       "Monitoring",      "ClearFuelCons",
        "ClearLogbook",          "ZeroSensors"};

    // One access list answer as it lands in the options, before folding.
    struct Record {
        std::uint16_t rootId = 0;
        std::uint16_t secondaryId = 0;
        std::uint16_t area = 0;
        std::uint16_t code = 0;
    };

    // Appends the options of one device for box state threshold `threshold`, asking the server's access
    // lists for the device's main identity pair and its extra identities, area by area. A device without a
    // root id at threshold 0 gives one option (0, 0) with "no root id" in every area. Returns how many
    // options were appended.
    static std::size_t Build(const ZKServer& server, const ZKDeviceListEntry& entry, std::uint16_t threshold,
                             std::vector<ZKAccessOption>& options);
    // The options of every device, in list order; false when there are none.
    static bool BuildAll(const ZKServer& server, const std::vector<ZKDeviceListEntry>& devices,
                         std::uint16_t threshold, std::vector<ZKAccessOption>& options);

    // The chooser's rows for `options`: the device, its code version and the identity's name (or the
    // device's description when the server has no name), with the reason an option cannot be used or lacks
    // a wanted area; devices below `threshold` or outside a non-empty `filter` cannot be chosen. The row of
    // `previous` (root id, secondary id) is selected again, else the row of the best option, else the first.
    static ZKAccessRows BuildRows(const ZKServer& server, const std::vector<ZKAccessOption>& options,
                                  const ZKDeviceAccess& caller, std::uint16_t threshold,
                                  const std::vector<std::string>& filter,
                                  std::optional<std::pair<std::uint16_t, std::uint16_t>> previous);
    // The option that meets the caller's access best: -14 per required area not granted, +1 per wanted
    // area granted; the first of the highest score, only when that score is 0 or more.
    static std::optional<std::size_t> BestOption(const std::vector<ZKAccessOption>& options,
                                                 const ZKDeviceAccess& caller);

    // Sorts the records by identity pair (stable) and folds each pair into one option whose area codes are
    // the smallest code given for the area (3000 where none was); pairs with root id 0 give no option.
    static void Fold(std::vector<Record> records, const ZKDeviceListEntry& entry,
                     std::vector<ZKAccessOption>& options);
};
