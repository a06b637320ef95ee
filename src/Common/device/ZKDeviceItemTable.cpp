#include "Common/device/ZKDeviceItemTable.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

#include "Common/NumberSyntax.h"
#include "Common/profile/ZPOpenMap.h"
#include "Common/profile/ZPProfile.h"
#include "Platform/ZKAssert.h"

namespace {

// The raw type of an item's TYPE and BITS.
std::uint32_t RawTypeOf(const std::string& type, std::int64_t bits) {
    using Table = ZKDeviceItemTable;
    if (type == "REAL") return bits == 32 ? Table::kRawFloat : Table::kRawNone;
    const bool isSigned = type == "SIGNED";
    if (type != "UNSIGNED" && !isSigned) return Table::kRawNone;
    if (bits >= 1 && bits <= 8) return isSigned ? Table::kRawI8 : Table::kRawU8;
    if (bits > 8 && bits <= 16) return isSigned ? Table::kRawI16 : Table::kRawU16;
    if (bits > 16 && bits <= 32) return isSigned ? Table::kRawI32 : Table::kRawU32;
    return Table::kRawNone;
}

double RealValue(const ZPOpenMap& item, const char* keyword, double fallback) {
    double value = fallback;
    const std::string text = item.Value(keyword);
    return !text.empty() && ParseRealToken(text, value) ? value : fallback;
}

}  // namespace

std::vector<ZKDeviceItemTable::Item> ZKDeviceItemTable::ItemsOf(const ZPProfile& profile) {
    std::vector<Item> items;
    for (const ZPMap* map : profile.MapsOfKind(ZP_ITEM)) {
        const auto* item = dynamic_cast<const ZPOpenMap*>(map);
        std::int64_t id = 0;
        std::int64_t bits = 0;
        if (!item || item->IsTemplate() || !ParseIntegerToken(item->Value("ID"), id)) continue;
        ParseIntegerToken(item->Value("BITS"), bits);
        const double scale = RealValue(*item, "SCALE", 1.0);
        const double offset = RealValue(*item, "OFFSET", 0.0);
        items.push_back({static_cast<std::uint16_t>(id), RawTypeOf(item->Value("TYPE"), bits),
                         [scale, offset](double raw, double& scaled) {
                             scaled = raw * scale + offset;
                             return true;
                         }});
    }
    return items;
}

void ZKDeviceItemTable::Rebuild(const std::vector<Item>& items) {
    std::vector<Entry> entries;
    entries.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        entries.push_back({items[i].id, static_cast<std::uint16_t>(i), items[i].rawType, items[i].scale});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.id < b.id; });
    std::lock_guard guard(lock_);
    entries_ = std::move(entries);
    if (entries_.empty()) throw std::runtime_error("no items");
}

void ZKDeviceItemTable::Clear() {
    std::lock_guard guard(lock_);
    entries_.clear();
}

std::size_t ZKDeviceItemTable::Count() const {
    std::lock_guard guard(lock_);
    return entries_.size();
}

const ZKDeviceItemTable::Entry* ZKDeviceItemTable::Find(std::uint16_t id) const {
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), id,
                                        [](const Entry& entry, std::uint16_t key) { return entry.id < key; });
    return found != entries_.end() && found->id == id ? &*found : nullptr;
}

bool ZKDeviceItemTable::PositionOf(std::uint16_t id, std::uint16_t& position) const {
    std::lock_guard guard(lock_);
    const Entry* entry = Find(id);
    if (!entry) return false;
    position = entry->position;
    return true;
}

bool ZKDeviceItemTable::Convert(std::uint16_t id, std::uint32_t raw, double& value) const {
    std::lock_guard guard(lock_);
    const Entry* entry = Find(id);
    if (!entry || !ZKASSERT(entry->rawType <= kRawNone)) return false;
    double rawValue = 0;
    if (!entry->scale || !RawToDouble(entry->rawType, raw, rawValue)) return false;
    return entry->scale(rawValue, value);
}

bool ZKDeviceItemTable::RawToDouble(std::uint32_t rawType, std::uint32_t raw, double& value) {
    switch (rawType) {
        case kRawU8:
            value = static_cast<std::uint8_t>(raw);
            return true;
        case kRawI8:
            value = static_cast<std::int8_t>(raw);
            return true;
        case kRawU16:
            value = static_cast<std::uint16_t>(raw);
            return true;
        case kRawI16:
            value = static_cast<std::int16_t>(raw);
            return true;
        case kRawU32:
            value = raw;
            return true;
        case kRawI32:
            value = static_cast<std::int32_t>(raw);
            return true;
        case kRawFloat:
            value = std::bit_cast<float>(raw);
            return true;
        default:  // a double does not fit one word; kRawNone has no value
            return false;
    }
}
