#include "Common/profile/ZPMap.h"

#include "Common/profile/ZPGlobalMapDB.h"
#include "Common/profile/ZPKindTable.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"

const char* ZPKindKeyword(int kind) {
    return ZPKindInfoOf(kind).keyword;
}

int ZPKindOfKeyword(const std::string& keyword) {
    for (int kind = 0; kind < ZP_KIND_COUNT; ++kind)
        if (keyword == ZPKindInfoOf(kind).keyword) return kind;
    return -1;
}

bool ZPIsSingletonKind(int kind) {
    return ZPKindInfoOf(kind).Has(ZPK_SINGLETON);
}

bool ZPIsEnumKind(int kind) {
    return ZPKindInfoOf(kind).Has(ZPK_ENUM);
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

bool ZPMap::IsReferencable() const {
    return ZPKindInfoOf(kind_).Has(ZPK_REFERENCABLE);
}

bool ZPMap::IsTemplatable() const {
    return ZPKindInfoOf(kind_).Has(ZPK_TEMPLATABLE);
}

bool ZPMap::HasGlobalMapId() const {
    return ZPKindInfoOf(kind_).Has(ZPK_GLOBAL_MAP_ID);
}

void ZPMap::Save(ZPRecordWriter& out) const {
    out.String(name_);
}

bool ZPMap::Load(ZPRecordReader& in) {
    name_ = in.String();
    return in.Ok() && !name_.empty();
}

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
