// Profile images: any bytes either load or are refused with a message, never read out of bounds or crash.
//
// The first input byte chooses how far in the rest of the input goes, so that the fuzzer reaches every layer:
//   0  the raw image: the size and check-word checks and the identity, which must survive a rebuild
//   1  the envelope: a valid header and check word around the input, so the decipher checks run
//   2  the compressed stream: the input sealed with the development key, so zlib inflates it
//   3  the object stream: the input compressed and sealed, so the objects are read
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Common/profile/ZKProfilePlus.h"
#include "Common/profile/ZPImageCompression.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPImageLoader.h"
#include "Common/profile/ZPImageWriter.h"

namespace {

ZPImageIdentity Identity() {
    ZPImageIdentity id;
    id.typeName = "FUZZ";
    return id;
}

void Load(std::span<const std::uint8_t> image) {
    static const ZPImageKeys keys;
    ZKProfilePlus profile;
    std::string error;
    if (!ZPImageLoader::Load(image, profile, {}, error, keys) && error.empty()) __builtin_trap();
}

void RawImage(std::span<const std::uint8_t> image) {
    const auto identity = ZPImageIdentity::Check(image);
    if (identity) {
        const auto rebuilt =
            identity->BuildImage(image.subspan(ZPImageIdentity::kHeaderSize, image.size() - 68));
        const auto again = ZPImageIdentity::Check(rebuilt);
        if (!again || again->typeName != identity->typeName || again->codeVersion != identity->codeVersion)
            __builtin_trap();
    }
    Load(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    switch (data[0] % 4) {
        case 0:
            RawImage(input);
            break;
        case 1:
            Load(Identity().BuildImage(input));
            break;
        case 2:
            Load(ZPImageWriter::BuildCompressed(Identity(), input));
            break;
        default:
            if (input.size() <= ZPImageCompression::kMaxInflated)
                Load(ZPImageWriter::Build(Identity(), input));
            break;
    }
    return 0;
}
