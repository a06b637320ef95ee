#pragma once
// The command block that the maker's programs send each other with WM_COPYDATA: a fixed 16-byte tag, a
// 32-bit command number (little-endian) and the command's argument. The display-option change notice is
// one of these commands, with a 288-byte block whose argument is all zero.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "Platform/WindowTypes.h"

struct ZKCopyDataCommand {
    static constexpr std::array<std::uint8_t, 16> kTag = {0xD7, 0xA1, 0x72, 0xB0, 0x25, 0x16, 0x80, 0x48,
                                                          0xA8, 0x84, 0x61, 0x75, 0xD1, 0x99, 0x67, 0x33};
    static constexpr std::size_t kCommandOffset = 16;
    static constexpr std::size_t kArgumentOffset = 20;
    static constexpr std::size_t kNoticeSize = 288;

    std::uint32_t command = 0;
    std::span<const std::byte> argument;  // points into the received block

    // Tag, command and argument; at least `minimumSize` bytes, the rest zero.
    static std::vector<std::byte> MakeBlock(std::uint32_t command, std::span<const std::byte> argument = {},
                                            std::size_t minimumSize = 0);
    // The block of a change notice: 288 bytes, the command is the option number.
    static std::vector<std::byte> MakeNotice(std::uint32_t option) {
        return MakeBlock(option, {}, kNoticeSize);
    }

    // Accepts a block only with dwData 0, more than 16 bytes and the tag. A block of 17 to 19 bytes carries
    // only part of the command number; the missing high bytes count as zero.
    static std::optional<ZKCopyDataCommand> Parse(const zk::COPYDATASTRUCT& data);
};
