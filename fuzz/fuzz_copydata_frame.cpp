// Feeds arbitrary bytes to the copy-data frame reader in pieces whose sizes come from the input, and hands a
// completed frame to the command-block parser, as an endpoint does with what a peer sends.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Gui/ZKCopyDataCommand.h"
#include "Platform/CopyData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the piece size, so that splits inside the header and the body are reached.
    const std::size_t piece = 1 + data[0] % 17;
    const auto input = std::span(reinterpret_cast<const std::byte*>(data) + 1, size - 1);
    // A small cap keeps the fuzzer from spending its time on 16 MiB bodies; the logic is the same.
    zk::CopyDataFrameReader reader(4096);
    std::size_t offset = 0;
    while (offset < input.size() && reader.GetStatus() == zk::CopyDataFrameReader::Status::NeedMore) {
        const auto chunk = input.subspan(offset, std::min(piece, input.size() - offset));
        std::size_t used = 0;
        reader.Feed(chunk, used);
        if (used > chunk.size()) std::abort();
        offset += used;
    }
    if (reader.GetStatus() != zk::CopyDataFrameReader::Status::Complete) return 0;
    if (reader.Bytes().size() != reader.CbData()) std::abort();
    if (zk::EncodeCopyDataFrame(reader.DwData(), reader.Bytes()).size() != offset) std::abort();
    zk::COPYDATASTRUCT block;
    block.dwData = static_cast<std::uintptr_t>(reader.DwData());
    block.cbData = reader.CbData();
    block.lpData = reader.Bytes().data();
    if (const auto command = ZKCopyDataCommand::Parse(block)) {
        // The argument must lie inside the received block.
        const auto* first = reader.Bytes().data();
        const auto* end = first + reader.Bytes().size();
        if (!command->argument.empty() &&
            (command->argument.data() < first || command->argument.data() + command->argument.size() > end))
            std::abort();
    }
    return 0;
}
