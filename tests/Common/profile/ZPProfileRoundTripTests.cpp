// Every kind's record: a profile written to an object stream and read back dumps exactly as its text did, and
// a stream cut or altered fails cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "Common/profile/ZKProfilePlus.h"
#include "Common/profile/ZPImageLoader.h"
#include "Common/profile/ZPImageStream.h"
#include "Common/profile/ZPImageWriter.h"
#include "Common/profile/ZPProfile.h"
#include "ImageTestSupport.h"
#include "ProfileTestSupport.h"

namespace {

// A profile that uses every kind, with `items` items; `pinGroups` chooses PIN_ASSIGNMENT_GROUPs over
// IOFUNCTION_REQUIREMENT_GROUPs (a profile may not have both).
std::string EveryKindProfile(int items, bool pinGroups) {
    std::string ids;
    std::string itemBlocks;
    std::string menuItems;
    const char* const types[3] = {"UNSIGNED", "SIGNED", "REAL"};
    for (int i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        ids += "ID(ID_" + n + ", " + std::to_string(100 + i) + ") ";
        const std::string modifier = i % 3 == 1 ? "LOGBOOK " : "";
        itemBlocks += modifier + "ITEM(Item" + n + ") FROM ItemT { ID(" + std::to_string(100 + i) +
                      ") TEXT(\"Item " + n + "\") TYPE(" + types[i % 3] + ") BITS(32) SCALE(0." + n +
                      "5) OFFSET(-" + n + ".125) }\n";
        menuItems += "ITEM(Item" + n + ") ";
    }
    return "GLOBAL_ID_DATABASE() { " + ids +
           "}\n"
           "GLOBAL_UNIT_DATABASE() { UNIT(U_V, \"V\") UNIT(U_A, \"A\") }\n"
           "QTY_UNIT_DATABASE() { QTY_UNIT(Q_V, U_V) }\n"
           "LOCAL_UNIT_DATABASE() { UNIT(U_MS, \"ms\") }\n"
           "GLOBAL_QTY_DATABASE() { QTY(Q_V, \"Voltage\", U_V) }\n"
           "GLOBAL_MAP_DATABASE() { MAP(Comment1, 1, 16) MAP(Renames, 2, 64) MAP(AltNames, 3, 16) MAP(Dim1, "
           "4, 2)\n"
           "  MAP(Bp1, 5, 8) MAP(OpModes, 6, 1) MAP(Strat1, 7, 4) MAP(Opaque1, 8, 32) MAP(Sensor1, 9, 8)\n"
           "  MAP(Renames2, 10, 8) MAP(TickTable, 11, 12) }\n"
           "FEATURE_DATABASE() { FEATURE(1, F_LOG, \"Logging\") FEATURE(2, F_RTC, \"Clock\") }\n"
           "DATA_LOGGING() { CHANNELS(8) TICK_MS(10) }\n"
           "MAP_CELL(OpaqueCalDataMC) { TYPE(UNSIGNED) BITS(8) }\n"
           "MAP_CELL(Word) { TYPE(SIGNED) BITS(16) SCALE(0.1) OFFSET(-40) }\n"
           "ENUM(ePinKind) { ELEMENT(PK_OUT, \"Output\") ELEMENT(PK_IN, \"Input\", 7) }\n"
           "ENUM(eOpModes) { ELEMENT(OM_IDLE, \"Idle\") ELEMENT(OM_RUN, \"Run\") }\n"
           "ENUM(eFlags) { ELEMENT(DF_SENSOR_ERRORS, \"Sensor errors\") }\n"
           "ENUM(eAttributes) { ELEMENT(PA_PULLUP, \"Pull-up\") }\n"
           "ENUM(eNames) { ELEMENT(N_A, \"a\") ELEMENT(N_B, \"b\", -3) ALTERNATE_NAMES(AltNames, 8) "
           "OVERRIDABLE(TRUE) }\n"
           "TEMPLATE ENUM(eT) { ELEMENT(T_A, \"a\") }\n"
           "ENUM(eFromT) FROM eT { ELEMENT(T_B, \"b\") }\n"
           "SUB_ENUM(eRunning) { BASE_ENUM(eOpModes) ELEMENT(OM_RUN) }\n"
           "TAGGED_ENUM(eIo) { TAG_ENUM(ePinKind) UNIQUE_TAGS ELEMENT(IO_A, \"A\", PK_OUT) ELEMENT(IO_B, "
           "\"B\", "
           "PK_IN) }\n"
           "SECURE_ENUM(eSecure) { ELEMENT(SE_A, \"Secret\") }\n"
           "SECURE_TAGGED_ENUM(eSecureIo) { TAG_ENUM(ePinKind) ELEMENT(ST_A, \"s\", PK_IN, 4) }\n"
           "PIN(P1) { TEXT(\"Pin 1\") ATTRIBUTES(PA_PULLUP) }\n"
           "TEMPLATE PIN(PinT) { TEXT(\"Pin\") }\n"
           "PIN(P2) FROM PinT { ATTRIBUTES() }\n"
           "PIN_GROUP(PG) { TEXT(\"Pins\") PINS(P1, P2) }\n"
           "UNIT_GROUP(UG) { TEXT(\"Units\") }\n"
           "REPRESENTATION(Rep) { TEXT(\"Rep\") }\n"
           "HELP(H1) { TEXT(\"First\") LINK(H2) }\n"
           "HELP(H2) { TEXT(\"Second \\\"quoted\\\"\") }\n"
           "TEMPLATE ITEM(ItemT) { QTY(Q_V) HELP(H1) ENUM(eOpModes) }\n" +
           itemBlocks +
           "END_OF_ITEM_DEFINITIONS\n"
           "CREATE_ITEM_ENUMS\n"
           "TEMPLATE DIMENSION(DimT) { MAP_CELL(Word) }\n"
           "VIRTUAL DIMENSION(Dim1) FROM DimT { TEXT(\"Dimension\") SIZE(1) }\n"
           "BREAKPOINTS(Bp1) { TEXT(\"Breakpoints\") MAP_CELL(Word) SIZE(4) }\n"
           "MODE_SELECT(OpModes) { TEXT(\"Modes\") MAP_CELL(OpaqueCalDataMC) SIZE(1) ENUM(eOpModes) }\n"
           "VIRTUAL LEARNING STRATEGY(Strat1) { TEXT(\"Strategy\") MAP_CELL(Word) SIZE(2) }\n"
           "LEARNING OPAQUE_CAL_DATA(Opaque1) { TEXT(\"Notes\") MAP_CELL(OpaqueCalDataMC) SIZE(32) }\n"
           "ANALOGUE_SENSOR(Sensor1) { TEXT(\"Sensor\") }\n"
           "OM_DASH(DashIdle) { TEXT(\"Idle dash\") OP_MODE(OM_IDLE) }\n"
           "OM_DASH(DashRun) { OP_MODE(OM_RUN) }\n"
           "MAP_DASH(MapDash) { TEXT(\"Map dash\") }\n"
           "PROFILE_HEADER() {\n"
           "  DEV_TYPE(\"Every kind\") BYTE_ORDER(BIG_ENDIAN) PROFILE_ADDRESS(0x80000) "
           "CALIBRATION_ADDRESS(0x90000)\n"
           "  CALIBRATION_HEADER_FORMAT_VERSION(2, 1) CODE_BRANCH(1) CODE_VERSION(2) CODE_REVISION(3)\n"
           "  FROM_CODE_REVISION(1) PROFILE_REVISION(4) CALIBRATION_COMMENT(Comment1, 16)\n"
           "  RENAMING_DEFINITIONS(Renames, 64) LOGGING_TICK_TABLE(TickTable) IO_FUNCTIONS_ENUM(eIo)\n"
           "  DEVICE_FLAGS_ENUM(eFlags) PIN_ATTRIBUTES_ENUM(eAttributes) DASH_OP_MODE(OpModes) "
           "SENSOR_HINT_SIZE(8)\n"
           "  OMIT_ANALOGUE_SENSOR_MENU_BRANCH ADD_MAP_FUNCTION_OF_SUFFIX ITEM_INDEX_ENUM(eItemIndex)\n"
           "  ITEM_INDEX_SUB_ENUM(eFirstItems, Item0) PIN_STAT_DEF(\"OUT:2 IN:2\")\n"
           "}\n" +
           (pinGroups
                ? "PIN_ASSIGNMENT_GROUP(Assign) { TEXT(\"Outputs\") IO_FUNCTIONS(IO_A, IO_B) PINS(P1, P2) }\n"
                : "IOFUNCTION_REQUIREMENT_GROUP(Need) { TEXT(\"Needs\") IO_FUNCTIONS(IO_B, IO_A) "
                  "CONDITION(\"Item0 > 1\") }\n") +
           "IOFUNCTION_SHARING_GROUP(Share) { TEXT(\"Shared\") IO_FUNCTIONS(IO_A) }\n"
           "GLOBAL_ERROR_DATABASE() { SOURCE(1, S_ONE, \"One\") SOURCE(2, S_TWO, \"Two\") CAUSE(1, C_SHORT, "
           "\"Short\") }\n"
           "LOCAL_ERROR_DATABASE() { CAUSE(100, C_LOCAL, \"Local\") GROUP(G1, \"Group\") { SOURCES(S_TWO, "
           "S_ONE) "
           "CAUSES(C_LOCAL, C_SHORT) } }\n"
           "LOGBOOK_INFO(Logbook) { TEXT(\"Logbook\") HEADER_SLOTS(1) ENTRY_SLOTS(2) }\n"
           "LOGBOOK_HEADER_MENU(LogHeader) { ITEM(Item0) }\n"
           "LOGBOOK_ENTRY_MENU(LogEntry) { TEXT(\"Entries\") ITEM(Item1) ITEM(Item0) }\n"
           "MENU(Root) { TITLE(\"Top\") SUB_MENU(\"Engine\") { " +
           menuItems +
           "SUB_MENU(\"Maps\") { MAP(Dim1) MAP(Bp1) } } MAP(OpModes) MAP(Strat1) MAP(Opaque1) }\n"
           "RENAMING_GROUP(Renames2) { TEXT(\"Renames\") MENU_NAME(\"Engine\") }\n"
           "CASE_SELECT_RENAMING_GROUP(ByCase) { ITEM(Item0) CASE(1, \"One\") CASE(2, \"Two\") "
           "MENU_NAME(\"Top\") }\n"
           "ITEM_SELECT_RENAMING_GROUP(ByItem) { ITEM(Item1) MENU_NAME(\"Maps\") }\n";
}

bool Load(std::span<const std::uint8_t> stream, ZPProfile& profile, std::string& error) {
    return ZPImageStream::Read(stream, profile, nullptr, {}, error);
}

// Writes `profile` to a stream, reads it into `loaded` and compares the two dumps.
void ExpectRoundTrip(ZPProfile& profile, ZPProfile& loaded, const std::string& what) {
    const auto stream = ZPImageStream::Write(profile);
    std::string error;
    ASSERT_TRUE(Load(stream, loaded, error)) << what << ": " << error;
    EXPECT_EQ(profile.Dump(), loaded.Dump()) << what;
    // Written again, the loaded profile gives the same bytes.
    EXPECT_EQ(stream, ZPImageStream::Write(loaded)) << what;
}

}  // namespace

TEST(ZPProfileRoundTrip, DemoProfilesDumpAsTheirText) {
    int profiles = 0;
    for (const auto& file : std::filesystem::directory_iterator(ZK_SOURCE_DIR "/data/profiles")) {
        if (file.path().extension() != ".txt") continue;
        ++profiles;
        ZPProfile profile;
        ASSERT_TRUE(profile.ParseFile(file.path().string())) << file.path();
        ZPProfile loaded;
        ExpectRoundTrip(profile, loaded, file.path().string());
        // The same through the whole sealed image: cipher envelope, zlib and the loader's checks.
        const auto image = ZPImageWriter::Compile(profile);
        ASSERT_TRUE(image);
        ZKProfilePlus fromImage;
        std::string error;
        ASSERT_TRUE(ZPImageLoader::Load(*image, fromImage, {}, error)) << file.path() << ": " << error;
        EXPECT_EQ(profile.Dump(), fromImage.Dump()) << file.path();
    }
    EXPECT_GE(profiles, 3);
}

TEST(ZPProfileRoundTrip, GeneratedProfilesUseEveryKindAndDumpAsTheirText) {
    std::set<int> kinds;
    for (int items = 2; items <= 11; items += 3) {
        ZPProfile profile;
        std::string error;
        ASSERT_TRUE(zptest::Parse(profile, EveryKindProfile(items, items % 2 == 0), &error)) << error;
        ZPProfile loaded;
        ExpectRoundTrip(profile, loaded, "items " + std::to_string(items));
        EXPECT_TRUE(loaded.IsValid()) << loaded.Errors().back();
        for (const auto& map : loaded.Maps())
            kinds.insert(map->Kind());
    }
    // The unit sections are parsed into the GLOBAL_UNIT_DATABASE; every other kind is an object.
    EXPECT_EQ(static_cast<std::size_t>(ZP_KIND_COUNT - 2), kinds.size());
}

TEST(ZPProfileRoundTrip, CutOrUnknownRecordsFailAsCorruption) {
    // Version 3 has no tail offset, so every cut ends inside the objects.
    const auto cutStream = zptest::StreamOf(EveryKindProfile(2, true), 3);
    for (std::size_t size = 0; size < cutStream.size(); ++size) {
        ZPProfile loaded;
        std::string error;
        ASSERT_FALSE(Load(std::span(cutStream).first(size), loaded, error)) << size;
        ASSERT_EQ("Internal Corruption", error) << size;
    }
    const auto stream = zptest::StreamOf(EveryKindProfile(2, true));
    // A record one byte longer than its object reads is corrupt, as is one of an unknown kind unless
    // skippable.
    auto withObject = [&](std::uint32_t kind, std::uint8_t flags) {
        std::vector<std::uint8_t> bytes(stream);
        const std::size_t countAt = 1 + 4 + 4;  // version, tail offset, device flags
        const std::size_t tailAt =
            (std::size_t{bytes[1]} << 24) | (bytes[2] << 16) | (bytes[3] << 8) | bytes[4];
        bytes[countAt + 3] = static_cast<std::uint8_t>(bytes[countAt + 3] + 1);
        const auto high = static_cast<std::uint8_t>(kind >> 24);
        const auto low = static_cast<std::uint8_t>(kind);
        const std::uint8_t object[] = {high, 0, 0, low, flags, 0, 0, 0, 1, 0x5A};  // kind, flags, size, byte
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(tailAt), std::begin(object),
                     std::end(object));
        zptest::PutU32(bytes, 1, static_cast<std::uint32_t>(tailAt + sizeof object));
        ZPProfile loaded;
        std::string error;
        return Load(bytes, loaded, error) ? std::string("loaded") : error;
    };
    EXPECT_EQ("loaded", withObject(41, ZP_STREAM_SKIPPABLE));
    EXPECT_EQ("loaded", withObject(0x7F000000, ZP_STREAM_SKIPPABLE));
    EXPECT_EQ("Internal Corruption", withObject(41, 0));
    EXPECT_EQ("Internal Corruption", withObject(ZP_HELP, ZP_STREAM_SKIPPABLE));
}
