#include "Common/profile/ZPImageWriter.h"

#include <algorithm>

#include "Common/profile/ZPImageCompression.h"
#include "Common/profile/ZPImageEnvelope.h"
#include "Common/profile/ZPImageStream.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPProfileHeader.h"

std::vector<std::uint8_t> ZPImageWriter::Build(const ZPImageIdentity& identity,
                                               std::span<const std::uint8_t> stream, const ZPImageKeys& keys,
                                               std::uint8_t keyId) {
    return BuildCompressed(identity, ZPImageCompression::Deflate(stream), keys, keyId);
}

std::vector<std::uint8_t> ZPImageWriter::BuildCompressed(const ZPImageIdentity& identity,
                                                         std::span<const std::uint8_t> compressed,
                                                         const ZPImageKeys& keys, std::uint8_t keyId) {
    // The header depends only on the size, so lay the image out first and seal the envelope into it.
    std::vector<std::uint8_t> image =
        identity.BuildImage(std::vector<std::uint8_t>(compressed.size() + ZPImageEnvelope::kOverhead, 0));
    const auto header = std::span<const std::uint8_t>(image).first(ZPImageIdentity::kHeaderSize);
    const std::vector<std::uint8_t> envelope = ZPImageEnvelope::Seal(header, compressed, keys, keyId);
    std::copy(envelope.begin(), envelope.end(), image.begin() + ZPImageIdentity::kHeaderSize);
    ZPImageIdentity::Seal(image);
    return image;
}

std::optional<ZPImageIdentity> ZPImageWriter::IdentityOf(const ZPProfile& profile,
                                                         std::optional<std::uint32_t> startAddress) {
    const ZPProfileHeader* header = profile.Header();
    if (!header) return std::nullopt;
    ZPImageIdentity identity;
    identity.startAddress = startAddress.value_or(
        header->ProfileAddress() == ZPProfileHeader::kAddressUndefined ? 0 : header->ProfileAddress());
    identity.typeName = header->DevType();
    identity.codeBranch = header->CodeBranch();
    identity.codeVersion = header->CodeVersion();
    identity.codeRevision = header->CodeRevision();
    identity.fromCodeRevision = header->FromCodeRevision();
    identity.profileRevision = header->ProfileRevision();
    return identity;
}

std::optional<std::vector<std::uint8_t>> ZPImageWriter::Compile(const ZPProfile& profile,
                                                                std::optional<std::uint32_t> startAddress,
                                                                const ZPImageKeys& keys, std::uint8_t keyId) {
    const auto identity = IdentityOf(profile, startAddress);
    if (!identity) return std::nullopt;
    return Build(*identity, ZPImageStream::Write(profile), keys, keyId);
}
