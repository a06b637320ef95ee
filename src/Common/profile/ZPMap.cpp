#include "Common/profile/ZPMap.h"

#include <cstring>

#include "Common/profile/ZPGlobalMapDB.h"
#include "Common/profile/ZPProfile.h"

namespace {

const char* const kKeywords[ZP_KIND_COUNT] = {
    "ENUM",
    "GLOBAL_ID_DATABASE",
    "GLOBAL_UNIT_DATABASE",
    "QTY_UNIT_DATABASE",
    "LOCAL_UNIT_DATABASE",
    "GLOBAL_QTY_DATABASE",
    "GLOBAL_MAP_DATABASE",
    "PROFILE_HEADER",
    "DATA_LOGGING",
    "PIN",
    "PIN_GROUP",
    "PIN_ASSIGNMENT_GROUP",
    "UNIT_GROUP",
    "REPRESENTATION",
    "MAP_CELL",
    "ITEM",
    "DIMENSION",
    "BREAKPOINTS",
    "MODE_SELECT",
    "STRATEGY",
    "OM_DASH",
    "MAP_DASH",
    "MENU",
    "OPAQUE_CAL_DATA",
    "ANALOGUE_SENSOR",
    "GLOBAL_ERROR_DATABASE",
    "LOCAL_ERROR_DATABASE",
    "HELP",
    "SUB_ENUM",
    "TAGGED_ENUM",
    "SECURE_ENUM",
    "FEATURE_DATABASE",
    "LOGBOOK_INFO",
    "LOGBOOK_HEADER_MENU",
    "LOGBOOK_ENTRY_MENU",
    "IOFUNCTION_REQUIREMENT_GROUP",
    "IOFUNCTION_SHARING_GROUP",
    "SECURE_TAGGED_ENUM",
    "RENAMING_GROUP",
    "CASE_SELECT_RENAMING_GROUP",
    "ITEM_SELECT_RENAMING_GROUP",
};

}  // namespace

const char* ZPKindKeyword(int kind) {
    return kind >= 0 && kind < ZP_KIND_COUNT ? kKeywords[kind] : "?";
}

int ZPKindOfKeyword(const std::string& keyword) {
    for (int kind = 0; kind < ZP_KIND_COUNT; ++kind)
        if (keyword == kKeywords[kind]) return kind;
    return -1;
}

bool ZPIsSingletonKind(int kind) {
    switch (kind) {
        case ZP_GLOBAL_ID_DATABASE:
        case ZP_GLOBAL_UNIT_DATABASE:
        case ZP_GLOBAL_QTY_DATABASE:
        case ZP_GLOBAL_MAP_DATABASE:
        case ZP_GLOBAL_ERROR_DATABASE:
        case ZP_LOCAL_ERROR_DATABASE:
        case ZP_PROFILE_HEADER:
        case ZP_DATA_LOGGING:
        case ZP_MENU:
        case ZP_FEATURE_DATABASE:
        case ZP_LOGBOOK_INFO:
        case ZP_LOGBOOK_HEADER_MENU:
        case ZP_LOGBOOK_ENTRY_MENU:
            return true;
        default:
            return false;
    }
}

bool ZPIsEnumKind(int kind) {
    return kind == ZP_ENUM || kind == ZP_SUB_ENUM || kind == ZP_TAGGED_ENUM || kind == ZP_SECURE_ENUM ||
           kind == ZP_SECURE_TAGGED_ENUM;
}

ZPMap::ZPMap(ZPProfile* profile, int kind, std::string name)
    : profile_(profile), kind_(kind), name_(std::move(name)) {}

ZPMap::ZPMap(const ZPMap& other)
    : profile_(other.profile_),
      kind_(other.kind_),
      name_(other.name_),
      template_(other.template_),
      flags_(other.flags_),
      useCount_(other.useCount_) {}

ZPMap::~ZPMap() = default;

bool ZPMap::IsValid() {
    if (valid_) return true;
    if (kind_ < 0 || kind_ >= ZP_KIND_COUNT || name_.empty()) return false;
    // A template may leave fields to the blocks derived from it.
    valid_ = template_ || CheckValid();
    return valid_;
}

bool ZPMap::Parse() {
    return ParseNamedBlock();
}

void ZPMap::Dump(std::string& /*out*/) const {}

void ZPMap::ReportInvalid() {
    P().AddError("%s(%s) parsed OK but is not valid\n", Keyword(), name_.c_str());
}

bool ZPMap::ParseNamedDeclaration() {
    std::string name;
    if (!P().ReadLabelArg(name)) {
        P().AddError("Could not parse %s declaration\n", Keyword());
        return false;
    }
    name_ = name;
    if (P().Find(kind_, name_)) {
        P().AddError("%s(%s) already exists\n", Keyword(), name_.c_str());
        return false;
    }
    if (ZPIsSingletonKind(kind_) && P().Singleton(kind_)) {
        P().AddError("%s already exists\n", Keyword());
        return false;
    }
    return true;
}

bool ZPMap::ParseUnnamedDeclaration() {
    if (name_.empty()) name_ = Keyword();
    const ParsableFile::TokenKind kinds[3] = {ParsableFile::TK_CHAR, ParsableFile::TK_CHAR,
                                              ParsableFile::TK_CHAR};
    const ParsableFile::TokenExpect expected[3] = {{'(', nullptr, 0}, {')', nullptr, 0}, {'{', nullptr, 0}};
    ParsableFile::TokenValue values[3];
    if (!P().ReadTokens(3, kinds, expected, values)) return false;
    if (P().Singleton(kind_)) {
        P().AddError("%s already exists\n", Keyword());
        return false;
    }
    return true;
}

bool ZPMap::ParseBodyStart() {
    std::string token;
    if (!P().PopToken(token)) {
        P().AddError("Unexpected end of file\n");
        return false;
    }
    if (token == "{") return true;
    if (token != "FROM") {
        P().AddError("Unexpected token \"%s\"\n", token.c_str());
        return false;
    }
    if (!IsTemplatable()) {
        P().AddError("%s(%s) cannot be derived from a TEMPLATE\n", Keyword(), name_.c_str());
        return false;
    }
    const ParsableFile::TokenKind kind = ParsableFile::TK_LABEL;
    const ParsableFile::TokenExpect expect;
    ParsableFile::TokenValue value;
    if (!P().ReadTokens(1, &kind, &expect, &value)) {
        P().AddError("Could not parse TEMPLATE after FROM\n");
        return false;
    }
    const ZPMap* source = P().Find(kind_, value.text);
    if (!source || !source->IsTemplate() || !CopyContentsFrom(*source)) {
        P().AddError("Could not find TEMPLATE %s\n", value.text.c_str());
        return false;
    }
    if (!P().PopToken(token) || token != "{") {
        P().AddError("Could not find start of map %s\n", name_.c_str());
        return false;
    }
    return true;
}

bool ZPMap::ParseBody() {
    std::string token;
    while (P().PopToken(token)) {
        if (token == "}") break;
        const KeywordResult result = ParseKeyword(token);
        if (result == KeywordResult::Failed) return false;
        if (result == KeywordResult::Unknown) {
            P().AddError("Unexpected token \"%s\"\n", token.c_str());
            return false;
        }
    }
    if (!FinishBody()) return false;
    if (!IsValid()) {
        ReportInvalid();
        return false;
    }
    return true;
}

bool ZPMap::ParseNamedBlock() {
    if (!ParseNamedDeclaration()) return false;
    if (HasGlobalMapId() && !template_ && !CheckGlobalMapEntry(name_)) return false;
    return ParseBodyStart() && ParseBody();
}

bool ZPMap::CheckGlobalMapEntry(const std::string& mapName) {
    ZPGlobalMapDB* mapDB = P().GlobalMapDB();
    if (!mapDB) {
        P().AddError("The GLOBAL_MAP_DATABASE must be defined\n");
        return false;
    }
    ZPGlobalMapDB::Entry* entry = mapDB->FindEntry(mapName);
    if (!entry) {
        P().AddError("Cant find \"%s\" in GLOBAL_MAP_DATABASE\n", mapName.c_str());
        return false;
    }
    ++entry->useCount;
    return true;
}
