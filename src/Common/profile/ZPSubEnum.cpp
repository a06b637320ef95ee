#include "Common/profile/ZPSubEnum.h"

#include "Common/profile/ZPProfile.h"

ZPMap::KeywordResult ZPSubEnum::ParseKeyword(const std::string& token) {
    if (token == "BASE_ENUM") {
        std::string name;
        if (!P().ReadLabelArg(name)) return KeywordResult::Failed;
        base_ = dynamic_cast<const ZPEnum*>(P().FindReference(ZP_ENUM, name, true, true));
        return base_ ? KeywordResult::Handled : KeywordResult::Failed;
    }
    if (token == "ELEMENT") {
        if (!base_) {
            P().AddError("Must define BASE_ENUM before ELEMENTs\n");
            return KeywordResult::Failed;
        }
        std::string symbol;
        if (!P().ReadLabelArg(symbol)) return KeywordResult::Failed;
        const Element* element = base_->BySymbol(symbol);
        if (!element) {
            P().AddError("%s is not menmber of ENUM(%s)\n", symbol.c_str(), base_->Name().c_str());
            return KeywordResult::Failed;
        }
        if (!AddElement(*element)) {
            P().AddError("%s already exists\n", symbol.c_str());
            return KeywordResult::Failed;
        }
        return KeywordResult::Handled;
    }
    if (token == "OVERRIDABLE")
        return P().ReadBoolArg(overridable_) ? KeywordResult::Handled : KeywordResult::Failed;
    return KeywordResult::Unknown;
}

bool ZPSubEnum::CopyContentsFrom(const ZPMap& source) {
    const auto* other = dynamic_cast<const ZPSubEnum*>(&source);
    if (!other || !ZPEnum::CopyContentsFrom(source)) return false;
    base_ = other->base_;
    return true;
}

void ZPSubEnum::Dump(std::string& out) const {
    if (base_) out += "  BASE_ENUM(" + base_->Name() + ")\n";
    ZPEnum::Dump(out);
}

bool ZPSubEnum::Link(const std::string& name, bool uniqueTags) {
    base_ = P().FindEnum(name);
    return base_ && !uniqueTags;
}
