#pragma once
// Maps stored in the device calibration: DIMENSION, BREAKPOINTS, MODE_SELECT, STRATEGY and OPAQUE_CAL_DATA.
//
//     VIRTUAL OPAQUE_CAL_DATA(Notes) {      // the name is a GLOBAL_MAP_DATABASE entry
//         TEXT("Workshop notes")
//         MAP_CELL(ByteCell)                // a MAP_CELL block
//         SIZE(64)                          // number of cells
//     }
//
// A MODE_SELECT may name the enumeration of its modes with ENUM(eModes); the OM_DASH blocks then give one
// dashboard per mode when the header names it as DASH_OP_MODE.
//
// The profile header and enumerations with alternative names create "internal" OPAQUE_CAL_DATA maps for
// the calibration regions they name, the pin-assignment groups internal STRATEGY maps; those need no menu
// entry.

#include <cstdint>
#include <string>

#include "Common/profile/ZPMap.h"

class ZPCalData : public ZPTemplatableMap {
public:
    ZPCalData(ZPProfile* profile, int kind) : ZPTemplatableMap(profile, kind) {}
    // An internal region of `size` one-byte cells.
    ZPCalData(ZPProfile* profile, std::string name, std::size_t size, int kind = ZP_OPAQUE_CAL_DATA,
              std::string text = {});

    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    void Save(ZPRecordWriter& out) const override;
    bool Load(ZPRecordReader& in) override;

    bool IsInternal() const { return internal_; }
    const std::string& Text() const { return text_; }
    const std::string& MapCell() const { return mapCell_; }
    std::uint32_t Size() const { return size_; }
    // The enumeration of a MODE_SELECT's modes, or empty.
    const std::string& ModesEnum() const { return modesEnum_; }

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    bool CopyContentsFrom(const ZPMap& source) override;

private:
    bool internal_ = false;
    std::string text_;
    std::string mapCell_;
    std::uint32_t size_ = 0;
    std::string modesEnum_;
};
