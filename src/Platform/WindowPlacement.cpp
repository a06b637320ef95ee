#include "Platform/WindowPlacement.h"

namespace zk {
namespace {

void Put(std::array<std::uint8_t, WindowPlacement::kRecordSize>& out, int field, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(field * 4 + i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Get(std::span<const std::uint8_t> in, int field) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t{in[static_cast<size_t>(field * 4 + i)]} << (8 * i);
    return value;
}

int Signed(std::uint32_t value) {
    return static_cast<int>(static_cast<std::int32_t>(value));
}

}  // namespace

std::array<std::uint8_t, WindowPlacement::kRecordSize> WindowPlacement::ToBytes() const {
    std::array<std::uint8_t, kRecordSize> out{};
    const std::uint32_t fields[11] = {length,
                                      flags,
                                      showCmd,
                                      static_cast<std::uint32_t>(minPosition.x),
                                      static_cast<std::uint32_t>(minPosition.y),
                                      static_cast<std::uint32_t>(maxPosition.x),
                                      static_cast<std::uint32_t>(maxPosition.y),
                                      static_cast<std::uint32_t>(normalPosition.left),
                                      static_cast<std::uint32_t>(normalPosition.top),
                                      static_cast<std::uint32_t>(normalPosition.right),
                                      static_cast<std::uint32_t>(normalPosition.bottom)};
    for (int i = 0; i < 11; ++i)
        Put(out, i, fields[i]);
    return out;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kRecordSize) return std::nullopt;
    WindowPlacement p;
    p.length = Get(bytes, 0);
    p.flags = Get(bytes, 1);
    p.showCmd = Get(bytes, 2);
    p.minPosition = {Signed(Get(bytes, 3)), Signed(Get(bytes, 4))};
    p.maxPosition = {Signed(Get(bytes, 5)), Signed(Get(bytes, 6))};
    p.normalPosition = {Signed(Get(bytes, 7)), Signed(Get(bytes, 8)), Signed(Get(bytes, 9)),
                        Signed(Get(bytes, 10))};
    return p;
}

}  // namespace zk
