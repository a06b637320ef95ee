// Profile image identity: any bytes either check or are refused, never read out of bounds. An image that
// checks must check again after its identity is rebuilt around the same payload and sealed.
#include <cstddef>
#include <cstdint>
#include <span>

#include "Common/profile/ZPImageIdentity.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    const auto identity = ZPImageIdentity::Check(image);
    if (!identity) return 0;
    const auto rebuilt = identity->BuildImage(image.subspan(ZPImageIdentity::kHeaderSize, size - 68));
    const auto again = ZPImageIdentity::Check(rebuilt);
    if (!again || again->typeName != identity->typeName || again->codeVersion != identity->codeVersion)
        __builtin_trap();
    return 0;
}
