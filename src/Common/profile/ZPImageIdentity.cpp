#include "Common/profile/ZPImageIdentity.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::uint32_t kPolynomial = 0x04C11DB7;

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 0x80000000u) ? (c << 1) ^ kPolynomial : c << 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

// The register moved on by 32 zero bits, a byte at a time.
constexpr std::uint32_t AdvanceBytewise(std::uint32_t reg) {
    for (int i = 0; i < 4; ++i)
        reg = (reg << 8) ^ kTable[reg >> 24];
    return reg;
}

// The move over 32 bits is linear in the register, so it is the XOR of the moves of its four bytes: one table
// per byte position, filled by the byte-wise rule, takes four independent lookups instead of four in a row.
constexpr std::array<std::array<std::uint32_t, 256>, 4> MakeWordTables() {
    std::array<std::array<std::uint32_t, 256>, 4> tables{};
    for (int position = 0; position < 4; ++position)
        for (std::uint32_t b = 0; b < 256; ++b)
            tables[position][b] = AdvanceBytewise(b << (8 * position));
    return tables;
}

constexpr std::array<std::array<std::uint32_t, 256>, 4> kWordTables = MakeWordTables();

// The register moved on by 32 zero bits.
std::uint32_t Advance(std::uint32_t reg) {
    return kWordTables[3][reg >> 24] ^ kWordTables[2][(reg >> 16) & 0xFF] ^
           kWordTables[1][(reg >> 8) & 0xFF] ^ kWordTables[0][reg & 0xFF];
}

std::uint16_t U16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (static_cast<std::uint32_t>(U16(bytes, at)) << 16) | U16(bytes, at + 2);
}

void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(value);
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    PutU16(bytes, at, static_cast<std::uint16_t>(value >> 16));
    PutU16(bytes, at + 2, static_cast<std::uint16_t>(value));
}

// The register after every word before `end` (a word offset above 0).
std::uint32_t Register(std::span<const std::uint8_t> image, std::size_t end) {
    std::uint32_t reg = ~U32(image, 0);
    for (std::size_t at = 4; at < end; at += 4)
        reg = Advance(reg) ^ U32(image, at);
    return reg;
}

}  // namespace

std::optional<ZPImageIdentity> ZPImageIdentity::Check(std::span<const std::uint8_t> image) {
    if (image.size() < kHeaderSize + 4 || image.size() % 4 != 0) return std::nullopt;
    const std::uint32_t start = U32(image, 4);
    const std::uint32_t end = U32(image, 8);
    // The size in the header must be the real one (computed in 64 bits: end may lie below start).
    if (static_cast<std::uint64_t>(end) + 1 != start + std::uint64_t{image.size()}) return std::nullopt;
    if (!HeaderFormatGood(image.first(kHeaderSize)) || !CheckWordGood(image)) return std::nullopt;
    return FromHeader(image.first(kHeaderSize));
}

bool ZPImageIdentity::CheckWordGood(std::span<const std::uint8_t> image) {
    return image.size() >= 8 && image.size() % 4 == 0 && ~Register(image, image.size()) == 0;
}

bool ZPImageIdentity::HeaderFormatGood(std::span<const std::uint8_t> header) {
    if (header.size() < kHeaderSize) return false;
    const auto* name = reinterpret_cast<const char*>(header.data() + 16);
    return U16(header, 0) == kMagic && U16(header, 2) == kFormat && U16(header, 48) == kHeaderSize &&
           header[50] == 1 && header[51] == 0 && ::strnlen(name, kTypeNameSize) < kTypeNameSize;
}

ZPImageIdentity ZPImageIdentity::FromHeader(std::span<const std::uint8_t> header) {
    ZPImageIdentity id;
    id.startAddress = U32(header, 4);
    id.endAddress = U32(header, 8);
    id.identityValue = U32(header, 12);
    const auto* name = reinterpret_cast<const char*>(header.data() + 16);
    id.typeName.assign(name, ::strnlen(name, kTypeNameSize));
    id.codeBranch = U16(header, 52);
    id.codeVersion = U16(header, 54);
    id.codeRevision = U16(header, 56);
    id.fromCodeRevision = U16(header, 58);
    id.profileRevision = U16(header, 60);
    return id;
}

std::vector<std::uint8_t> ZPImageIdentity::BuildImage(std::span<const std::uint8_t> payload) const {
    const std::size_t padded = (payload.size() + 3) / 4 * 4;
    std::vector<std::uint8_t> image(kHeaderSize + padded + 4, 0);
    PutU16(image, 0, kMagic);
    PutU16(image, 2, kFormat);
    PutU32(image, 4, startAddress);
    PutU32(image, 8, static_cast<std::uint32_t>(startAddress + image.size() - 1));
    PutU32(image, 12, identityValue);
    std::memcpy(image.data() + 16, typeName.data(), std::min(typeName.size(), kTypeNameSize - 1));
    PutU16(image, 48, kHeaderSize);
    image[50] = 1;
    image[51] = 0;
    PutU16(image, 52, codeBranch);
    PutU16(image, 54, codeVersion);
    PutU16(image, 56, codeRevision);
    PutU16(image, 58, fromCodeRevision);
    PutU16(image, 60, profileRevision);
    std::copy(payload.begin(), payload.end(), image.begin() + kHeaderSize);
    Seal(image);
    return image;
}

void ZPImageIdentity::Seal(std::span<std::uint8_t> image) {
    // The last word brings the register to all ones, so that NOT register is 0.
    const std::size_t last = image.size() - 4;
    const std::uint32_t word = Advance(Register(image, last)) ^ 0xFFFFFFFFu;
    for (std::size_t i = 0; i < 4; ++i)
        image[last + i] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
}
