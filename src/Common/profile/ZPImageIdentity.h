#pragma once
// The identity of a profile image: what its 64-byte header says (device type and versions) once the header
// and the image's check word are found good. This is all that can be learnt of an image without deciphering
// its payload, and what a server keys its stored images by.
//
// Header, all fields big-endian:
//
//     0  magic 0xC0DE          2  image format 3       4  start address        8  end address
//    12  identity value       16  device type name, 32 bytes, NUL-terminated
//    48  header size 64       50  flag 1              51  flag 0
//    52  code branch          54  code version        56  code revision        58  from-code revision
//    60  profile revision     62  not read            64  payload (enciphered, compressed object stream)
//
// The image is end - start + 1 bytes, a whole number of 32-bit words. Check word: taken as big-endian words,
// register = NOT first word; for each following word the register advances over 32 bits with the CRC-32
// polynomial 0x04C11DB7 (most significant bit first, unreflected) and the word is XORed in; the image is
// good when NOT register is 0. A writer makes that hold by choosing the image's last word.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct ZPImageIdentity {
    static constexpr std::size_t kHeaderSize = 64;
    static constexpr std::size_t kTypeNameSize = 32;  // including the terminating NUL
    static constexpr std::uint16_t kMagic = 0xC0DE;
    static constexpr std::uint16_t kFormat = 3;

    std::uint32_t startAddress = 0;
    std::uint32_t endAddress = 0;
    std::uint32_t identityValue = 0;
    std::string typeName;  // at most 31 bytes
    std::uint16_t codeBranch = 0;
    std::uint16_t codeVersion = 0;
    std::uint16_t codeRevision = 0;
    std::uint16_t fromCodeRevision = 0;
    std::uint16_t profileRevision = 0;

    // The identity of `image` when its size, header and check word are good; nothing otherwise.
    static std::optional<ZPImageIdentity> Check(std::span<const std::uint8_t> image);

    // True when `image` (whole words, at least two) checks to zero.
    static bool CheckWordGood(std::span<const std::uint8_t> image);
    // True when the 64-byte header has the magic, format, header size, flags and a terminated type name.
    static bool HeaderFormatGood(std::span<const std::uint8_t> header);
    // The header fields of a header that HeaderFormatGood accepts (the check word is not looked at).
    static ZPImageIdentity FromHeader(std::span<const std::uint8_t> header);

    // An image with this identity around `payload`: the header, the payload padded with zero bytes to whole
    // words, then the check word. The end address is set from the size (start address + size - 1); a name
    // longer than 31 bytes is cut.
    std::vector<std::uint8_t> BuildImage(std::span<const std::uint8_t> payload) const;

    // Sets the last word of `image` (whole words, at least two) so that the image checks.
    static void Seal(std::span<std::uint8_t> image);

    bool operator==(const ZPImageIdentity&) const = default;
};
