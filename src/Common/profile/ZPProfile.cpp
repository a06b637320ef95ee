#include "Common/profile/ZPProfile.h"

#include <map>
#include <set>

#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPConditionHost.h"
#include "Common/profile/ZPEnum.h"
#include "Common/profile/ZPGlobalErrorDB.h"
#include "Common/profile/ZPGlobalMapDB.h"
#include "Common/profile/ZPKindTable.h"
#include "Common/profile/ZPLocalErrorDB.h"
#include "Common/profile/ZPOpenMap.h"
#include "Common/profile/ZPProfileHeader.h"
#include "Platform/ZKAssert.h"

ZPProfile::ZPProfile()
    : conditionChecker_([this](const std::string& condition, std::string& message) {
          return ZPConditionHost::Check(*this, condition, message);
      }) {}
ZPProfile::~ZPProfile() = default;

std::unique_ptr<ZPMap> ZPProfile::CreateMap(int kind) {
    const ZPKindInfo& info = ZPKindInfoOf(kind);
    return info.create ? info.create(this, kind) : nullptr;
}

void ZPProfile::Clear() {
    maps_.clear();
    for (auto& list : byKind_)
        list.clear();
    for (auto& names : byName_)
        names.clear();
    singletons_.fill(nullptr);
    qtyUnitsDefined_ = false;
    localUnitsDefined_ = false;
    itemIndexMessage_ = nullptr;
    menuDepth_ = 0;
    mainVersion_ = 0;
    deviceFlags_ = 0;
}

void ZPProfile::TakeFrom(ZPProfile& source) {
    Clear();
    maps_ = std::move(source.maps_);
    byKind_ = std::move(source.byKind_);
    byName_ = std::move(source.byName_);
    singletons_ = source.singletons_;
    qtyUnitsDefined_ = source.qtyUnitsDefined_;
    localUnitsDefined_ = source.localUnitsDefined_;
    itemIndexMessage_ = source.itemIndexMessage_;
    mainVersion_ = source.mainVersion_;
    deviceFlags_ = source.deviceFlags_;
    for (auto& map : maps_)
        map->SetProfile(this);
    TakeParserState(source);
    source.Clear();
}

bool ZPProfile::AddMap(std::unique_ptr<ZPMap> map) {
    const int kind = map->Kind();
    if (!ZKASSERT(kind >= 0 && kind < ZP_KIND_COUNT)) return false;
    if (ZPIsSingletonKind(kind) && !map->IsTemplate()) {
        if (singletons_[kind]) return false;
        singletons_[kind] = map.get();
    }
    byKind_[kind].push_back(map.get());
    byName_[kind].emplace(map->Name(), map.get());
    map->SetProfile(this);
    maps_.push_back(std::move(map));
    return true;
}

ZPMap* ZPProfile::Find(int kind, const std::string& name) const {
    if (kind < 0 || kind >= ZP_KIND_COUNT) return nullptr;
    const auto it = byName_[kind].find(name);
    return it == byName_[kind].end() ? nullptr : it->second;
}

ZPMap* ZPProfile::FindWithTrait(unsigned trait, const std::string& name) const {
    for (int kind = 0; kind < ZP_KIND_COUNT; ++kind)
        if (ZPKindInfoOf(kind).traits & trait)
            if (ZPMap* map = Find(kind, name)) return map;
    return nullptr;
}

ZPEnum* ZPProfile::FindEnum(const std::string& name) const {
    return static_cast<ZPEnum*>(FindWithTrait(ZPK_ENUM, name));
}

ZPMap* ZPProfile::FindCalibratable(const std::string& name) const {
    return FindWithTrait(ZPK_CALIBRATABLE, name);
}

ZPMap* ZPProfile::FindReference(int kind, const std::string& name, bool countUse, bool report) {
    ZPMap* map = Find(kind, name);
    if (!map || !map->IsReferencable()) {
        if (report) AddError("Could not find reference to \"%s\"\n", name.c_str());
        return nullptr;
    }
    if (!map->IsValid()) {
        if (report) AddError("Reference \"%s\" is not valid\n", name.c_str());
        return nullptr;
    }
    if (map->IsTemplate()) {
        if (report) AddError("Cannot reference a TEMPLATE %s\n", map->Keyword());
        return nullptr;
    }
    if (countUse) map->AddUse();
    return map;
}

const std::vector<ZPMap*>& ZPProfile::MapsOfKind(int kind) const {
    static const std::vector<ZPMap*> kNone;
    return kind >= 0 && kind < ZP_KIND_COUNT ? byKind_[kind] : kNone;
}

ZPMap* ZPProfile::Singleton(int kind) const {
    return kind >= 0 && kind < ZP_KIND_COUNT ? singletons_[kind] : nullptr;
}

ZPOpenMap* ZPProfile::GlobalIdDB() const {
    return static_cast<ZPOpenMap*>(singletons_[ZP_GLOBAL_ID_DATABASE]);
}
ZPOpenMap* ZPProfile::GlobalUnitDB() const {
    return static_cast<ZPOpenMap*>(singletons_[ZP_GLOBAL_UNIT_DATABASE]);
}
ZPOpenMap* ZPProfile::GlobalQtyDB() const {
    return static_cast<ZPOpenMap*>(singletons_[ZP_GLOBAL_QTY_DATABASE]);
}
ZPGlobalMapDB* ZPProfile::GlobalMapDB() const {
    return static_cast<ZPGlobalMapDB*>(singletons_[ZP_GLOBAL_MAP_DATABASE]);
}
ZPGlobalErrorDB* ZPProfile::GlobalErrorDB() const {
    return static_cast<ZPGlobalErrorDB*>(singletons_[ZP_GLOBAL_ERROR_DATABASE]);
}
ZPLocalErrorDB* ZPProfile::LocalErrorDB() const {
    return static_cast<ZPLocalErrorDB*>(singletons_[ZP_LOCAL_ERROR_DATABASE]);
}
ZPProfileHeader* ZPProfile::Header() const {
    return static_cast<ZPProfileHeader*>(singletons_[ZP_PROFILE_HEADER]);
}
ZPOpenMap* ZPProfile::RootMenu() const {
    return static_cast<ZPOpenMap*>(singletons_[ZP_MENU]);
}

bool ZPProfile::ParseFile(const std::string& path) {
    ResetParser();
    if (!OpenRead(path)) {
        AddErrorRaw("Cant open \"%s\"\n", path.c_str());
        return false;
    }
    SetFileName(path);
    return Parse();
}

bool ZPProfile::ParseText(std::string text, const std::string& fileName) {
    ResetParser();
    SetSourceText(std::move(text));
    SetFileName(fileName);
    return Parse();
}

bool ZPProfile::Parse() {
    Clear();
    return ParseTopLevel() && FinishParse() && IsValid();
}

// file -> { END_OF_ITEM_DEFINITIONS | CREATE_ITEM_ENUMS | { modifier } keyword block }
bool ZPProfile::ParseTopLevel() {
    std::string token;
    while (PopToken(token)) {
        if (token == "END_OF_ITEM_DEFINITIONS") {
            if (!itemIndexMessage_) itemIndexMessage_ = "ITEM defined after END_OF_ITEM_DEFINITIONS\n";
            continue;
        }
        if (token == "CREATE_ITEM_ENUMS") {
            if (!CreateItemEnums()) return false;
            continue;
        }
        bool isTemplate = false;
        std::uint8_t flags = 0;
        for (;;) {
            if (token == "VIRTUAL") {
                flags |= ZP_FLAG_VIRTUAL;
            } else if (token == "LOGBOOK") {
                flags |= ZP_FLAG_LOGBOOK;
            } else if (token == "LEARNING") {
                flags |= ZP_FLAG_LEARNING;
            } else if (token == "TEMPLATE") {
                isTemplate = true;
            } else {
                break;
            }
            if (!PopToken(token)) {
                AddError("Unexpected end of file\n");
                return false;
            }
        }
        if (!ParseBlock(token, isTemplate, flags)) return false;
    }
    return true;
}

bool ZPProfile::ParseBlock(const std::string& keyword, bool isTemplate, std::uint8_t flags) {
    const int kind = ZPKindOfKeyword(keyword);
    if (kind < 0) {
        AddError("Unrecognised token \"%s\"\n", keyword.c_str());
        return false;
    }
    if (ZPKindInfoOf(kind).Has(ZPK_UNIT_SECTION)) return ParseUnitSection(kind);
    if (kind == ZP_ITEM && itemIndexMessage_ && !isTemplate) {
        AddError("%s", itemIndexMessage_);
        return false;
    }
    std::unique_ptr<ZPMap> map = CreateMap(kind);
    map->SetTemplate(isTemplate);
    map->SetFlags(flags);
    if (isTemplate && !map->IsTemplatable()) {
        AddError("%s cannot be used as a TEMPLATE\n", keyword.c_str());
        return false;
    }
    if (kind == ZP_MENU && !isTemplate && !RootMenu() && !CreatePinAssignmentMaps()) return false;
    const std::size_t errorsBefore = Errors().size();
    if (!map->Parse()) {
        // Every failure names its reason; a number that did not convert has no message of its own.
        if (Errors().size() == errorsBefore) AddError("Could not parse %s block\n", keyword.c_str());
        return false;
    }
    return AddParsed(std::move(map));
}

bool ZPProfile::AddParsed(std::unique_ptr<ZPMap> map) {
    std::vector<std::unique_ptr<ZPMap>> created = map->TakeCreatedMaps();
    const std::string keyword = map->Keyword();
    if (!AddMap(std::move(map))) {
        AddError("%s already exists\n", keyword.c_str());
        return false;
    }
    for (auto& made : created) {
        const std::string name = made->Name();
        const std::string madeKeyword = made->Keyword();
        if (Find(made->Kind(), name) || !AddMap(std::move(made))) {
            AddError("%s(%s) already exists\n", madeKeyword.c_str(), name.c_str());
            return false;
        }
    }
    return true;
}

// QTY_UNIT_DATABASE ( ) { ... } and LOCAL_UNIT_DATABASE ( ) { ... } add to the GLOBAL_UNIT_DATABASE.
bool ZPProfile::ParseUnitSection(int kind) {
    const bool qty = kind == ZP_QTY_UNIT_DATABASE;
    if (!GlobalUnitDB()) {
        AddError(qty ? "The GLOBAL_UNIT_DATABASE must be defined before the QTY_UNIT_DATABASE\n"
                     : "The GLOBAL_UNIT_DATABASE must be defined before the LOCAL_UNIT_DATABASE\n");
        return false;
    }
    bool& defined = qty ? qtyUnitsDefined_ : localUnitsDefined_;
    if (defined) {
        AddError(qty ? "The QTY_UNIT_DATABASE has already been defined\n"
                     : "The LOCAL_UNIT_DATABASE has already been defined\n");
        return false;
    }
    ZPOpenMap section(this, kind);
    if (!section.Parse()) return false;
    GlobalUnitDB()->Append(section);
    defined = true;
    return true;
}

// eItems32BitsOrLess, eItems16BitsOrLess and eItems8BitsOrLess: the items that fit, valued by item position.
bool ZPProfile::CreateItemEnums() {
    struct AutoEnum {
        const char* name;
        const char* prefix;
        int bits;
    };
    const AutoEnum autos[3] = {{"eItems32BitsOrLess", "ENUM_ITEM32_", 32},
                               {"eItems16BitsOrLess", "ENUM_ITEM16_", 16},
                               {"eItems8BitsOrLess", "ENUM_ITEM8_", 8}};
    for (const AutoEnum& desc : autos) {
        auto made = std::make_unique<ZPEnum>(this);
        made->SetName(desc.name);
        std::int32_t index = 0;
        for (ZPMap* map : byKind_[ZP_ITEM]) {
            if (map->IsTemplate()) continue;
            const std::int32_t position = index++;
            const std::string bits = static_cast<ZPOpenMap*>(map)->Value("BITS");
            if (std::atoll(bits.c_str()) <= desc.bits)
                made->AddElement({desc.prefix + map->Name(), map->Name(), position, 0, {}});
        }
        if (!ZKASSERT(!FindEnum(desc.name)) || !AddMap(std::move(made))) {
            AddError("Cant add AUTO ENUM - %s\n", desc.name);
            return false;
        }
    }
    return true;
}

bool ZPProfile::FinishParse() {
    for (std::size_t i = 0; i < maps_.size(); ++i)
        if (!maps_[i]->ResolveReferences()) return false;
    return CheckLogbookSlots() && FinishRenamingGroups();
}

// Before the MENU: one internal STRATEGY "IoPin<group>" per PIN_ASSIGNMENT_GROUP that lists PINS, one cell
// per pin for the IO function assigned to it.
bool ZPProfile::CreatePinAssignmentMaps() {
    std::vector<std::unique_ptr<ZPMap>> made;
    for (ZPMap* map : byKind_[ZP_PIN_ASSIGNMENT_GROUP]) {
        if (map->IsTemplate()) continue;
        const auto* group = static_cast<const ZPOpenMap*>(map);
        std::size_t pins = 0;
        for (const ZPOpenMap::Entry& entry : group->Entries())
            if (entry.keyword == "PINS") pins += entry.args.size();
        if (pins == 0) continue;
        const std::string name = "IoPin" + group->Name();
        if (FindCalibratable(name) || !Find(ZP_MAP_CELL, "OpaqueCalDataMC")) {
            AddError("Could not create maps for \"internal\" IoPin ZPStrategy\n");
            return false;
        }
        made.push_back(std::make_unique<ZPCalData>(this, name, pins, ZP_STRATEGY, group->Value("TEXT")));
    }
    for (auto& map : made)
        AddMap(std::move(map));
    return true;
}

std::string ZPProfile::Dump() const {
    std::string out;
    for (const auto& map : maps_) {
        if (map->IsTemplate()) out += "TEMPLATE ";
        if (map->Flags() & ZP_FLAG_VIRTUAL) out += "VIRTUAL ";
        if (map->Flags() & ZP_FLAG_LOGBOOK) out += "LOGBOOK ";
        if (map->Flags() & ZP_FLAG_LEARNING) out += "LEARNING ";
        out += std::string(map->Keyword()) + "(" + map->Name() + ")\n";
        map->Dump(out);
    }
    return out;
}
