// Parse time of a generated profile of about 20,000 lines: the databases, a header, enumerations, error
// databases and items, with a menu listing every item. Reported as lines per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "Common/profile/ZPProfile.h"

namespace {

std::string GenerateProfile(int targetLines, int& lines) {
    std::string text =
        "GLOBAL_ID_DATABASE() { ID(ID_A, 1) }\n"
        "GLOBAL_UNIT_DATABASE() { UNIT(U_V, \"V\") }\n"
        "GLOBAL_QTY_DATABASE() { QTY(Q_V, \"Voltage\", U_V) }\n"
        "GLOBAL_MAP_DATABASE() { MAP(Comment1, 1, 16) }\n"
        "MAP_CELL(OpaqueCalDataMC) { TYPE(UNSIGNED) BITS(8) }\n"
        "PROFILE_HEADER() {\n"
        "  DEV_TYPE(\"Bench\") BYTE_ORDER(LITTLE_ENDIAN) PROFILE_ADDRESS(0x1000)\n"
        "  CODE_BRANCH(1) CODE_VERSION(2) CODE_REVISION(3) FROM_CODE_REVISION(1) PROFILE_REVISION(1)\n"
        "  CALIBRATION_COMMENT(Comment1, 16)\n"
        "}\n"
        "ENUM(eMode) {\n";
    lines = 11;
    for (int i = 0; i < 50; ++i, ++lines)
        text += "  ELEMENT(MODE_" + std::to_string(i) + ", \"Mode\")\n";
    text += "}\nGLOBAL_ERROR_DATABASE() {\n";
    lines += 2;
    for (int i = 1; i <= 200; ++i, lines += 2) {
        text += "  SOURCE(" + std::to_string(i) + ", S" + std::to_string(i) + ", \"Source " +
                std::to_string(i) + "\")\n";
        text += "  CAUSE(" + std::to_string(i) + ", C" + std::to_string(i) + ", \"Cause " +
                std::to_string(i) + "\")\n";
    }
    text += "}\n";
    ++lines;
    // Each item takes 8 lines: 7 for its block, 1 for its menu entry.
    const int items = (targetLines - lines - 2) / 8;
    std::string menu = "MENU(Root) {\n";
    for (int i = 0; i < items; ++i) {
        const std::string name = "Item" + std::to_string(i);
        text += "ITEM(" + name + ") {\n  ID(" + std::to_string(i) + ")\n  TEXT(\"Item number " +
                std::to_string(i) + "\") // measured\n  TYPE(UNSIGNED)\n  BITS(16)\n  SCALE(0.25)\n}\n";
        menu += "  ITEM(" + name + ")\n";
    }
    lines += items * 8 + 2;
    return text + menu + "}\n";
}

void BM_ParseProfileText(benchmark::State& state) {
    int estimated = 0;
    const std::string text = GenerateProfile(20000, estimated);
    const auto lines = std::count(text.begin(), text.end(), '\n');
    for (auto _ : state) {
        ZPProfile profile;
        if (!profile.ParseText(text)) {
            state.SkipWithError("the generated profile did not parse");
            break;
        }
        benchmark::DoNotOptimize(profile.Maps().size());
    }
    state.counters["lines"] = lines;
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ParseProfileText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
