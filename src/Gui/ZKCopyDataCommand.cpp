#include "Gui/ZKCopyDataCommand.h"

#include <algorithm>

std::vector<std::byte> ZKCopyDataCommand::MakeBlock(std::uint32_t command,
                                                    std::span<const std::byte> argument,
                                                    std::size_t minimumSize) {
    std::vector<std::byte> block;
    for (std::uint8_t b : kTag)
        block.push_back(static_cast<std::byte>(b));
    for (int i = 0; i < 4; ++i)
        block.push_back(static_cast<std::byte>((command >> (8 * i)) & 0xFF));
    block.insert(block.end(), argument.begin(), argument.end());
    if (block.size() < minimumSize) block.resize(minimumSize);
    return block;
}

std::optional<ZKCopyDataCommand> ZKCopyDataCommand::Parse(const zk::COPYDATASTRUCT& data) {
    if (data.dwData != 0 || data.cbData <= kTag.size() || !data.lpData) return std::nullopt;
    const std::span block(static_cast<const std::byte*>(data.lpData), data.cbData);
    if (!std::equal(kTag.begin(), kTag.end(), block.begin(),
                    [](std::uint8_t tag, std::byte b) { return std::byte{tag} == b; }))
        return std::nullopt;
    ZKCopyDataCommand parsed;
    const std::size_t commandEnd = std::min(block.size(), kArgumentOffset);
    for (std::size_t i = commandEnd; i-- > kCommandOffset;)
        parsed.command = (parsed.command << 8) | std::to_integer<std::uint32_t>(block[i]);
    if (block.size() > kArgumentOffset) parsed.argument = block.subspan(kArgumentOffset);
    return parsed;
}
