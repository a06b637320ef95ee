#include "Common/device/ZKAccessOptions.h"

#include <algorithm>
#include <cstdio>

#include "Common/device/ZKServer.h"

namespace {

using Record = ZKAccessOptions::Record;

constexpr std::uint16_t kMainPairIdentityFileState = 801;
constexpr std::uint16_t kExtraPairIdentityFileState = 901;

// The records one identity pair adds for one area. `selectors` are the first four access list selectors;
// `secondary` is the secondary id the fallback records carry.
void AddAreaRecords(const ZKServer& server, const ZKDeviceIdentity& identity, std::uint16_t threshold,
                    std::array<std::uint16_t, 4> selectors, std::uint16_t secondary,
                    std::uint16_t identityFileState, std::uint16_t area, std::vector<Record>& records) {
    const bool boxStateOk = identity.boxState >= threshold;
    if (identity.rootId == 0 || !boxStateOk) {
        records.push_back({identity.rootId, secondary, area,
                           boxStateOk ? ZKAccessOption::kNoRootId : ZKAccessOption::kBoxStateTooLow});
        return;
    }
    std::vector<ZKAccessEntry> list;
    if (!server.GetAccessList(selectors[0], selectors[1], selectors[2], selectors[3], area,
                              ZKAccessFilter::All, list))
        return;
    if (list.empty()) {
        if (identity.boxState >= identityFileState)
            records.push_back({identity.rootId, secondary, area, ZKAccessOption::kNoIdentityFile});
        return;
    }
    for (const ZKAccessEntry& e : list)
        records.push_back({e.identity, e.subIdentity, area, e.code});
}

}  // namespace

ZKDeviceAccess ZKAccessOption::Access(const ZKDeviceAccess& caller) const {
    ZKDeviceAccess access = caller;
    access.rootId = rootId;
    access.userId = secondaryId;
    access.codes = codes;
    return access;
}

std::size_t ZKAccessOptions::Build(const ZKServer& server, const ZKDeviceListEntry& entry,
                                   std::uint16_t threshold, std::vector<ZKAccessOption>& options) {
    const ZKDeviceIdentity& id = entry.identity;
    if (id.rootId == 0 && threshold == 0) {
        ZKAccessOption option{&entry, 0, 0, {}};
        option.codes.fill(ZKAccessOption::kNoRootId);
        options.push_back(option);
        return 1;
    }
    std::vector<Record> records;
    for (std::uint16_t area = 0; area < ZKDeviceAccess::kAreaCount; ++area) {
        AddAreaRecords(server, id, threshold, {id.rootId, id.userId, 0, 0}, 0, kMainPairIdentityFileState,
                       area, records);
        for (std::size_t i = 0; i < ZKDeviceIdentity::kExtraIds && id.extraRootIds[i] != 0; ++i)
            AddAreaRecords(server, id, threshold,
                           {id.rootId, id.userId, id.extraRootIds[i], id.extraUserIds[i]}, id.extraRootIds[i],
                           kExtraPairIdentityFileState, area, records);
    }
    const std::size_t before = options.size();
    Fold(std::move(records), entry, options);
    return options.size() - before;
}

bool ZKAccessOptions::BuildAll(const ZKServer& server, const std::vector<ZKDeviceListEntry>& devices,
                               std::uint16_t threshold, std::vector<ZKAccessOption>& options) {
    for (const ZKDeviceListEntry& entry : devices)
        Build(server, entry, threshold, options);
    return !options.empty();
}

void ZKAccessOptions::Fold(std::vector<Record> records, const ZKDeviceListEntry& entry,
                           std::vector<ZKAccessOption>& options) {
    const auto key = [](const Record& r) { return (std::uint32_t{r.rootId} << 16) | r.secondaryId; };
    std::stable_sort(records.begin(), records.end(),
                     [&key](const Record& a, const Record& b) { return key(a) < key(b); });
    for (auto group = records.begin(); group != records.end();) {
        const auto end =
            std::find_if(group, records.end(), [&](const Record& r) { return key(r) != key(*group); });
        if (group->rootId != 0) {
            ZKAccessOption option{&entry, group->rootId, group->secondaryId, {}};
            option.codes.fill(ZKDeviceAccess::kDefaultCode);
            for (auto r = group; r != end; ++r)
                if (r->area < ZKDeviceAccess::kAreaCount)
                    option.codes[r->area] = std::min(option.codes[r->area], r->code);
            options.push_back(option);
        }
        group = end;
    }
}

namespace {

constexpr int kWarningSlot = 37;
constexpr int kTextSlot = 0;

// The row of one option without its filter mark.
ZKAccessRow OptionRow(const ZKServer& server, const ZKAccessOption& option, const ZKDeviceAccess& caller,
                      std::uint16_t threshold) {
    const ZKDeviceIdentity& id = option.entry->identity;
    ZKAccessRow row;
    std::string reason;
    std::string name;
    std::string boxState;
    ZKBoxStateName(id.boxState, boxState);
    std::uint16_t worstWanted = 0;
    const bool named = server.IdentityName(option.rootId, option.secondaryId, name);
    if (named && id.boxState < threshold) {
        reason = "BOXSTATE - " + boxState;
        row.enabled = false;
    } else if (named) {
        std::uint16_t worstRequired = 0;
        std::size_t wantedArea = 0;
        for (std::size_t area = 0; area < ZKDeviceAccess::kAreaCount; ++area) {
            const std::uint16_t code = option.codes[area];
            if (caller.required[area]) {
                if (code != 0) row.enabled = false;
                worstRequired = std::max(worstRequired, code);
            } else if (caller.wanted[area] && code > worstWanted) {
                worstWanted = code;
                wantedArea = area;
            }
        }
        std::string text;
        if (worstRequired > 0) {
            server.ErrorText(worstRequired, &id, reason);
        } else if (worstWanted > 0) {
            server.ErrorText(worstWanted, &id, text);
            reason = std::string(ZKAccessOptions::kAreaNames[wantedArea]) + " - " + text;
        }
    } else {
        name = option.entry->description;
        if (option.rootId > 0) row.enabled = false;
        if (id.boxState < threshold) {
            reason = "BOXSTATE - " + boxState;
            row.enabled = false;
        }
        if (option.codes[0] == ZKAccessOption::kNoIdentityFile) reason = "No Identity File";
    }
    char text[1400];
    std::snprintf(text, sizeof text, "%s#%04d %d-%d-%d %s", id.typeName.c_str(),
                  static_cast<int>(id.serialNumber), id.mainMajor, id.mainMinor, id.mainBuild, name.c_str());
    row.text = text;
    if (!reason.empty()) row.text += " : " + reason;
    row.colourSlot = worstWanted > 0 ? kWarningSlot : kTextSlot;
    return row;
}

}  // namespace

std::optional<std::size_t> ZKAccessOptions::BestOption(const std::vector<ZKAccessOption>& options,
                                                       const ZKDeviceAccess& caller) {
    std::optional<std::size_t> best;
    int bestScore = 0;
    for (std::size_t i = 0; i < options.size(); ++i) {
        int score = 0;
        for (std::size_t area = 0; area < ZKDeviceAccess::kAreaCount; ++area) {
            const bool granted = options[i].codes[area] == 0;
            if (caller.required[area] && !granted) score -= 14;
            if (caller.wanted[area] && granted) score += 1;
        }
        if (!best || score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best && bestScore >= 0 ? best : std::nullopt;
}

ZKAccessRows ZKAccessOptions::BuildRows(const ZKServer& server, const std::vector<ZKAccessOption>& options,
                                        const ZKDeviceAccess& caller, std::uint16_t threshold,
                                        const std::vector<std::string>& filter,
                                        std::optional<std::pair<std::uint16_t, std::uint16_t>> previous) {
    ZKAccessRows result;
    std::optional<std::size_t> reselect;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const ZKAccessOption& option = options[i];
        ZKAccessRow row = OptionRow(server, option, caller, threshold);
        row.option = i;
        const std::string& type = option.entry->identity.typeName;
        if (!filter.empty() && std::find(filter.begin(), filter.end(), type) == filter.end()) {
            row.enabled = false;
            row.text = "{Filtered} " + row.text;
        }
        if (previous && previous->first == option.rootId && previous->second == option.secondaryId)
            reselect = i;
        result.okEnabled = result.okEnabled || row.enabled;
        result.rows.push_back(std::move(row));
    }
    std::stable_sort(result.rows.begin(), result.rows.end(),
                     [](const ZKAccessRow& a, const ZKAccessRow& b) { return a.text < b.text; });
    const std::optional<std::size_t> wanted = reselect ? reselect : BestOption(options, caller);
    for (std::size_t r = 0; r < result.rows.size(); ++r)
        if (wanted && result.rows[r].option == *wanted) result.selected = static_cast<int>(r);
    if (result.selected < 0 && !result.rows.empty()) result.selected = 0;
    return result;
}
