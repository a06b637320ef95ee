#include "Common/profile/ZPTaggedEnum.h"

#include <set>

#include "Common/profile/ZPProfile.h"

ZPMap::KeywordResult ZPTaggedEnum::ParseKeyword(const std::string& token) {
    if (token == "TAG_ENUM") {
        std::string name;
        if (!P().ReadLabelArg(name)) return KeywordResult::Failed;
        tagEnum_ = P().FindEnum(name);
        if (!tagEnum_) {
            P().AddError("Could not find reference to \"%s\"\n", name.c_str());
            return KeywordResult::Failed;
        }
        return KeywordResult::Handled;
    }
    if (token == "UNIQUE_TAGS") {
        uniqueTags_ = true;
        return KeywordResult::Handled;
    }
    if (token == "ELEMENT") {
        if (!tagEnum_) {
            P().AddError("TAG_ENUM must be defined before ELEMENT\n");
            return KeywordResult::Failed;
        }
        return ParseElement(true);
    }
    if (token == "OVERRIDABLE")
        return P().ReadBoolArg(overridable_) ? KeywordResult::Handled : KeywordResult::Failed;
    return KeywordResult::Unknown;
}

bool ZPTaggedEnum::ResolveTag(Element& element) {
    const Element* tag = tagEnum_->BySymbol(element.tagSymbol);
    if (!tag) {
        P().AddError("TAG(%s) is not a member of ENUM(%s)\n", element.tagSymbol.c_str(),
                     tagEnum_->Name().c_str());
        return false;
    }
    element.tag = tag->value;
    return true;
}

bool ZPTaggedEnum::CheckValid() {
    if (!tagEnum_) {
        P().AddError("TAG_ENUM not defined\n");
        return false;
    }
    if (!uniqueTags_) return true;
    std::set<std::int32_t> used;
    for (const Element& element : elements_) {
        if (!used.insert(element.tag).second) {
            P().AddError("Cant use TAG(%s) more than once\n", element.tagSymbol.c_str());
            return false;
        }
    }
    return true;
}

bool ZPTaggedEnum::CopyContentsFrom(const ZPMap& source) {
    const auto* other = dynamic_cast<const ZPTaggedEnum*>(&source);
    if (!other || !ZPEnum::CopyContentsFrom(source)) return false;
    tagEnum_ = other->tagEnum_;
    uniqueTags_ = other->uniqueTags_;
    return true;
}

void ZPTaggedEnum::Dump(std::string& out) const {
    if (tagEnum_) out += "  TAG_ENUM(" + tagEnum_->Name() + ")\n";
    if (uniqueTags_) out += "  UNIQUE_TAGS\n";
    ZPEnum::Dump(out);
}

bool ZPTaggedEnum::Link(const std::string& name, bool uniqueTags) {
    tagEnum_ = P().FindEnum(name);
    uniqueTags_ = uniqueTags;
    return tagEnum_ != nullptr;
}
