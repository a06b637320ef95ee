#include "Common/profile/ZPKindTable.h"

#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPEnum.h"
#include "Common/profile/ZPGlobalErrorDB.h"
#include "Common/profile/ZPGlobalMapDB.h"
#include "Common/profile/ZPLocalErrorDB.h"
#include "Common/profile/ZPOpenMap.h"
#include "Common/profile/ZPProfileHeader.h"
#include "Common/profile/ZPSubEnum.h"
#include "Common/profile/ZPTaggedEnum.h"

namespace {

template <class T>
std::unique_ptr<ZPMap> Make(ZPProfile* profile, int /*kind*/) {
    return std::make_unique<T>(profile);
}

template <class T>
std::unique_ptr<ZPMap> MakeOfKind(ZPProfile* profile, int kind) {
    return std::make_unique<T>(profile, kind);
}

constexpr auto kOpen = MakeOfKind<ZPOpenMap>;
constexpr auto kCal = MakeOfKind<ZPCalData>;

const char* const kValueTypes[3] = {"UNSIGNED", "SIGNED", "REAL"};

const ZPKeywordSpec kText[] = {{"TEXT", "S"}};
const ZPKeywordSpec kIdDB[] = {{"ID", "LI"}};
const ZPKeywordSpec kUnitDB[] = {{"UNIT", "LS"}, {"QTY_UNIT", "LL", nullptr, 0, true}};
const ZPKeywordSpec kLocalUnitDB[] = {{"UNIT", "LS"}};
const ZPKeywordSpec kQtyUnitDB[] = {{"QTY_UNIT", "LL"}};
const ZPKeywordSpec kQtyDB[] = {{"QTY", "LSL"}};
const ZPKeywordSpec kDataLogging[] = {{"CHANNELS", "I"}, {"TICK_MS", "I"}};
const ZPKeywordSpec kPin[] = {{"TEXT", "S"}, {"ATTRIBUTES", "W"}};
const ZPKeywordSpec kPinGroup[] = {{"TEXT", "S"}, {"PINS", "W"}};
const ZPKeywordSpec kPinAssignment[] = {{"TEXT", "S"}, {"IO_FUNCTIONS", "W"}, {"PINS", "W"}};
const ZPKeywordSpec kMapCell[] = {
    {"TYPE", "E", kValueTypes, 3}, {"BITS", "I"}, {"SCALE", "R"}, {"OFFSET", "R"}};
const ZPKeywordSpec kItem[] = {{"ID", "I"},   {"TEXT", "S"},  {"TYPE", "E", kValueTypes, 3},
                               {"BITS", "I"}, {"SCALE", "R"}, {"OFFSET", "R"},
                               {"QTY", "L"},  {"ENUM", "L"},  {"HELP", "L"}};
const ZPKeywordSpec kOmDash[] = {{"TEXT", "S"}, {"OP_MODE", "L"}};
const ZPKeywordSpec kMenu[] = {{"TITLE", "S"}, {"ITEM", "L"}, {"MAP", "L"}};
const ZPKeywordSpec kHelp[] = {{"TEXT", "S"}, {"LINK", "L"}};
const ZPKeywordSpec kFeatures[] = {{"FEATURE", "ILS"}};
const ZPKeywordSpec kLogbookInfo[] = {{"TEXT", "S"}, {"HEADER_SLOTS", "I"}, {"ENTRY_SLOTS", "I"}};
const ZPKeywordSpec kLogbookMenu[] = {{"TEXT", "S"}, {"ITEM", "L"}};
const ZPKeywordSpec kRequirement[] = {{"TEXT", "S"}, {"IO_FUNCTIONS", "W"}, {"CONDITION", "S"}};
const ZPKeywordSpec kSharing[] = {{"TEXT", "S"}, {"IO_FUNCTIONS", "W"}};
const ZPKeywordSpec kRenaming[] = {{"TEXT", "S"}, {"MENU_NAME", "S"}};
const ZPKeywordSpec kCaseRenaming[] = {{"TEXT", "S"}, {"ITEM", "L"}, {"CASE", "IS"}, {"MENU_NAME", "S"}};
const ZPKeywordSpec kItemRenaming[] = {{"TEXT", "S"}, {"ITEM", "L"}, {"MENU_NAME", "S"}};

constexpr unsigned kRef = ZPK_REFERENCABLE;
constexpr unsigned kTmpl = ZPK_REFERENCABLE | ZPK_TEMPLATABLE;
constexpr unsigned kEnum = kTmpl | ZPK_ENUM;
constexpr unsigned kCalibratable = kTmpl | ZPK_GLOBAL_MAP_ID | ZPK_CALIBRATABLE;
constexpr unsigned kDatabase = ZPK_SINGLETON | ZPK_DATABASE;

const ZPKindInfo kKinds[ZP_KIND_COUNT] = {
    {"ENUM", MakeOfKind<ZPEnum>, kEnum, {}},
    {"GLOBAL_ID_DATABASE", kOpen, kDatabase, kIdDB},
    {"GLOBAL_UNIT_DATABASE", kOpen, kDatabase, kUnitDB},
    {"QTY_UNIT_DATABASE", kOpen, ZPK_DATABASE | ZPK_UNIT_SECTION, kQtyUnitDB},
    {"LOCAL_UNIT_DATABASE", kOpen, ZPK_DATABASE | ZPK_UNIT_SECTION, kLocalUnitDB},
    {"GLOBAL_QTY_DATABASE", kOpen, kDatabase, kQtyDB},
    {"GLOBAL_MAP_DATABASE", Make<ZPGlobalMapDB>, kDatabase, {}},
    {"PROFILE_HEADER", Make<ZPProfileHeader>, kDatabase, {}},
    {"DATA_LOGGING", kOpen, kDatabase, kDataLogging},
    {"PIN", kOpen, kTmpl, kPin},
    {"PIN_GROUP", kOpen, kTmpl, kPinGroup},
    {"PIN_ASSIGNMENT_GROUP", kOpen, kTmpl, kPinAssignment},
    {"UNIT_GROUP", kOpen, kTmpl, kText},
    {"REPRESENTATION", kOpen, kRef, kText},
    {"MAP_CELL", kOpen, kRef, kMapCell},
    {"ITEM", kOpen, kTmpl, kItem},
    {"DIMENSION", kCal, kCalibratable, {}},
    {"BREAKPOINTS", kCal, kCalibratable, {}},
    {"MODE_SELECT", kCal, kCalibratable, {}},
    {"STRATEGY", kCal, kCalibratable, {}},
    {"OM_DASH", kOpen, 0, kOmDash},
    {"MAP_DASH", kOpen, kRef, kText},
    {"MENU", kOpen, ZPK_SINGLETON, kMenu},
    {"OPAQUE_CAL_DATA", kCal, kCalibratable, {}},
    {"ANALOGUE_SENSOR", kOpen, kRef | ZPK_GLOBAL_MAP_ID, kText},
    {"GLOBAL_ERROR_DATABASE", Make<ZPGlobalErrorDB>, kDatabase, {}},
    {"LOCAL_ERROR_DATABASE", Make<ZPLocalErrorDB>, kDatabase, {}},
    {"HELP", kOpen, kRef, kHelp},
    {"SUB_ENUM", Make<ZPSubEnum>, kEnum, {}},
    {"TAGGED_ENUM", MakeOfKind<ZPTaggedEnum>, kEnum, {}},
    {"SECURE_ENUM", MakeOfKind<ZPEnum>, kEnum, {}},
    {"FEATURE_DATABASE", kOpen, kDatabase, kFeatures},
    {"LOGBOOK_INFO", kOpen, ZPK_SINGLETON | kRef, kLogbookInfo},
    {"LOGBOOK_HEADER_MENU", kOpen, ZPK_SINGLETON | kRef, kLogbookMenu},
    {"LOGBOOK_ENTRY_MENU", kOpen, ZPK_SINGLETON | kRef, kLogbookMenu},
    {"IOFUNCTION_REQUIREMENT_GROUP", kOpen, kTmpl, kRequirement},
    {"IOFUNCTION_SHARING_GROUP", kOpen, kTmpl, kSharing},
    {"SECURE_TAGGED_ENUM", MakeOfKind<ZPTaggedEnum>, kEnum, {}},
    {"RENAMING_GROUP", kOpen, kRef | ZPK_GLOBAL_MAP_ID, kRenaming},
    {"CASE_SELECT_RENAMING_GROUP", kOpen, 0, kCaseRenaming},
    {"ITEM_SELECT_RENAMING_GROUP", kOpen, 0, kItemRenaming},
};

const ZPKindInfo kUnknownKind = {"?", nullptr, 0, {}};

}  // namespace

const ZPKindInfo& ZPKindInfoOf(int kind) {
    return kind >= 0 && kind < ZP_KIND_COUNT ? kKinds[kind] : kUnknownKind;
}
