#include "Common/device/ZKDeviceItemTable.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

#include "Platform/ZKAssert.h"

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
