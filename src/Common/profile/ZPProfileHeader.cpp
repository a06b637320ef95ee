#include "Common/profile/ZPProfileHeader.h"

#include <cstdio>
#include <cstring>

#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPGlobalMapDB.h"
#include "Common/profile/ZPOpenMap.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"
#include "Common/profile/ZPSubEnum.h"
#include "Common/profile/ZPTaggedEnum.h"

namespace {

const char* const kByteOrders[2] = {"LITTLE_ENDIAN", "BIG_ENDIAN"};

struct RegionKeyword {
    const char* keyword;
    const char* role;
    bool withSize;
    bool needsDataLogging;
};

const RegionKeyword kRegions[] = {
    {"CALIBRATION_COMMENT", "Comment", true, false},
    {"PASSPHRASE", "PassPhrase", true, false},
    {"FILENAME", "FileName", true, false},
    {"INVALID_MAPS", "InvalidMaps", false, false},
    {"HIDDEN_MAPS", "HiddenMaps", false, false},
    {"PROTECTED_MAPS", "ProtectedMaps", false, false},
    {"VISIBLE_FEATURE_IDS", "VisibleFeatureIDs", true, false},
    {"MISC_MAPS", "MiscMaps", false, false},
    {"USAGE_STRING", "UsageString", true, false},
    {"LOGGING_PASSPHRASE", "LoggingPassPhrase", true, false},
    {"LOGGING_TICK_TABLE", "LoggingTickTable", false, true},
    {"LOGGING_EVENT_ITEMS", "LoggingEventItems", false, true},
    {"LOGGING_PC_INFO", "LoggingPCInfo", false, true},
    {"ITEM_MIN_LOGGING_AND_SECURITY", "ItemMinLoggingAndSecurity", false, false},
    {"RENAMING_DEFINITIONS", "UserSensorDefinitions", true, false},
};

}  // namespace

ZPMap::KeywordResult ZPProfileHeader::ParseVersion(std::uint16_t& field) {
    std::int64_t value = 0;
    if (!P().ReadIntArg(value)) return KeywordResult::Failed;
    field = static_cast<std::uint16_t>(value);
    if (codeRevision_ != 0 && fromCodeRevision_ != 0 && fromCodeRevision_ > codeRevision_) {
        P().AddError("FROM_CODE_REVISION is > CODE_REVISION\n");
        return KeywordResult::Failed;
    }
    return KeywordResult::Handled;
}

ZPMap::KeywordResult ZPProfileHeader::ParseEnumReference(const ZPEnum*& field) {
    std::string name;
    if (!P().ReadLabelArg(name)) return KeywordResult::Failed;
    ZPEnum* found = P().FindEnum(name);
    if (!found) {
        P().AddError("Could not find reference to \"%s\"\n", name.c_str());
        return KeywordResult::Failed;
    }
    found->AddUse();
    field = found;
    return KeywordResult::Handled;
}

ZPMap::KeywordResult ZPProfileHeader::ParseKeyword(const std::string& token) {
    if (token == "DEV_TYPE")
        return P().ReadStringArg(devType_) ? KeywordResult::Handled : KeywordResult::Failed;
    if (token == "BYTE_ORDER") {
        int order = 0;
        if (!P().ReadEnumArg(kByteOrders, 2, order)) return KeywordResult::Failed;
        byteOrder_ = static_cast<std::uint8_t>(order);
        return KeywordResult::Handled;
    }
    if (token == "CODE_BRANCH") return ParseVersion(codeBranch_);
    if (token == "CODE_VERSION") return ParseVersion(codeVersion_);
    if (token == "CODE_REVISION") return ParseVersion(codeRevision_);
    if (token == "FROM_CODE_REVISION") return ParseVersion(fromCodeRevision_);
    if (token == "PROFILE_REVISION") return ParseVersion(profileRevision_);
    if (token == "IO_FUNCTIONS_ENUM") {
        const KeywordResult result = ParseEnumReference(ioFunctionsEnum_);
        if (result != KeywordResult::Handled) return result;
        if (!ioFunctionsEnum_->IsSimple()) {
            P().AddError("ENUM(%s) is not simple\n", ioFunctionsEnum_->Name().c_str());
            return KeywordResult::Failed;
        }
        if (dynamic_cast<const ZPTaggedEnum*>(ioFunctionsEnum_)) {
            for (std::size_t i = 0; i < ioFunctionsEnum_->Count(); ++i) {
                const ZPEnum::Element& element = ioFunctionsEnum_->At(i);
                if (element.tag >= 50000 && element.tag <= 54999)
                    P().AddWarning(
                        "IO_FUNCTION_ENUM(%s) - ELEMENT(%s) TAG(%u) in MIRDEN 50000..54999 range\n",
                        ioFunctionsEnum_->Name().c_str(), element.symbol.c_str(),
                        static_cast<unsigned>(element.tag));
            }
        }
        return KeywordResult::Handled;
    }
    if (token == "DASH_OP_MODE") {
        if (!P().ReadLabelArg(dashOpMode_)) return KeywordResult::Failed;
        return P().FindReference(ZP_MODE_SELECT, dashOpMode_, true, true) ? KeywordResult::Handled
                                                                          : KeywordResult::Failed;
    }
    if (token == "PROFILE_ADDRESS" || token == "CALIBRATION_ADDRESS" || token == "SENSOR_HINT_SIZE") {
        std::int64_t value = 0;
        if (!P().ReadIntArg(value)) return KeywordResult::Failed;
        std::uint32_t& field = token == "PROFILE_ADDRESS"       ? profileAddress_
                               : token == "CALIBRATION_ADDRESS" ? calibrationAddress_
                                                                : sensorHintSize_;
        field = static_cast<std::uint32_t>(value);
        return KeywordResult::Handled;
    }
    if (token == "CALIBRATION_HEADER_FORMAT_VERSION") {
        ParsableArgs args;
        if (!args.Char('(').Int().Char(',').Int().Char(')').Read(P())) return KeywordResult::Failed;
        calHeaderMajor_ = static_cast<std::uint16_t>(args[1].integer);
        calHeaderMinor_ = static_cast<std::uint16_t>(args[3].integer);
        return KeywordResult::Handled;
    }
    for (const RegionKeyword& region : kRegions)
        if (token == region.keyword)
            return ParseRegion(region.role, region.withSize, region.needsDataLogging);
    if (token == "OMIT_ANALOGUE_SENSOR_MENU_BRANCH") {
        omitAnalogueSensorMenuBranch_ = true;
        return KeywordResult::Handled;
    }
    if (token == "ADD_MAP_FUNCTION_OF_SUFFIX") {
        addMapFunctionOfSuffix_ = true;
        return KeywordResult::Handled;
    }
    if (token == "ITEM_INDEX_ENUM") return ParseItemIndexEnum();
    if (token == "ITEM_INDEX_SUB_ENUM") return ParseItemIndexSubEnum();
    if (token == "DEVICE_FLAGS_ENUM") return ParseEnumReference(deviceFlagsEnum_);
    if (token == "PIN_ATTRIBUTES_ENUM") return ParseEnumReference(pinAttributesEnum_);
    if (token == "PIN_STAT_DEF")
        return P().ReadStringArg(pinStatDef_) ? KeywordResult::Handled : KeywordResult::Failed;
    return KeywordResult::Unknown;
}

// ROLE ( map [ , size ] ): an internal OPAQUE_CAL_DATA over a GLOBAL_MAP_DATABASE region.
ZPMap::KeywordResult ZPProfileHeader::ParseRegion(const char* role, bool withSize, bool needsDataLogging) {
    ParsableArgs args;
    args.Char('(').Label();
    if (withSize) args.Char(',').Int();
    if (!args.Char(')').Read(P())) return KeywordResult::Failed;
    const std::string& mapName = args[1].text;
    if (needsDataLogging && !P().Singleton(ZP_DATA_LOGGING)) {
        P().AddError("DATA_LOGGING must be defined before PROFILE_HEADER\n");
        return KeywordResult::Failed;
    }
    ZPGlobalMapDB* mapDB = P().GlobalMapDB();
    if (!mapDB) {
        P().AddError("The GLOBAL_MAP_DATABASE must be defined\n");
        return KeywordResult::Failed;
    }
    if (!P().Find(ZP_MAP_CELL, "OpaqueCalDataMC")) {
        P().AddError("MAPCELL(OpaqueCalDataMC) is undefined\n");
        return KeywordResult::Failed;
    }
    if (!CheckGlobalMapEntry(mapName)) return KeywordResult::Failed;
    const std::int64_t size = withSize ? args[3].integer : mapDB->FindEntry(mapName)->size;
    if (std::strcmp(role, "UserSensorDefinitions") == 0 && size <= 0) {
        P().AddError("OpaqueCalData(UserSensorDefinitions) may not be zero size or less\n");
        return KeywordResult::Failed;
    }
    bool exists = P().Find(ZP_OPAQUE_CAL_DATA, role) != nullptr;
    for (const auto& made : CreatedMaps())
        exists = exists || made->Name() == role;
    if (exists || size < 0) {
        P().AddError("Could not create \"internal\" OpaqueCalData(%s)\n", role);
        return KeywordResult::Failed;
    }
    AddCreatedMap(std::make_unique<ZPCalData>(&P(), role, static_cast<std::size_t>(size)));
    regions_.push_back(std::string(role) + "(" + mapName + ", " + std::to_string(size) + ")");
    return KeywordResult::Handled;
}

// ITEM_INDEX_ENUM ( name ): one element per item, "IIE_<item>_U", "_S" or "_F" by its type, valued by the
// item's position, and IIE_NOT_SET (65535).
ZPMap::KeywordResult ZPProfileHeader::ParseItemIndexEnum() {
    std::string name;
    if (!P().ReadLabelArg(name)) return KeywordResult::Failed;
    if (P().FindEnum(name)) {
        P().AddError("MAP(%s) already exists\n", name.c_str());
        return KeywordResult::Failed;
    }
    auto made = std::make_unique<ZPEnum>(&P());
    made->SetName(name);
    const std::vector<ZPMap*>& items = P().MapsOfKind(ZP_ITEM);
    std::int32_t index = 0;
    for (ZPMap* map : items) {
        if (map->IsTemplate()) continue;
        const std::string type = static_cast<ZPOpenMap*>(map)->Value("TYPE");
        const char* suffix = type == "SIGNED" ? "S" : type == "REAL" ? "F" : "U";
        made->AddElement({"IIE_" + map->Name() + "_" + suffix, map->Name(), index++, 0, {}});
    }
    made->AddElement({"IIE_NOT_SET", "NOT_SET", 65535, 0, {}});
    itemIndexEnum_ = made.get();
    AddCreatedMap(std::move(made));
    P().SetItemIndexEnumBuilt("All ITEMS must be defined before use of ITEM_INDEX_ENUM\n");
    return KeywordResult::Handled;
}

// ITEM_INDEX_SUB_ENUM ( name , item , ... ): the listed items' elements of the item index enumeration.
ZPMap::KeywordResult ZPProfileHeader::ParseItemIndexSubEnum() {
    std::vector<std::string> words;
    if (!P().ReadWordList(words)) return KeywordResult::Failed;
    if (!itemIndexEnum_) {
        P().AddError("ITEM_INDEX_ENUM must be defined before any SUB_ITEM_INDEX_ENUM\n");
        return KeywordResult::Failed;
    }
    if (words.empty() || P().FindEnum(words[0])) {
        P().AddError("MAP(%s) already exists\n", words.empty() ? "" : words[0].c_str());
        return KeywordResult::Failed;
    }
    auto made = std::make_unique<ZPSubEnum>(&P());
    made->SetName(words[0]);
    made->SetBase(itemIndexEnum_);
    for (std::size_t i = 1; i < words.size(); ++i) {
        const ZPEnum::Element* found = nullptr;
        for (std::size_t e = 0; e < itemIndexEnum_->Count() && !found; ++e)
            if (itemIndexEnum_->At(e).text == words[i]) found = &itemIndexEnum_->At(e);
        if (!found) {
            P().AddError("%s is not menmber of ENUM(%s)\n", words[i].c_str(), itemIndexEnum_->Name().c_str());
            return KeywordResult::Failed;
        }
        made->AddElement(*found);
    }
    AddCreatedMap(std::move(made));
    P().SetItemIndexEnumBuilt("All ITEMS must be defined before use of ITEM_INDEX_SUB_ENUM\n");
    return KeywordResult::Handled;
}

bool ZPProfileHeader::CheckValid() {
    const char* failure = devType_.empty()                       ? "DEV_TYPE not defined\n"
                          : byteOrder_ == kByteOrderUndefined    ? "BYTE_ORDER not defined\n"
                          : profileAddress_ == kAddressUndefined ? "PROFILE_ADDRESS not defined\n"
                          : codeBranch_ == 0                     ? "CODE_BRANCH not defined\n"
                          : codeVersion_ == 0                    ? "CODE_VERSION not defined\n"
                          : codeRevision_ == 0                   ? "CODE_REVISION not defined\n"
                          : fromCodeRevision_ == 0               ? "FROM_CODE_REVISION not defined\n"
                          : fromCodeRevision_ > codeRevision_    ? "FROM_CODE_REVISION is > CODE_REVISION\n"
                          : profileRevision_ == 0                ? "PROFILE_REVISION not defined\n"
                                                                 : nullptr;
    if (!failure) return true;
    P().AddError("%s", failure);
    return false;
}

void ZPProfileHeader::Dump(std::string& out) const {
    char address[32];
    out += "  DEV_TYPE(\"" + devType_ + "\")\n";
    out += std::string("  BYTE_ORDER(") + (byteOrder_ < 2 ? kByteOrders[byteOrder_] : "?") + ")\n";
    std::snprintf(address, sizeof address, "0x%08X", profileAddress_);
    out += std::string("  PROFILE_ADDRESS(") + address + ")\n";
    out += "  CODE_BRANCH(" + std::to_string(codeBranch_) + ")\n";
    out += "  CODE_VERSION(" + std::to_string(codeVersion_) + ")\n";
    out += "  CODE_REVISION(" + std::to_string(codeRevision_) + ")\n";
    out += "  FROM_CODE_REVISION(" + std::to_string(fromCodeRevision_) + ")\n";
    out += "  PROFILE_REVISION(" + std::to_string(profileRevision_) + ")\n";
    std::snprintf(address, sizeof address, "0x%08X", calibrationAddress_);
    out += std::string("  CALIBRATION_ADDRESS(") + address + ")\n";
    for (const std::string& region : regions_)
        out += "  " + region + "\n";
    if (ioFunctionsEnum_) out += "  IO_FUNCTIONS_ENUM(" + ioFunctionsEnum_->Name() + ")\n";
    if (deviceFlagsEnum_) out += "  DEVICE_FLAGS_ENUM(" + deviceFlagsEnum_->Name() + ")\n";
    if (pinAttributesEnum_) out += "  PIN_ATTRIBUTES_ENUM(" + pinAttributesEnum_->Name() + ")\n";
    if (itemIndexEnum_) out += "  ITEM_INDEX_ENUM(" + itemIndexEnum_->Name() + ")\n";
    if (!dashOpMode_.empty()) out += "  DASH_OP_MODE(" + dashOpMode_ + ")\n";
}

namespace {

std::string EnumName(const ZPEnum* map) {
    return map ? map->Name() : std::string();
}

// An enumeration named in a loaded record: none for an empty name, else one the profile holds.
bool LoadEnumReference(ZPProfile& profile, const std::string& name, const ZPEnum*& field) {
    field = name.empty() ? nullptr : profile.FindEnum(name);
    return name.empty() || field;
}

}  // namespace

// Record: the name, device type, byte order (u8), profile address (u32), code branch, code version, code
// revision, from-code revision, profile revision (u16 each), calibration address (u32), calibration header
// format major and minor (u16 each), sensor hint size (u32), the two flags (u8 each), pin statistics
// definition, DASH_OP_MODE, the names of the IO functions, device flags, pin attributes and item index
// enumerations (empty when absent), then the regions as a count and "Role(map, size)" texts.
void ZPProfileHeader::Save(ZPRecordWriter& out) const {
    ZPMap::Save(out);
    out.String(devType_);
    out.U8(byteOrder_);
    out.U32(profileAddress_);
    for (std::uint16_t value :
         {codeBranch_, codeVersion_, codeRevision_, fromCodeRevision_, profileRevision_})
        out.U16(value);
    out.U32(calibrationAddress_);
    out.U16(calHeaderMajor_);
    out.U16(calHeaderMinor_);
    out.U32(sensorHintSize_);
    out.Bool(omitAnalogueSensorMenuBranch_);
    out.Bool(addMapFunctionOfSuffix_);
    out.String(pinStatDef_);
    out.String(dashOpMode_);
    for (const ZPEnum* map : {ioFunctionsEnum_, deviceFlagsEnum_, pinAttributesEnum_, itemIndexEnum_})
        out.String(EnumName(map));
    out.Count(regions_.size());
    for (const std::string& region : regions_)
        out.String(region);
}

bool ZPProfileHeader::Load(ZPRecordReader& in) {
    if (!ZPMap::Load(in) || Name() != Keyword()) return false;
    devType_ = in.String();
    byteOrder_ = in.U8();
    profileAddress_ = in.U32();
    for (std::uint16_t* field :
         {&codeBranch_, &codeVersion_, &codeRevision_, &fromCodeRevision_, &profileRevision_})
        *field = in.U16();
    calibrationAddress_ = in.U32();
    calHeaderMajor_ = in.U16();
    calHeaderMinor_ = in.U16();
    sensorHintSize_ = in.U32();
    omitAnalogueSensorMenuBranch_ = in.Bool();
    addMapFunctionOfSuffix_ = in.Bool();
    pinStatDef_ = in.String();
    dashOpMode_ = in.String();
    const std::string ioFunctions = in.String();
    const std::string deviceFlags = in.String();
    const std::string pinAttributes = in.String();
    itemIndexEnumName_ = in.String();
    regions_.clear();
    const std::size_t regions = in.Count(4);
    for (std::size_t i = 0; i < regions && in.Ok(); ++i)
        regions_.push_back(in.String());
    return in.Ok() && byteOrder_ <= kByteOrderUndefined &&
           LoadEnumReference(P(), ioFunctions, ioFunctionsEnum_) &&
           LoadEnumReference(P(), deviceFlags, deviceFlagsEnum_) &&
           LoadEnumReference(P(), pinAttributes, pinAttributesEnum_);
}

bool ZPProfileHeader::ResolveReferences() {
    if (itemIndexEnum_ || itemIndexEnumName_.empty()) return true;
    itemIndexEnum_ = P().FindEnum(itemIndexEnumName_);
    if (itemIndexEnum_) return true;
    P().AddErrorRaw("Could not find reference to \"%s\"\n", itemIndexEnumName_.c_str());
    return false;
}
