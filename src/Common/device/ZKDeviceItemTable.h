#pragma once
// The device's table of profile items for its monitor worker: per item its id, its position in the
// profile's item list, the type of its raw value and its scale, sorted by id for binary search. Raw values
// arrive as one u32 word each and are converted here into engineering units.
//
// The table is rebuilt on the GUI thread (when the device is marked in sync) and read by the device's
// worker; every operation takes the table's own lock for that one access.
//
// The table is filled from plain Item records; ItemsOf reads them from a profile's ITEM objects, and a
// device's owner may list them otherwise (ZKDevice::Hooks).

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class ZPProfile;

class ZKDeviceItemTable {
public:
    enum RawType : std::uint32_t {
        kRawU8 = 0,  // the word's low byte
        kRawI8 = 1,
        kRawU16 = 2,  // the word's low half
        kRawI16 = 3,
        kRawU32 = 4,  // stays positive above 2147483647
        kRawI32 = 5,
        kRawFloat = 6,   // the word's bits
        kRawDouble = 7,  // cannot travel in one word: never converts
        kRawNone = 8,    // an item without a raw value
    };

    // Raw value (already a double) to engineering units; false when the value has none. Empty = no scale.
    using Scale = std::function<bool(double raw, double& scaled)>;

    struct Item {
        std::uint16_t id = 0;
        std::uint32_t rawType = kRawNone;
        Scale scale;
    };

    // The items of `profile` in definition order (templates left out): ID, the raw type from TYPE (UNSIGNED,
    // SIGNED, REAL) and BITS, and the scale raw * SCALE + OFFSET (1 and 0 when absent). Items whose raw
    // value does not fit one word get kRawNone.
    static std::vector<Item> ItemsOf(const ZPProfile& profile);

    // Replaces the table by one entry per item, its position being its index in `items`, then sorts by id.
    // An empty list throws std::runtime_error("no items") and leaves the table empty.
    void Rebuild(const std::vector<Item>& items);
    void Clear();

    std::size_t Count() const;
    // The position in the profile's item list of the item with that id; false when it is not in the table.
    bool PositionOf(std::uint16_t id, std::uint16_t& position) const;
    // The raw word of item `id` in engineering units. False when the item is unknown, has no scale, its
    // type cannot be converted or its scale refuses the value. A type above kRawNone is an internal error.
    bool Convert(std::uint16_t id, std::uint32_t raw, double& value) const;

    // The raw word read as `rawType`; false for the types that cannot be converted.
    static bool RawToDouble(std::uint32_t rawType, std::uint32_t raw, double& value);

private:
    struct Entry {
        std::uint16_t id = 0;
        std::uint16_t position = 0;
        std::uint32_t rawType = kRawNone;
        Scale scale;
    };

    // Under the lock: the entry of `id`, or null.
    const Entry* Find(std::uint16_t id) const;

    mutable std::mutex lock_;
    std::vector<Entry> entries_;
};
