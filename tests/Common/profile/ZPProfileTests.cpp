#include "Common/profile/ZPProfile.h"

#include <gtest/gtest.h>

#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPEnum.h"
#include "Common/profile/ZPOpenMap.h"
#include "ProfileTestSupport.h"

namespace {

using zptest::Basics;
using zptest::ErrorOf;

const std::string kMenu = "MENU(Root) { }\n";

TEST(ZPProfileTopLevel, EveryRowOfTheKindTableMakesObjectsOfItsKind) {
    ZPProfile profile;
    for (int kind = 0; kind < ZP_KIND_COUNT; ++kind) {
        const std::unique_ptr<ZPMap> map = profile.CreateMap(kind);
        ASSERT_TRUE(map) << kind;
        EXPECT_EQ(kind, map->Kind());
        EXPECT_EQ(kind, ZPKindOfKeyword(map->Keyword()));
        EXPECT_EQ(ZPIsEnumKind(kind), dynamic_cast<ZPEnum*>(map.get()) != nullptr) << map->Keyword();
        // A template flag makes sense only where a block may be derived FROM one.
        EXPECT_TRUE(!map->IsTemplatable() || map->IsReferencable()) << map->Keyword();
    }
    EXPECT_FALSE(profile.CreateMap(ZP_KIND_COUNT));
    EXPECT_STREQ("?", ZPKindKeyword(-1));
}

TEST(ZPProfileTopLevel, UnknownKeywordsAndUnitSections) {
    EXPECT_EQ("Unrecognised token \"BOGUS\"\n", ErrorOf("BOGUS(x) { }"));
    EXPECT_EQ("The GLOBAL_UNIT_DATABASE must be defined before the QTY_UNIT_DATABASE\n",
              ErrorOf("QTY_UNIT_DATABASE() { }"));
    EXPECT_EQ("The GLOBAL_UNIT_DATABASE must be defined before the LOCAL_UNIT_DATABASE\n",
              ErrorOf("LOCAL_UNIT_DATABASE() { }"));
    const std::string units = "GLOBAL_UNIT_DATABASE() { UNIT(U_V, \"V\") }\n";
    EXPECT_EQ("The QTY_UNIT_DATABASE has already been defined\n",
              ErrorOf(units + "QTY_UNIT_DATABASE() { } QTY_UNIT_DATABASE() { }"));
    EXPECT_EQ("GLOBAL_UNIT_DATABASE already exists\n", ErrorOf(units + units));
    EXPECT_EQ("Unexpected end of file\n", ErrorOf("VIRTUAL TEMPLATE"));
}

TEST(ZPProfileTopLevel, ModifiersReachTheBlock) {
    ZPProfile profile;
    const std::string maps =
        "VIRTUAL LEARNING DIMENSION(Table) { SIZE(8) }\nLEARNING LOGBOOK OPAQUE_CAL_DATA(Names) { SIZE(1) }\n"
        "MENU(Root) { MAP(Table) MAP(Names) }\n";
    std::string error;
    ASSERT_TRUE(zptest::Parse(profile, Basics() + maps, &error)) << error;
    EXPECT_EQ(ZP_FLAG_VIRTUAL | ZP_FLAG_LEARNING, profile.Find(ZP_DIMENSION, "Table")->Flags());
    EXPECT_EQ(ZP_FLAG_LEARNING | ZP_FLAG_LOGBOOK, profile.Find(ZP_OPAQUE_CAL_DATA, "Names")->Flags());
}

TEST(ZPProfileTopLevel, ErrorsCarryThePositionOfTheBlock) {
    ZPProfile profile;
    EXPECT_FALSE(profile.ParseText("ENUM(a) {\n}\n\nENUM(a) { }\n", "p.txt"));
    ASSERT_EQ(1u, profile.Errors().size());
    EXPECT_EQ("00004 \"p.txt\" - ENUM(a) already exists\n", profile.Errors()[0]);
}

TEST(ZPProfileTemplates, DerivedBlocksCopyTheTemplate) {
    const std::string items =
        "TEMPLATE ITEM(Base) { TYPE(SIGNED) BITS(16) SCALE(0.5) }\n"
        "ITEM(A) FROM Base { ID(1) }\n"
        "MENU(Root) { ITEM(A) }\n";
    ZPProfile profile;
    std::string error;
    ASSERT_TRUE(zptest::Parse(profile, Basics() + items, &error)) << error;
    auto* item = static_cast<ZPOpenMap*>(profile.Find(ZP_ITEM, "A"));
    EXPECT_EQ("SIGNED", item->Value("TYPE"));
    EXPECT_EQ("0.5", item->Value("SCALE"));
    EXPECT_EQ("1", item->Value("ID"));

    EXPECT_EQ("Could not find TEMPLATE Nope\n", ErrorOf("ITEM(A) FROM Nope {"));
    EXPECT_EQ("Could not find TEMPLATE Base\n",
              ErrorOf("ITEM(Base) { ID(1) TYPE(UNSIGNED) BITS(8) } ITEM(A) FROM Base {"));
    EXPECT_EQ("Could not find start of map A\n", ErrorOf("TEMPLATE ITEM(Base) { } ITEM(A) FROM Base ID"));
    EXPECT_EQ("Could not parse TEMPLATE after FROM\n", ErrorOf("ITEM(A) FROM 9x"));
    EXPECT_EQ("HELP(h) cannot be derived from a TEMPLATE\n", ErrorOf("HELP(h) FROM x {"));
    EXPECT_EQ("MENU cannot be used as a TEMPLATE\n", ErrorOf("TEMPLATE MENU(m) { }"));
    EXPECT_EQ("Unexpected token \"[\"\n", ErrorOf("ENUM(e) ["));
    EXPECT_EQ("Could not parse ENUM declaration\n", ErrorOf("ENUM e"));
}

TEST(ZPProfileReferences, LookupFailuresAndUseCounts) {
    ZPProfile profile;
    ASSERT_FALSE(profile.ParseText("ENUM(e) { ELEMENT(A, \"a\") }\nTEMPLATE ITEM(T) { }\nMAP_CELL(Bad) { }"));
    EXPECT_NE(nullptr, profile.FindReference(ZP_ENUM, "e", true, true));
    EXPECT_EQ(1, profile.Find(ZP_ENUM, "e")->UseCount());
    EXPECT_EQ(nullptr, profile.FindReference(ZP_ENUM, "x", true, true));
    EXPECT_EQ("Could not find reference to \"x\"\n", profile.Errors().back().substr(11));
    EXPECT_EQ(nullptr, profile.FindReference(ZP_ITEM, "T", true, true));
    EXPECT_EQ("Cannot reference a TEMPLATE ITEM\n", profile.Errors().back().substr(11));
    const std::size_t errors = profile.Errors().size();
    EXPECT_EQ(nullptr, profile.FindReference(ZP_ENUM, "x", false, false));
    EXPECT_EQ(errors, profile.Errors().size());

    // A menu entry naming an item that does not exist is found at the end of the file.
    EXPECT_EQ("Could not find reference to \"Ghost\"\n", ErrorOf(Basics() + "MENU(Root) { ITEM(Ghost) }"));
}

TEST(ZPProfileValidity, WholeProfileChecksInOrder) {
    EXPECT_EQ("GLOBAL_ID_DATABASE not defined\n", ErrorOf("ENUM(e) { }"));
    EXPECT_EQ("Root MENU_MAP not defined\n", ErrorOf(Basics()));
    EXPECT_EQ("Not all ITEMs in MENU_MAP\n",
              ErrorOf(Basics() + "ITEM(A) { ID(1) TYPE(UNSIGNED) BITS(8) }\n" + kMenu));
    EXPECT_EQ("ITEM(A) appears more than once in the menu\n",
              ErrorOf(Basics() + "ITEM(A) { ID(1) TYPE(UNSIGNED) BITS(8) }\nMENU(Root) { ITEM(A) ITEM(A) }"));
    EXPECT_EQ("Not all \"calibratable\" maps in MENU_MAP\n",
              ErrorOf(Basics() + "DIMENSION(Table) { }\n" + kMenu));
    EXPECT_EQ("MAP(Table) has been used more than once\n",
              ErrorOf(Basics() + "DIMENSION(Table) { }\nSTRATEGY(Table) { }\nMENU(Root) { MAP(Table) }"));
    EXPECT_EQ("HELP(a) Cant find following HELP hyperlinks :\nb\nc\n",
              ErrorOf(Basics() + "HELP(a) { LINK(b) LINK(c) }\n" + kMenu));
    EXPECT_EQ("ITEM(A) parsed OK but is not valid\n", ErrorOf("ITEM(A) { ID(1) TYPE(REAL) BITS(16) }"));
}

TEST(ZPProfileValidity, IoFunctionGroupsClaimEachFunctionOnce) {
    const std::string functions = "ENUM(eIo) { ELEMENT(IO_A, \"a\") ELEMENT(IO_B, \"b\") }\n";
    const std::string text = functions + Basics("IO_FUNCTIONS_ENUM(eIo)\n") + kMenu;
    EXPECT_EQ("IO_FUNCTION(IO_B) is not referenced by a IOFUNCTION_REQUIREMENT_GROUP\n",
              ErrorOf(text + "IOFUNCTION_REQUIREMENT_GROUP(g) { IO_FUNCTIONS(IO_A) }"));
    EXPECT_EQ("IO_FUNCTION(IO_A) is referenced by more than one PIN_ASSIGNMENT_GROUP\n",
              ErrorOf(text + "PIN_ASSIGNMENT_GROUP(g) { IO_FUNCTIONS(IO_A, IO_B) }\n"
                             "PIN_ASSIGNMENT_GROUP(h) { IO_FUNCTIONS(IO_A) }"));
    EXPECT_EQ("You cannot use both PIN_ASSIGNMENT_GROUPs and IOFUNCTION_REQUIREMENT_GROUPs\n",
              ErrorOf(text + "PIN_ASSIGNMENT_GROUP(g) { } IOFUNCTION_REQUIREMENT_GROUP(h) { }"));
    EXPECT_EQ("", ErrorOf(text + "IOFUNCTION_REQUIREMENT_GROUP(g) { IO_FUNCTIONS(IO_B, IO_A) }"));
}

TEST(ZPProfileValidity, EveryOpModeOfTheDashModeSelectHasAnOmDash) {
    // The MODE_SELECT comes before the header that names it.
    std::string text = Basics("DASH_OP_MODE(Table)\n") + "MENU(Root) { MAP(Table) }\n";
    text.insert(text.find("PROFILE_HEADER"),
                "ENUM(eModes) { ELEMENT(M_IDLE, \"Idle\") ELEMENT(M_RUN, \"Run\") }\n"
                "MODE_SELECT(Table) { SIZE(1) ENUM(eModes) }\n");
    const std::string idle = "OM_DASH(DashIdle) { OP_MODE(M_IDLE) }\n";
    EXPECT_EQ("Cant find OM_DASH for OP Mode M_RUN\n", ErrorOf(text + idle));
    EXPECT_EQ("", ErrorOf(text + idle + "OM_DASH(DashRun) { TEXT(\"Running\") OP_MODE(M_RUN) }\n"));
    EXPECT_EQ("Could not find reference to \"eNone\"\n",
              ErrorOf(Basics() + "MODE_SELECT(Table) { ENUM(eNone) }"));
}

TEST(ZPProfileFinish, ItemIdsLogbookSlotsAndRenamingMenuNames) {
    const std::string item = "ITEM(A) { ID(1) TYPE(UNSIGNED) BITS(8) }\n";
    EXPECT_EQ("ITEM(B) ID(9) is not in GLOBAL_ID_DATABASE\n",
              ErrorOf(Basics() + item +
                      "ITEM(B) { ID(9) TYPE(UNSIGNED) BITS(8) }\nMENU(Root) { ITEM(A) ITEM(B) }"));

    const std::string menu = "MENU(Root) { TITLE(\"Top\") SUB_MENU(\"Sub\") { ITEM(A) } }\n";
    const std::string logbook = "LOGBOOK_HEADER_MENU(H) { ITEM(A) }\nLOGBOOK_ENTRY_MENU(E) { ITEM(A) }\n";
    EXPECT_EQ("LOGBOOK_HEADER_MENU(H) has 1 ITEMs but LOGBOOK_INFO(L) has 0 HEADER_SLOTS\n",
              ErrorOf(Basics() + item + menu + logbook + "LOGBOOK_INFO(L) { ENTRY_SLOTS(1) }"));
    EXPECT_EQ(
        "", ErrorOf(Basics() + item + menu + logbook + "LOGBOOK_INFO(L) { HEADER_SLOTS(1) ENTRY_SLOTS(3) }"));
    // Without all three logbook blocks there is nothing to check.
    EXPECT_EQ("", ErrorOf(Basics() + item + menu + "LOGBOOK_HEADER_MENU(H) { ITEM(A) } LOGBOOK_INFO(L) { }"));

    EXPECT_EQ("Cannot resolve all MENU_NAME references in CASE_SELECT_RENAMING_GROUP(c)\n",
              ErrorOf(Basics() + item + menu +
                      "CASE_SELECT_RENAMING_GROUP(c) { ITEM(A) CASE(1, \"one\") MENU_NAME(\"Sub\") "
                      "MENU_NAME(\"No\") }"));
    EXPECT_EQ("Cannot resolve all MENU_NAME references in RENAMING_GROUP(Names)\n",
              ErrorOf(Basics() + item + menu + "RENAMING_GROUP(Names) { MENU_NAME(\"sub\") }"));
    EXPECT_EQ("", ErrorOf(Basics() + item + menu + "RENAMING_GROUP(Names) { MENU_NAME(\"Sub\") }\n" +
                          "ITEM_SELECT_RENAMING_GROUP(i) { ITEM(A) MENU_NAME(\"Top\") }"));
}

TEST(ZPProfileFinish, PinAssignmentGroupsGetInternalStrategiesBeforeTheMenu) {
    const std::string pins =
        "PIN(P1) { } PIN(P2) { TEXT(\"b\") ATTRIBUTES(PULL_UP) }\n"
        "PIN_ASSIGNMENT_GROUP(G) { TEXT(\"Outputs\") PINS(P1, P2) }\n"
        "PIN_ASSIGNMENT_GROUP(Empty) { }\n";
    ZPProfile profile;
    std::string error;
    ASSERT_TRUE(zptest::Parse(profile, Basics() + pins + kMenu, &error)) << error;
    ASSERT_EQ(1u, profile.MapsOfKind(ZP_STRATEGY).size());
    const auto* map = static_cast<const ZPCalData*>(profile.MapsOfKind(ZP_STRATEGY)[0]);
    EXPECT_EQ("IoPinG", map->Name());
    EXPECT_TRUE(map->IsInternal());
    EXPECT_EQ("Outputs", map->Text());
    EXPECT_EQ(2u, map->Size());

    EXPECT_EQ("Could not create maps for \"internal\" IoPin ZPStrategy\n",
              ErrorOf(Basics() + pins + "TEMPLATE STRATEGY(IoPinG) { }\n" + kMenu));
    EXPECT_EQ("Could not find reference to \"P3\"\n",
              ErrorOf(Basics() + "PIN_GROUP(g) { PINS(P3) }\n" + kMenu));
}

TEST(ZPProfileValidity, ConditionsCompileAgainstItemsAndEnumerationElements) {
    const std::string text = Basics() + "ENUM(eMode) { ELEMENT(RUN, \"r\") }\n" +
                             "ITEM(Temp) { ID(1) TYPE(UNSIGNED) BITS(8) }\nMENU(Root) { ITEM(Temp) }\n";
    const auto group = [&text](const std::string& condition) {
        return text + "IOFUNCTION_REQUIREMENT_GROUP(g) { CONDITION(\"" + condition + "\") }";
    };
    ZPProfile good;
    EXPECT_TRUE(good.ParseText(group("Temp > 95 + RUN"))) << good.Errors().back();

    for (const std::string bad : {"Temp >", "Missing > 1", "RUN(2)"}) {
        ZPProfile profile;
        EXPECT_FALSE(profile.ParseText(group(bad))) << bad;
        ASSERT_FALSE(profile.Errors().empty());
        EXPECT_NE(std::string::npos, profile.Errors().back().find("Could not parse CONDITION; ")) << bad;
        EXPECT_EQ('\n', profile.Errors().back().back());
        EXPECT_EQ(std::string::npos, profile.Errors().back().find("\n\n")) << bad;
    }

    ZPProfile unchecked;
    unchecked.SetConditionChecker({});
    EXPECT_TRUE(unchecked.ParseText(group("Temp >")));

    ZPProfile custom;
    std::string seen;
    custom.SetConditionChecker([&seen](const std::string& condition, std::string& message) {
        seen = condition;
        message = "missing operand";
        return false;
    });
    EXPECT_FALSE(custom.ParseText(group("1")));
    EXPECT_EQ("1", seen);
    EXPECT_NE(std::string::npos, custom.Errors().back().find("Could not parse CONDITION; missing operand\n"));
}

TEST(ZPProfileItems, ItemEnumerations) {
    const std::string items =
        "ITEM(A) { ID(1) TYPE(UNSIGNED) BITS(8) }\nITEM(B) { ID(2) TYPE(SIGNED) BITS(16) }\n"
        "ITEM(C) { ID(3) TYPE(REAL) BITS(32) }\nITEM(D) { ID(4) TYPE(UNSIGNED) BITS(64) }\n";
    const std::string menu = "MENU(Root) { ITEM(A) ITEM(B) ITEM(C) ITEM(D) }\n";
    ZPProfile profile;
    std::string error;
    ASSERT_TRUE(zptest::Parse(
        profile, items + "CREATE_ITEM_ENUMS\n" + Basics("ITEM_INDEX_ENUM(eIdx)\n") + menu, &error))
        << error;
    const ZPEnum* e32 = profile.FindEnum("eItems32BitsOrLess");
    const ZPEnum* e8 = profile.FindEnum("eItems8BitsOrLess");
    ASSERT_TRUE(e32 && e8);
    EXPECT_EQ(3u, e32->Count());
    ASSERT_EQ(1u, e8->Count());
    EXPECT_EQ("ENUM_ITEM8_A", e8->At(0).symbol);
    const ZPEnum* index = profile.FindEnum("eIdx");
    ASSERT_NE(nullptr, index);
    ASSERT_EQ(5u, index->Count());
    EXPECT_EQ("IIE_B_S", index->At(1).symbol);
    EXPECT_EQ("IIE_C_F", index->At(2).symbol);
    EXPECT_EQ("IIE_NOT_SET", index->At(4).symbol);
    EXPECT_EQ("NOT_SET", index->At(4).text);

    EXPECT_EQ("All ITEMS must be defined before use of ITEM_INDEX_ENUM\n",
              ErrorOf(Basics("ITEM_INDEX_ENUM(eIdx)\n") + items));
    EXPECT_EQ("MAP(eIdx) already exists\n", ErrorOf("ENUM(eIdx) { }\n" + Basics("ITEM_INDEX_ENUM(eIdx)\n")));
}

TEST(ZPProfileOwnership, AMinimalProfileListsByKindAndTakeFromMovesEveryObject) {
    ZPProfile loaded;
    std::string error;
    ASSERT_TRUE(zptest::Parse(loaded, Basics() + kMenu, &error)) << error;
    EXPECT_EQ(loaded.Singleton(ZP_MENU), loaded.RootMenu());
    EXPECT_EQ("Root", loaded.RootMenu()->Name());
    ZPProfile live;
    live.TakeFrom(loaded);
    EXPECT_TRUE(loaded.Maps().empty());
    EXPECT_EQ(nullptr, loaded.Header());
    ASSERT_EQ(7u, live.Maps().size());
    for (const auto& map : live.Maps())
        EXPECT_EQ(&live, map->Profile());
    EXPECT_NE(nullptr, live.Header());
    ASSERT_EQ(1u, live.MapsOfKind(ZP_MAP_CELL).size());
    EXPECT_EQ("OpaqueCalDataMC", live.MapsOfKind(ZP_MAP_CELL)[0]->Name());
    EXPECT_EQ(live.Find(ZP_MAP_CELL, "OpaqueCalDataMC"), live.MapsOfKind(ZP_MAP_CELL)[0]);
}

TEST(ZPProfileRobustness, DeepMenuNestingAndOpenBlocksFailCleanly) {
    std::string deep = "MENU(Root) {";
    for (int i = 0; i < 10000; ++i)
        deep += " SUB_MENU(\"x\") {";
    EXPECT_EQ("MENU nesting is deeper than 32 levels\n", ErrorOf(deep));
    EXPECT_EQ("Unexpected end of file\n", ErrorOf("ENUM(e) { ELEMENT(A, \"a\""));
    EXPECT_EQ("Unexpected end of file\n", ErrorOf("MENU(Root) { SUB_MENU(\"x\") { "));
}

}  // namespace
