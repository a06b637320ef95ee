// Feeds arbitrary text to the tokenizer and the typed readers. The first byte picks the escape switch and
// the order of readers, so that every reader meets every kind of token stream.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Common/ParsableFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 1 << 20) return 0;
    const std::uint8_t control = data[0];
    ParsableFile file;
    file.SetEscapes((control & 1) != 0);
    file.SetSourceText(std::string(reinterpret_cast<const char*>(data + 1), size - 1));

    std::string token;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;
    int index = 0;
    bool flag = false;
    std::uint16_t a16 = 0, b16 = 0;
    std::uint8_t a8 = 0, b8 = 0, bytes[4] = {};
    double reals[3] = {};
    std::vector<std::string> words;
    unsigned step = control >> 1;
    // Every pass consumes at least one token or ends the input, so the loop ends.
    for (int pass = 0; pass < 100000 && file.PeekToken(token); ++pass, step = step * 5 + 1) {
        bool ok = false;
        switch (step % 13) {
            case 0:
                ok = file.ReadIntArg(integer);
                break;
            case 1:
                ok = file.ReadRealArg(real);
                break;
            case 2:
                ok = file.ReadLabelArg(text);
                break;
            case 3:
                ok = file.ReadStringArg(text);
                break;
            case 4:
                ok = file.ReadEnumArg(ParsableFile::kComparisons, 6, index);
                break;
            case 5:
                ok = file.ReadBoolArg(flag);
                break;
            case 6:
                ok = file.ReadPairBlock(a16, b16);
                break;
            case 7:
                ok = file.ReadTriple(a8, b8, a16);
                break;
            case 8:
                ok = file.ReadHexBytes(4, bytes);
                break;
            case 9:
                ok = file.ReadRealList(3, reals);
                break;
            case 10:
                ok = file.ReadWordList(words);
                break;
            case 11:
                ok = file.PopPunct(token);
                break;
            default:
                ok = file.PopToken(token);
                break;
        }
        (void)ok;
    }
    return 0;
}
