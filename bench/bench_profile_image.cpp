// Loading the largest profile image (just under 1,000,000 bytes): the whole load (check word, decipher,
// inflate, objects) against the floor of inflating the same compressed bytes with zlib itself, and with
// Crypto++'s inflator that the loader uses.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <random>
#include <string>

#include "Common/profile/ZKProfilePlus.h"
#include "Common/profile/ZPImageCompression.h"
#include "Common/profile/ZPImageEnvelope.h"
#include "Common/profile/ZPImageLoader.h"
#include "Common/profile/ZPImageStream.h"
#include "Common/profile/ZPImageWriter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const char* const kWords[] = {"engine", "speed", "sensor", "fault", "limit",  "pressure", "oil",    "coolant",
                              "fuel",   "pump",  "relay",  "open",  "short",  "circuit",  "ground", "battery",
                              "high",   "low",   "target", "idle",  "torque", "lambda",   "heater", "valve"};

// A valid profile whose HELP blocks carry `helps` texts of word salad with numbers: about as compressible as
// a real profile's texts.
std::string ProfileText(int helps) {
    std::mt19937 random(42);
    std::string text =
        "GLOBAL_ID_DATABASE() { ID(ID_A, 1) }\nGLOBAL_UNIT_DATABASE() { UNIT(U_V, \"V\") }\n"
        "GLOBAL_QTY_DATABASE() { QTY(Q_V, \"Voltage\", U_V) }\nGLOBAL_MAP_DATABASE() { }\n"
        "PROFILE_HEADER() { DEV_TYPE(\"ZK Bench\") BYTE_ORDER(BIG_ENDIAN) PROFILE_ADDRESS(0)\n"
        " CODE_BRANCH(1) CODE_VERSION(1) CODE_REVISION(1) FROM_CODE_REVISION(1) PROFILE_REVISION(1) }\n"
        "MENU(Root) { TITLE(\"Bench\") }\n";
    for (int i = 0; i < helps; ++i) {
        text += "HELP(Help" + std::to_string(i) + ") { TEXT(\"";
        for (int w = 0; w < 12; ++w)
            text += std::string(kWords[random() % std::size(kWords)]) + " " +
                    std::to_string(random() % 10000) + " ";
        text += "\") }\n";
    }
    return text;
}

Bytes Compile(int helps) {
    ZPProfile profile;
    if (!profile.ParseText(ProfileText(helps), "bench.txt")) std::abort();
    return *ZPImageWriter::Compile(profile);
}

// The largest image of this shape that fits the limit.
const Bytes& LargestImage() {
    static const Bytes image = [] {
        int low = 1000;
        int high = 1000;
        while (Compile(high).size() <= ZPImageLoader::kMaxImageSize)
            low = high, high *= 2;
        while (high - low > 1) {
            const int middle = (low + high) / 2;
            (Compile(middle).size() <= ZPImageLoader::kMaxImageSize ? low : high) = middle;
        }
        return Compile(low);
    }();
    return image;
}

// The compressed object stream inside the image.
Bytes CompressedOf(const Bytes& image) {
    const auto span = std::span<const std::uint8_t>(image);
    Bytes compressed;
    std::string error;
    if (!ZPImageEnvelope::Open(span.first(64), span.subspan(64, span.size() - 68), ZPImageKeys(), compressed,
                               error))
        std::abort();
    return compressed;
}

void BM_LoadLargestImage(benchmark::State& state) {
    const Bytes& image = LargestImage();
    const ZPImageKeys keys;
    std::size_t objects = 0;
    for (auto _ : state) {
        ZKProfilePlus profile;
        std::string error;
        if (!ZPImageLoader::Load(image, profile, {}, error, keys)) state.SkipWithError(error.c_str());
        objects = profile.Maps().size();
    }
    state.counters["image_bytes"] = static_cast<double>(image.size());
    state.counters["objects"] = static_cast<double>(objects);
}

void BM_FloorZlibInflate(benchmark::State& state) {
    const Bytes compressed = CompressedOf(LargestImage());
    Bytes stream(ZPImageCompression::kMaxInflated);
    uLongf size = 0;
    for (auto _ : state) {
        size = stream.size();
        if (uncompress(stream.data(), &size, compressed.data(), compressed.size()) != Z_OK)
            state.SkipWithError("zlib");
        benchmark::DoNotOptimize(stream.data());
    }
    state.counters["compressed_bytes"] = static_cast<double>(compressed.size());
    state.counters["stream_bytes"] = static_cast<double>(size);
}

void BM_CryptoppInflate(benchmark::State& state) {
    const Bytes compressed = CompressedOf(LargestImage());
    Bytes stream;
    for (auto _ : state) {
        std::string error;
        if (!ZPImageCompression::Inflate(compressed, stream, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(stream.data());
    }
}

// The objects alone: the inflated stream read into a profile.
void BM_ReadObjectStream(benchmark::State& state) {
    Bytes stream;
    std::string error;
    if (!ZPImageCompression::Inflate(CompressedOf(LargestImage()), stream, error)) std::abort();
    for (auto _ : state) {
        ZKProfilePlus profile;
        if (!ZPImageStream::Read(stream, profile, nullptr, {}, error)) state.SkipWithError(error.c_str());
    }
}

}  // namespace

BENCHMARK(BM_LoadLargestImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CryptoppInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadObjectStream)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
