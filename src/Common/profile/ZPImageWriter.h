#pragma once
// Builds profile images: the object stream of a profile, compressed, sealed in the cipher envelope with the
// image header as associated data, padded to whole words and closed by the check word.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPImageKeys.h"

class ZPProfile;

class ZPImageWriter {
public:
    // The image of an object stream under `identity` (its end address follows from the size).
    static std::vector<std::uint8_t> Build(const ZPImageIdentity& identity,
                                           std::span<const std::uint8_t> stream, const ZPImageKeys& keys = {},
                                           std::uint8_t keyId = ZPImageKeys::kDevelopmentKeyId);

    // The same from an already compressed stream (the zlib bytes are sealed as they are).
    static std::vector<std::uint8_t> BuildCompressed(const ZPImageIdentity& identity,
                                                     std::span<const std::uint8_t> compressed,
                                                     const ZPImageKeys& keys = {},
                                                     std::uint8_t keyId = ZPImageKeys::kDevelopmentKeyId);

    // The identity a profile's header gives its image: device type and versions, start address from
    // PROFILE_ADDRESS unless `startAddress` is given. Nothing without a header.
    static std::optional<ZPImageIdentity> IdentityOf(const ZPProfile& profile,
                                                     std::optional<std::uint32_t> startAddress = {});

    // The image of `profile`; nothing without a header.
    static std::optional<std::vector<std::uint8_t>> Compile(
        const ZPProfile& profile, std::optional<std::uint32_t> startAddress = {},
        const ZPImageKeys& keys = {}, std::uint8_t keyId = ZPImageKeys::kDevelopmentKeyId);
};
