#include "Common/profile/ZPCalData.h"

#include "Common/profile/ZPProfile.h"

ZPCalData::ZPCalData(ZPProfile* profile, std::string name, std::size_t size)
    : ZPTemplatableMap(profile, ZP_OPAQUE_CAL_DATA, std::move(name)),
      internal_(true),
      mapCell_("OpaqueCalDataMC"),
      size_(static_cast<std::uint32_t>(size)) {}

ZPMap::KeywordResult ZPCalData::ParseKeyword(const std::string& token) {
    if (token == "TEXT") return P().ReadStringArg(text_) ? KeywordResult::Handled : KeywordResult::Failed;
    if (token == "MAP_CELL") {
        std::string cell;
        if (!P().ReadLabelArg(cell)) return KeywordResult::Failed;
        if (!P().FindReference(ZP_MAP_CELL, cell, true, true)) return KeywordResult::Failed;
        mapCell_ = cell;
        return KeywordResult::Handled;
    }
    if (token == "SIZE") {
        std::int64_t size = 0;
        if (!P().ReadIntArg(size)) return KeywordResult::Failed;
        size_ = static_cast<std::uint32_t>(size);
        return KeywordResult::Handled;
    }
    return KeywordResult::Unknown;
}

bool ZPCalData::CopyContentsFrom(const ZPMap& source) {
    const auto* other = dynamic_cast<const ZPCalData*>(&source);
    if (!other || other->Kind() != Kind()) return false;
    text_ = other->text_;
    mapCell_ = other->mapCell_;
    size_ = other->size_;
    return true;
}

void ZPCalData::Dump(std::string& out) const {
    if (internal_) out += "  INTERNAL\n";
    if (!text_.empty()) out += "  TEXT(\"" + text_ + "\")\n";
    if (!mapCell_.empty()) out += "  MAP_CELL(" + mapCell_ + ")\n";
    out += "  SIZE(" + std::to_string(size_) + ")\n";
}
