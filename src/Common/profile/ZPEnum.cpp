#include "Common/profile/ZPEnum.h"

#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPGlobalMapDB.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"

const ZPEnum::Element* ZPEnum::ByValue(std::int32_t value) const {
    for (const Element& element : elements_)
        if (element.value == value) return &element;
    return nullptr;
}

const ZPEnum::Element* ZPEnum::BySymbol(const std::string& symbol) const {
    for (const Element& element : elements_)
        if (element.symbol == symbol) return &element;
    return nullptr;
}

std::string ZPEnum::TextOf(std::int32_t value) const {
    const Element* element = ByValue(value);
    return element ? element->text : std::string();
}

bool ZPEnum::IsSimple() const {
    if (!altNamesMap_.empty()) return false;
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (elements_[i].value != static_cast<std::int32_t>(i)) return false;
    return true;
}

bool ZPEnum::AddElement(Element element) {
    if (BySymbol(element.symbol)) return false;
    elements_.push_back(std::move(element));
    return true;
}

bool ZPEnum::CopyContentsFrom(const ZPMap& source) {
    const auto* other = dynamic_cast<const ZPEnum*>(&source);
    if (!other || other->Kind() != Kind()) return false;
    elements_ = other->elements_;
    overridable_ = other->overridable_;
    altNamesMap_ = other->altNamesMap_;
    altNameLength_ = other->altNameLength_;
    return true;
}

ZPMap::KeywordResult ZPEnum::ParseKeyword(const std::string& token) {
    if (token == "ELEMENT") return ParseElement(false);
    if (token == "OVERRIDABLE")
        return P().ReadBoolArg(overridable_) ? KeywordResult::Handled : KeywordResult::Failed;
    if (token == "ALTERNATE_NAMES") {
        ParsableArgs args;
        if (!args.Char('(').Label().Char(',').Int().Char(')').Read(P())) return KeywordResult::Failed;
        if (!P().GlobalMapDB() || !P().GlobalMapDB()->FindEntry(args[1].text)) {
            P().AddError("Cant find \"%s\" in GLOBAL_MAP_DATABASE\n", args[1].text.c_str());
            return KeywordResult::Failed;
        }
        if (args[3].integer < 2) {
            P().AddError("ALTERNATE_NAMES must be at least 2 in length\n");
            return KeywordResult::Failed;
        }
        altNamesMap_ = args[1].text;
        altNameLength_ = static_cast<std::uint16_t>(args[3].integer);
        return KeywordResult::Handled;
    }
    return KeywordResult::Unknown;
}

ZPMap::KeywordResult ZPEnum::ParseElement(bool withTag) {
    ParsableArgs args;
    args.Char('(').Label().Char(',').String();
    if (withTag) args.Char(',').Label();
    if (!args.Read(P())) return KeywordResult::Failed;
    Element element;
    element.symbol = args[1].text;
    element.text = args[3].text;
    if (withTag) element.tagSymbol = args[5].text;

    std::string token;
    if (!P().PopToken(token)) {
        P().AddError("Unexpected end of file\n");
        return KeywordResult::Failed;
    }
    if (token == ",") {
        ParsableArgs value;
        if (!value.Int().Char(')').Read(P())) return KeywordResult::Failed;
        element.value = static_cast<std::int32_t>(value[0].integer);
    } else if (token == ")") {
        element.value = elements_.empty() ? 0 : elements_.back().value + 1;
    } else {
        P().AddError("Unexpected token \"%s\"\n", token.c_str());
        return KeywordResult::Failed;
    }
    if (withTag && !ResolveTag(element)) return KeywordResult::Failed;
    if (!AddElement(element)) {
        P().AddError("%s already exists\n", element.symbol.c_str());
        return KeywordResult::Failed;
    }
    return KeywordResult::Handled;
}

bool ZPEnum::FinishBody() {
    if (altNamesMap_.empty() || IsTemplate()) return true;
    auto region = std::make_unique<ZPCalData>(&P(), altNamesMap_, altNameLength_ * elements_.size());
    if (P().Find(ZP_OPAQUE_CAL_DATA, altNamesMap_)) {
        P().AddError("Could not create \"internal\" OpaqueCalData(AltNames)\n");
        return false;
    }
    AddCreatedMap(std::move(region));
    return true;
}

void ZPEnum::Dump(std::string& out) const {
    for (const Element& element : elements_) {
        out += "  ELEMENT(" + element.symbol + ", \"" + element.text + "\"";
        if (!element.tagSymbol.empty()) out += ", " + element.tagSymbol;
        out += ", " + std::to_string(element.value) + ")\n";
    }
    if (overridable_) out += "  OVERRIDABLE(TRUE)\n";
    if (!altNamesMap_.empty())
        out += "  ALTERNATE_NAMES(" + altNamesMap_ + ", " + std::to_string(altNameLength_) + ")\n";
}

// Record, the same for the five enumeration kinds: the name, the linked enumeration (or empty), unique tags
// (u8), the element count and per element symbol, text, value (i32), tag symbol and tag (i32), then
// overridable (u8), the alternative-names map (or empty) and its length per element (u16).
void ZPEnum::Save(ZPRecordWriter& out) const {
    ZPMap::Save(out);
    out.String(LinkedEnum());
    out.Bool(LinkedUniqueTags());
    out.Count(elements_.size());
    for (const Element& element : elements_) {
        out.String(element.symbol);
        out.String(element.text);
        out.I32(element.value);
        out.String(element.tagSymbol);
        out.I32(element.tag);
    }
    out.Bool(overridable_);
    out.String(altNamesMap_);
    out.U16(altNameLength_);
}

bool ZPEnum::Load(ZPRecordReader& in) {
    if (!ZPMap::Load(in)) return false;
    const std::string linked = in.String();
    const bool uniqueTags = in.Bool();
    if (!in.Ok() || !Link(linked, uniqueTags)) return false;
    elements_.clear();
    const std::size_t count = in.Count(20);
    for (std::size_t i = 0; i < count && in.Ok(); ++i) {
        Element element;
        element.symbol = in.String();
        element.text = in.String();
        element.value = in.I32();
        element.tagSymbol = in.String();
        element.tag = in.I32();
        if (!AddElement(std::move(element))) return false;
    }
    overridable_ = in.Bool();
    altNamesMap_ = in.String();
    altNameLength_ = in.U16();
    return in.Ok();
}
