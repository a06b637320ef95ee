#include "Common/device/ZKDeviceRecords.h"

#include <algorithm>
#include <cstring>

namespace {

// Little-endian field access at fixed offsets of a record buffer.
class RecordWriter {
public:
    RecordWriter(ZKBytes& out, std::size_t size) : out_(out), base_(out.size()) {
        out.resize(base_ + size, 0);
    }
    void U8(std::size_t offset, std::uint8_t value) { out_[base_ + offset] = value; }
    void U16(std::size_t offset, std::uint16_t value) {
        U8(offset, static_cast<std::uint8_t>(value));
        U8(offset + 1, static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::size_t offset, std::uint32_t value) {
        U16(offset, static_cast<std::uint16_t>(value));
        U16(offset + 2, static_cast<std::uint16_t>(value >> 16));
    }
    // Writes at most size - 1 bytes; the rest of the field stays zero, so the text is always terminated.
    void Text(std::size_t offset, std::size_t size, const std::string& text) {
        const std::size_t n = std::min(text.size(), size - 1);
        std::memcpy(out_.data() + base_ + offset, text.data(), n);
    }

private:
    ZKBytes& out_;
    std::size_t base_;
};

class RecordReader {
public:
    explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t U8(std::size_t offset) const { return bytes_[offset]; }
    std::uint16_t U16(std::size_t offset) const {
        return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    std::uint32_t U32(std::size_t offset) const {
        return U16(offset) | (static_cast<std::uint32_t>(U16(offset + 2)) << 16);
    }
    // A text up to its NUL. The field's last byte is always the terminator, whatever the sender put there,
    // so a text reads the same as it would be written back (at most size - 1 bytes).
    std::string Text(std::size_t offset, std::size_t size) const {
        const auto* begin = reinterpret_cast<const char*>(bytes_.data() + offset);
        return std::string(begin, ::strnlen(begin, size - 1));
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace

void ZKDeviceIdentity::AppendTo(ZKBytes& out, bool extended) const {
    RecordWriter w(out, extended ? kExtendedSize : kBasicSize);
    w.U32(0, lastProgramTime);
    w.Text(4, kTypeNameSize, typeName);
    w.U16(36, bootMajor);
    w.U16(38, bootMinor);
    w.U16(40, resetCause);
    w.U16(42, reserved42);
    w.U32(44, bootCreationTime);
    w.U32(48, mainCreationTime);
    w.U32(52, serialProgramTime);
    w.U32(56, rootIdProgramTime);
    w.U32(60, userIdProgramTime);
    w.U32(64, codeProgramTime);
    w.U32(68, calibrationProgramTime);
    w.U16(72, boxState);
    w.U16(74, returnCause);
    w.U32(76, serialNumber);
    w.U16(80, rootId);
    w.U16(82, userId);
    for (std::size_t i = 0; i < kExtraIds; ++i) {
        w.U16(84 + 2 * i, extraRootIds[i]);
        w.U16(116 + 2 * i, extraUserIds[i]);
    }
    w.U16(148, mainMajor);
    w.U16(150, mainMinor);
    w.U16(152, mainBuild);
    w.U16(154, reserved154);
    if (extended) {
        w.U32(156, bootProgramTime);
        w.U32(160, preBootCreationTime);
        w.U32(164, preBootProgramTime);
    }
}

ZKBytes ZKDeviceIdentity::Encode(bool extended) const {
    ZKBytes out;
    AppendTo(out, extended);
    return out;
}

std::optional<ZKDeviceIdentity> ZKDeviceIdentity::Decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kBasicSize && bytes.size() != kExtendedSize) return std::nullopt;
    const RecordReader r(bytes);
    ZKDeviceIdentity id;
    id.lastProgramTime = r.U32(0);
    id.typeName = r.Text(4, kTypeNameSize);
    id.bootMajor = r.U16(36);
    id.bootMinor = r.U16(38);
    id.resetCause = r.U16(40);
    id.reserved42 = r.U16(42);
    id.bootCreationTime = r.U32(44);
    id.mainCreationTime = r.U32(48);
    id.serialProgramTime = r.U32(52);
    id.rootIdProgramTime = r.U32(56);
    id.userIdProgramTime = r.U32(60);
    id.codeProgramTime = r.U32(64);
    id.calibrationProgramTime = r.U32(68);
    id.boxState = r.U16(72);
    id.returnCause = r.U16(74);
    id.serialNumber = r.U32(76);
    id.rootId = r.U16(80);
    id.userId = r.U16(82);
    for (std::size_t i = 0; i < kExtraIds; ++i) {
        id.extraRootIds[i] = r.U16(84 + 2 * i);
        id.extraUserIds[i] = r.U16(116 + 2 * i);
    }
    id.mainMajor = r.U16(148);
    id.mainMinor = r.U16(150);
    id.mainBuild = r.U16(152);
    id.reserved154 = r.U16(154);
    if (bytes.size() == kExtendedSize) {
        id.bootProgramTime = r.U32(156);
        id.preBootCreationTime = r.U32(160);
        id.preBootProgramTime = r.U32(164);
    }
    return id;
}

bool ZKBoxStateName(std::uint16_t boxState, std::string& name) {
    struct Named {
        std::uint16_t value;
        const char* name;
    };
    static constexpr Named kNames[] = {
        {0, "Initial"},
        {100, "BootCrcFail"},
        {200, "ModListError"},
        {300, "UnknownBoardLevel"},
        {400, "UnknownModFound"},
        {500, "RequiredModMissing"},
        {600, "UnsupportedModFound"},
        {700, "NoSerialNumber"},
        {800, "NoRootId"},
        {900, "NoUserId"},
        {1000, "NoCode"},
        {1100, "CodeRequiredModMissing"},
        {1200, "CodeUnsupportedModFound"},
        {1300, "NoCalibration"},
        {1400, "UnexpectedReset"},
        {1500, "LoopbackDetected"},
        {10000, "MainCode"},
        {10100, "BootTookControl"},
        {10200, "MainCodeReturned"},
    };
    for (const Named& entry : kNames) {
        if (entry.value == boxState) {
            name = entry.name;
            return true;
        }
    }
    name = "Unknown(" + std::to_string(boxState) + ")";
    return false;
}

void ZKDeviceListEntry::AppendTo(ZKBytes& out) const {
    const std::size_t base = out.size();
    {
        RecordWriter w(out, kSize);
        w.U32(0, address1);
        w.U32(4, address2);
        w.U16(8, address3);
        w.Text(kDescriptionOffset, kDescriptionSize, description);
    }
    ZKBytes id = identity.Encode(false);
    std::copy(id.begin(), id.end(), out.begin() + static_cast<std::ptrdiff_t>(base + kIdentityOffset));
}

ZKBytes ZKDeviceListEntry::Encode() const {
    ZKBytes out;
    AppendTo(out);
    return out;
}

std::optional<ZKDeviceListEntry> ZKDeviceListEntry::Decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSize) return std::nullopt;
    const RecordReader r(bytes);
    ZKDeviceListEntry entry;
    entry.address1 = r.U32(0);
    entry.address2 = r.U32(4);
    entry.address3 = r.U16(8);
    entry.identity = *ZKDeviceIdentity::Decode(bytes.subspan(kIdentityOffset, ZKDeviceIdentity::kBasicSize));
    entry.description = r.Text(kDescriptionOffset, kDescriptionSize);
    return entry;
}

std::optional<std::vector<ZKDeviceListEntry>> ZKDeviceListEntry::DecodeList(
    std::span<const std::uint8_t> bytes) {
    if (bytes.size() % kSize != 0) return std::nullopt;
    std::vector<ZKDeviceListEntry> list;
    for (std::size_t at = 0; at < bytes.size(); at += kSize)
        list.push_back(*Decode(bytes.subspan(at, kSize)));
    return list;
}

ZKBytes ZKProfileLocation::Encode() const {
    ZKBytes out;
    RecordWriter w(out, kSize);
    w.U8(0, flag1);
    w.U8(1, flag2);
    w.U32(4, size);
    w.U32(8, address);
    w.U16(12, headerWord);
    w.U8(14, byte3);
    w.U8(15, byte4);
    return out;
}

std::optional<ZKProfileLocation> ZKProfileLocation::Decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSize) return std::nullopt;
    const RecordReader r(bytes);
    ZKProfileLocation loc;
    loc.flag1 = r.U8(0);
    loc.flag2 = r.U8(1);
    loc.size = r.U32(4);
    loc.address = r.U32(8);
    loc.headerWord = r.U16(12);
    loc.byte3 = r.U8(14);
    loc.byte4 = r.U8(15);
    return loc;
}
