#include "Common/profile/ZPImageLoader.h"

#include "Common/profile/ZKProfilePlus.h"
#include "Common/profile/ZPImageCompression.h"
#include "Common/profile/ZPImageEnvelope.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPProfileHeader.h"

namespace {

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

// The size the header states, or the real size when the image is too short to state one.
std::int64_t StatedSize(std::span<const std::uint8_t> image) {
    if (image.size() < 12) return static_cast<std::int64_t>(image.size());
    return std::int64_t{U32(image, 8)} - std::int64_t{U32(image, 4)} + 1;
}

const char* CheckFrame(std::span<const std::uint8_t> image) {
    const std::int64_t size = StatedSize(image);
    if (size % 4 != 0) return "invalid size - not mod 4";
    if (size > static_cast<std::int64_t>(ZPImageLoader::kMaxImageSize)) return "invalid size - too big";
    if (size != static_cast<std::int64_t>(image.size()) || image.size() < ZPImageIdentity::kHeaderSize + 4 ||
        !ZPImageIdentity::CheckWordGood(image))
        return "Invalid CRC";
    if (!ZPImageIdentity::HeaderFormatGood(image)) return "Incompatible Profile Version";
    return nullptr;
}

bool SameVersions(const ZPProfileHeader* loaded, const ZPImageIdentity& image) {
    return loaded && loaded->CodeBranch() == image.codeBranch && loaded->CodeVersion() == image.codeVersion &&
           loaded->CodeRevision() == image.codeRevision &&
           loaded->FromCodeRevision() == image.fromCodeRevision &&
           loaded->ProfileRevision() == image.profileRevision;
}

}  // namespace

bool ZPImageLoader::Load(std::span<const std::uint8_t> image, ZKProfilePlus& profile,
                         const ZPImageStream::Hooks& hooks, std::string& error, const ZPImageKeys& keys) {
    profile.Reset();
    if (const char* failure = CheckFrame(image)) {
        error = failure;
        return false;
    }
    const auto header = image.first(ZPImageIdentity::kHeaderSize);
    const auto payload =
        image.subspan(ZPImageIdentity::kHeaderSize, image.size() - ZPImageIdentity::kHeaderSize - 4);
    std::vector<std::uint8_t> compressed;
    std::vector<std::uint8_t> stream;
    if (!ZPImageEnvelope::Open(header, payload, keys, compressed, error) ||
        !ZPImageCompression::Inflate(compressed, stream, error) ||
        !ZPImageStream::Read(stream, profile, &profile.Tail(), hooks, error))
        return false;
    if (!SameVersions(profile.Header(), ZPImageIdentity::FromHeader(header))) {
        error = "Invalid Code and Revision versions";
        return false;
    }
    return true;
}
