#pragma once
// An enumeration whose elements each carry a tag, a value of another enumeration.
//
//     TAGGED_ENUM(eIoFunctions) {
//         TAG_ENUM(ePinKind)                // must come before the elements
//         UNIQUE_TAGS                       // every tag used at most once
//         ELEMENT(IO_FAN, "Fan", PIN_OUT)   // value 0, or the previous value plus 1
//         ELEMENT(IO_PUMP, "Pump", PIN_PWM, 5)
//     }
//
// SECURE_TAGGED_ENUM blocks use the same body.

#include "Common/profile/ZPEnum.h"

class ZPTaggedEnum : public ZPEnum {
public:
    ZPTaggedEnum(ZPProfile* profile, int kind = ZP_TAGGED_ENUM) : ZPEnum(profile, kind) {}

    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    const ZPEnum* TagEnum() const { return tagEnum_; }
    bool UniqueTags() const { return uniqueTags_; }

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    bool ResolveTag(Element& element) override;
    bool CopyContentsFrom(const ZPMap& source) override;
    bool CheckValid() override;
    std::string LinkedEnum() const override { return tagEnum_ ? tagEnum_->Name() : std::string(); }
    bool LinkedUniqueTags() const override { return uniqueTags_; }
    bool Link(const std::string& name, bool uniqueTags) override;

private:
    const ZPEnum* tagEnum_ = nullptr;
    bool uniqueTags_ = false;
};
