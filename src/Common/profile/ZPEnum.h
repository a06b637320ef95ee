#pragma once
// Enumerations: names and texts for the integer values of a device quantity.
//
//     ENUM(eMode) {
//         ELEMENT(MODE_OFF, "Off")          // value 0, or the previous value plus 1
//         ELEMENT(MODE_RUN, "Run", 10)
//         ALTERNATE_NAMES(ModeNames, 8)     // a GLOBAL_MAP_DATABASE region, 8 bytes per element
//         OVERRIDABLE(TRUE)
//     }
//
// SECURE_ENUM blocks use the same body.

#include <cstdint>
#include <string>
#include <vector>

#include "Common/profile/ZPMap.h"

class ZPEnum : public ZPTemplatableMap {
public:
    struct Element {
        std::string symbol;
        std::string text;
        std::int32_t value = 0;
        std::int32_t tag = 0;  // tagged enumerations only
        std::string tagSymbol;
    };

    ZPEnum(ZPProfile* profile, int kind = ZP_ENUM) : ZPTemplatableMap(profile, kind) {}

    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    void Save(ZPRecordWriter& out) const override;
    bool Load(ZPRecordReader& in) override;

    std::size_t Count() const { return elements_.size(); }
    const Element& At(std::size_t i) const { return elements_[i]; }
    const Element* ByValue(std::int32_t value) const;
    const Element* BySymbol(const std::string& symbol) const;
    // The element's text, or empty when no element has the value.
    std::string TextOf(std::int32_t value) const;
    bool Overridable() const { return overridable_; }
    const std::string& AltNamesMap() const { return altNamesMap_; }
    std::uint16_t AltNameLength() const { return altNameLength_; }
    // A simple enumeration numbers its elements 0, 1, 2, ... in order and has no alternative names, so a
    // value can index a table directly.
    bool IsSimple() const;

    // Adds an element; false when the symbol exists already.
    bool AddElement(Element element);

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    bool FinishBody() override;
    bool CopyContentsFrom(const ZPMap& source) override;

    // "ELEMENT" "(" symbol "," "text" [ "," tag ] then ")" or "," value ")".
    KeywordResult ParseElement(bool withTag);
    // Resolves a tag symbol; tagged enumerations override it.
    virtual bool ResolveTag(Element& /*element*/) { return true; }
    // The enumeration this one refers to in its record (a sub-enumeration's base, a tagged one's tag
    // enumeration) and its unique-tags flag; Link sets both from a loaded record, false when they do not fit.
    virtual std::string LinkedEnum() const { return {}; }
    virtual bool LinkedUniqueTags() const { return false; }
    virtual bool Link(const std::string& name, bool uniqueTags) { return name.empty() && !uniqueTags; }

    std::vector<Element> elements_;
    bool overridable_ = false;
    std::string altNamesMap_;
    std::uint16_t altNameLength_ = 0;
};
