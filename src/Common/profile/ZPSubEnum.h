#pragma once
// A chosen subset of another enumeration; each element keeps the base's text and value.
//
//     SUB_ENUM(eRunModes) {
//         BASE_ENUM(eMode)                  // must come first
//         ELEMENT(MODE_RUN)
//     }

#include "Common/profile/ZPEnum.h"

class ZPSubEnum : public ZPEnum {
public:
    explicit ZPSubEnum(ZPProfile* profile) : ZPEnum(profile, ZP_SUB_ENUM) {}

    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    const ZPEnum* Base() const { return base_; }
    void SetBase(const ZPEnum* base) { base_ = base; }

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    bool CopyContentsFrom(const ZPMap& source) override;
    std::string LinkedEnum() const override { return base_ ? base_->Name() : std::string(); }
    bool Link(const std::string& name, bool uniqueTags) override;

private:
    const ZPEnum* base_ = nullptr;
};
