#pragma once
// The stored placement of a top-level window: the 44-byte WINDOWPLACEMENT record, little-endian, as the
// settings store keeps it (length, flags, show command, minimised position, maximised position, normal
// rectangle; eleven 32-bit fields).

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "Platform/Geometry.h"

namespace zk {

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;

struct WindowPlacement {
    static constexpr std::uint32_t kRecordSize = 44;

    std::uint32_t length = kRecordSize;
    std::uint32_t flags = 0;
    std::uint32_t showCmd = SW_SHOWNORMAL;
    Point minPosition{-1, -1};
    Point maxPosition{-1, -1};
    Rect normalPosition{0, 0, 800, 600};

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;

    std::array<std::uint8_t, kRecordSize> ToBytes() const;
    // Reads a record of exactly 44 bytes; any other size gives nothing.
    static std::optional<WindowPlacement> FromBytes(std::span<const std::uint8_t> bytes);
};

}  // namespace zk
