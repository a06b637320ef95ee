#include "Gui/dialog/ZKErrorTree.h"

#include <map>

#include "Common/device/ZKDevice.h"
#include "Common/profile/ZPGlobalErrorDB.h"
#include "Common/profile/ZPLocalErrorDB.h"
#include "Common/profile/ZPProfile.h"
#include "Gui/dialog/ZKErrorItem.h"

namespace {

using Group = ZPLocalErrorDB::Group;

// The causes of one source in its group's order, then the bits the group has no cause for.
void AddCauses(ZKErrorItem& source, const Group& group, const ZKErrorState& state, int referenceBit) {
    const auto add = [&](int bit, std::string text) {
        const std::uint32_t mask = 1u << bit;
        if (state.active & mask)
            source.Add(std::make_unique<ZKErrorItem>(std::move(text), ZKErrorItem::kActiveSlot));
        else if (state.stored & mask)
            source.Add(std::make_unique<ZKErrorItem>(std::move(text), ZKErrorItem::kStoredSlot));
    };
    const int named = static_cast<int>(group.causes.size());
    for (int bit = 0; bit < named && bit < 32; ++bit)
        if (bit != referenceBit) add(bit, group.causes[static_cast<std::size_t>(bit)]->name);
    for (int bit = named; bit < 32; ++bit)
        add(bit, "Unknown Cause bit" + std::to_string(bit));
}

// The line of one source under `groupItem`; nothing while the reference cause is active.
void AddSource(ZKErrorItem& groupItem, const Group& group, const ZPErrorInfo& source,
               const ZKErrorState& state, int referenceBit) {
    std::uint32_t mask = ~0u;
    if (referenceBit >= 0 && referenceBit < 32) {
        if (state.active & (1u << referenceBit)) return;
        mask = ~(1u << referenceBit);
    }
    std::string text = source.name;
    if (state.count != 0) text += " (" + std::to_string(state.count) + ")";
    auto& item = static_cast<ZKErrorItem&>(
        groupItem.Add(std::make_unique<ZKErrorItem>(std::move(text), ZKErrorItem::kNoErrorSlot)));
    item.SetFlags(ZKTreeItem::kHasBox);
    groupItem.SetFlags(ZKTreeItem::kHasBox);
    if (!((state.active | state.stored) & mask)) {
        item.ClearFlags(ZKTreeItem::kHasBox);
        return;
    }
    item.SetColourSlot((state.active & mask) ? ZKErrorItem::kActiveSlot : ZKErrorItem::kStoredSlot);
    item.SetFlags(ZKTreeItem::kOpen);
    groupItem.SetFlags(ZKTreeItem::kOpen);
    if (ZKErrorItem::Severity(item.ColourSlot()) > ZKErrorItem::Severity(groupItem.ColourSlot()))
        groupItem.SetColourSlot(item.ColourSlot());
    AddCauses(item, group, state, referenceBit);
}

}  // namespace

ZKErrorTree::Result ZKErrorTree::Build(ZKDevice* device, const ZPProfile& profile, ZKTreeItems& items) {
    items.clear();
    const ZPGlobalErrorDB* global = profile.GlobalErrorDB();
    const ZPLocalErrorDB* local = profile.LocalErrorDB();
    if (!device) return Result::NoDevice;
    if (!global || !local) return Result::NoDatabases;

    std::vector<std::uint16_t> ids;
    for (const Group& group : local->Groups())
        for (const ZPErrorInfo* source : group.sources)
            ids.push_back(source->id);
    std::vector<ZKErrorState> states;
    if (!device->ReadAllErrorStates(ids, states)) return Result::ReadFailed;
    // A source listed twice takes its last record.
    std::map<std::uint16_t, std::size_t> lastRecord;
    for (std::size_t i = 0; i < ids.size(); ++i)
        lastRecord[ids[i]] = i;

    const ZPErrorInfo* reference = global->ReferenceCause();
    for (const Group& group : local->Groups()) {
        auto groupItem = std::make_unique<ZKErrorItem>(group.name, ZKErrorItem::kNoErrorSlot);
        const int referenceBit = reference ? group.CauseBit(reference) : -1;
        for (const ZPErrorInfo* source : group.sources)
            AddSource(*groupItem, group, *source, states[lastRecord[source->id]], referenceBit);
        items.push_back(std::move(groupItem));
    }
    return Result::Built;
}
