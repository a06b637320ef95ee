#include "Common/profile/ZPCalData.h"

#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"

ZPCalData::ZPCalData(ZPProfile* profile, std::string name, std::size_t size, int kind, std::string text)
    : ZPTemplatableMap(profile, kind, std::move(name)),
      internal_(true),
      text_(std::move(text)),
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
    if (token == "ENUM" && Kind() == ZP_MODE_SELECT) {
        std::string name;
        if (!P().ReadLabelArg(name)) return KeywordResult::Failed;
        if (!P().FindEnum(name)) {
            P().AddError("Could not find reference to \"%s\"\n", name.c_str());
            return KeywordResult::Failed;
        }
        modesEnum_ = name;
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
    modesEnum_ = other->modesEnum_;
    return true;
}

void ZPCalData::Dump(std::string& out) const {
    if (internal_) out += "  INTERNAL\n";
    if (!text_.empty()) out += "  TEXT(\"" + text_ + "\")\n";
    if (!mapCell_.empty()) out += "  MAP_CELL(" + mapCell_ + ")\n";
    out += "  SIZE(" + std::to_string(size_) + ")\n";
    if (!modesEnum_.empty()) out += "  ENUM(" + modesEnum_ + ")\n";
}

// Record: the name, internal (u8), text, map cell, size (u32), modes enumeration.
void ZPCalData::Save(ZPRecordWriter& out) const {
    ZPMap::Save(out);
    out.Bool(internal_);
    out.String(text_);
    out.String(mapCell_);
    out.U32(size_);
    out.String(modesEnum_);
}

bool ZPCalData::Load(ZPRecordReader& in) {
    if (!ZPMap::Load(in)) return false;
    internal_ = in.Bool();
    text_ = in.String();
    mapCell_ = in.String();
    size_ = in.U32();
    modesEnum_ = in.String();
    return in.Ok();
}
