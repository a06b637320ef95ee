#pragma once
// Maps stored in the device calibration: DIMENSION, BREAKPOINTS, MODE_SELECT, STRATEGY and OPAQUE_CAL_DATA.
//
//     VIRTUAL OPAQUE_CAL_DATA(Notes) {      // the name is a GLOBAL_MAP_DATABASE entry
//         TEXT("Workshop notes")
//         MAP_CELL(ByteCell)                // a MAP_CELL block
//         SIZE(64)                          // number of cells
//     }
//
// The profile header and enumerations with alternative names create "internal" OPAQUE_CAL_DATA maps for
// the calibration regions they name; those need no menu entry.

#include <cstdint>
#include <string>

#include "Common/profile/ZPMap.h"

class ZPCalData : public ZPTemplatableMap {
public:
    ZPCalData(ZPProfile* profile, int kind) : ZPTemplatableMap(profile, kind) {}
    // An internal OPAQUE_CAL_DATA region of `size` bytes.
    ZPCalData(ZPProfile* profile, std::string name, std::size_t size);

    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;

    bool IsInternal() const { return internal_; }
    const std::string& Text() const { return text_; }
    const std::string& MapCell() const { return mapCell_; }
    std::uint32_t Size() const { return size_; }

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    bool CopyContentsFrom(const ZPMap& source) override;

private:
    bool internal_ = false;
    std::string text_;
    std::string mapCell_;
    std::uint32_t size_ = 0;
};
