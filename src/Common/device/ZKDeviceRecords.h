#pragma once
// The device records that cross the server boundary, with their exact little-endian byte layouts: the
// device list entry (1256 bytes), the device identity (156 bytes basic, 168 bytes extended) and the profile
// location (20 bytes). Both sides of the wire encode and decode them here, so the layouts live in one place.
// Also the names of the box states that the identity reports.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

using ZKBytes = std::vector<std::uint8_t>;

struct ZKDeviceIdentity {
    static constexpr std::size_t kBasicSize = 156;
    static constexpr std::size_t kExtendedSize = 168;
    static constexpr std::size_t kTypeNameSize = 32;  // including the terminating NUL
    static constexpr std::size_t kExtraIds = 16;

    std::uint32_t lastProgramTime = 0;  // also the key of the per-device calls
    std::string typeName;               // at most 31 bytes; longer names are cut when encoded
    std::uint16_t bootMajor = 0;
    std::uint16_t bootMinor = 0;
    std::uint16_t resetCause = 0;
    std::uint16_t reserved42 = 0;
    std::uint32_t bootCreationTime = 0;
    std::uint32_t mainCreationTime = 0;
    std::uint32_t serialProgramTime = 0;
    std::uint32_t rootIdProgramTime = 0;
    std::uint32_t userIdProgramTime = 0;
    std::uint32_t codeProgramTime = 0;
    std::uint32_t calibrationProgramTime = 0;
    std::uint16_t boxState = 0;
    std::uint16_t returnCause = 0;
    std::uint32_t serialNumber = 0;
    std::uint16_t rootId = 0;
    std::uint16_t userId = 0;
    std::array<std::uint16_t, kExtraIds> extraRootIds{};  // 0 ends the list
    std::array<std::uint16_t, kExtraIds> extraUserIds{};
    std::uint16_t mainMajor = 0;
    std::uint16_t mainMinor = 0;
    std::uint16_t mainBuild = 0;
    std::uint16_t reserved154 = 0;
    // Extended form only; 0 = absent.
    std::uint32_t bootProgramTime = 0;
    std::uint32_t preBootCreationTime = 0;
    std::uint32_t preBootProgramTime = 0;

    std::uint32_t Key() const { return lastProgramTime; }

    // Appends the basic (156 bytes) or extended (168 bytes) form.
    void AppendTo(ZKBytes& out, bool extended) const;
    ZKBytes Encode(bool extended) const;
    // Reads a basic or extended form; the extended fields stay 0 for the basic form. Nothing for any
    // other size.
    static std::optional<ZKDeviceIdentity> Decode(std::span<const std::uint8_t> bytes);

    bool operator==(const ZKDeviceIdentity&) const = default;
};

// The name of a box state (identity offset 72): "MainCode" for 10000, the normal running state; values
// below 10000 are boot stages. Any value without a name gives "Unknown(<value>)" and false.
bool ZKBoxStateName(std::uint16_t boxState, std::string& name);

struct ZKDeviceListEntry {
    static constexpr std::size_t kSize = 1256;
    static constexpr std::size_t kIdentityOffset = 12;
    static constexpr std::size_t kDescriptionOffset = 168;
    static constexpr std::size_t kDescriptionSize = kSize - kDescriptionOffset;  // including the NUL

    std::uint32_t address1 = 0;
    std::uint32_t address2 = 0;
    std::uint16_t address3 = 0;
    ZKDeviceIdentity identity;  // basic form
    std::string description;    // at most 1087 bytes; longer texts are cut when encoded

    void AppendTo(ZKBytes& out) const;
    ZKBytes Encode() const;
    static std::optional<ZKDeviceListEntry> Decode(std::span<const std::uint8_t> bytes);
    // Splits a device list into its entries; nothing when the size is not a multiple of the entry size.
    static std::optional<std::vector<ZKDeviceListEntry>> DecodeList(std::span<const std::uint8_t> bytes);

    bool operator==(const ZKDeviceListEntry&) const = default;
};

struct ZKProfileLocation {
    static constexpr std::size_t kSize = 20;

    std::uint8_t flag1 = 0;
    std::uint8_t flag2 = 0;
    std::uint32_t size = 0;     // profile size in bytes
    std::uint32_t address = 0;  // profile address in the device store
    std::uint16_t headerWord = 0;
    std::uint8_t byte3 = 0;
    std::uint8_t byte4 = 0;

    ZKBytes Encode() const;
    static std::optional<ZKProfileLocation> Decode(std::span<const std::uint8_t> bytes);

    bool operator==(const ZKProfileLocation&) const = default;
};
