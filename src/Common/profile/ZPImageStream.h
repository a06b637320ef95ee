#pragma once
// The object stream of a profile image: the bytes inside the cipher envelope once they are inflated.
//
//     u8   main profile version, 1 to 6
//     u32  tail offset (version 4 and later): the bytes from there to the end are kept apart for the owner
//     u32  device flags (ZPDeviceFlag bits)
//     u32  object count
//     per object:  u32 kind code, u8 flag word (ZPStreamFlag), u32 record length, the record (the object's
//     Load)
//
// All numbers are big-endian. A kind code outside 0..40 is skipped by its record length when its flag word
// has ZP_STREAM_SKIPPABLE, otherwise the load fails. Each record is the object's own (ZPMap::Save and Load;
// the layouts are in docs/profile-image.md). After the last object the references are resolved and the
// renaming groups finished as for the text form.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

class MemFile;
class ZPProfile;

// Device flags known to this program; any other bit fails the load with "Unknown device flag in profile".
enum ZPDeviceFlag : std::uint32_t {
    DF_SENSOR_ERRORS = 1u << 0,
    DF_ACCUM_FUEL = 1u << 1,
    DF_ACCUM_DISTANCE = 1u << 2,
    DF_REAL_TIME_CLOCK = 1u << 3,
    DF_SYNC_LOG = 1u << 4,
    DF_SENSOR_ZEROING = 1u << 5,
    DF_INDEXED_PATCHING = 1u << 6,
    DF_DATA_READ_CAL = 1u << 7,
    DF_KNOWN = 0xFFu
};

// The flag word of an object in the stream: the modifier flags of the text form (ZPMapFlag, bits 0..2), the
// template flag, and whether a reader that does not know the kind may skip the record.
enum ZPStreamFlag : std::uint8_t { ZP_STREAM_TEMPLATE = 0x08, ZP_STREAM_SKIPPABLE = 0x80 };

class ZPImageStream {
public:
    static constexpr std::uint8_t kMinVersion = 1;
    static constexpr std::uint8_t kMaxVersion = 6;
    static constexpr std::uint8_t kTailVersion = 4;  // from this version on the stream has a tail offset

    struct Hooks {
        // Called after each object with index × 100 / count (index counted from 1).
        std::function<void(int percent)> progress;
        // Polled before each object; true stops the load with "Load cancelled".
        std::function<bool()> cancelled;
    };

    // The object stream of `profile`: main version `version`, the profile's device flags, every object in
    // definition order, then `tail` for version 4 and later.
    static std::vector<std::uint8_t> Write(const ZPProfile& profile, std::uint8_t version = kMaxVersion,
                                           std::span<const std::uint8_t> tail = {});

    // Reads `stream` into the empty `profile` (which receives the main version and device flags) and resolves
    // the references. The tail of a version 4+ stream goes to `tail` when given. False with `error` set to
    // "Unknown main profile version", "Unknown device flag in profile", "Internal Corruption" (a record that
    // does not load or is not valid, a stream cut short) or "Load cancelled".
    static bool Read(std::span<const std::uint8_t> stream, ZPProfile& profile, MemFile* tail,
                     const Hooks& hooks, std::string& error);
};
