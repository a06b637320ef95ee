#pragma once
// The directory of the device calibration: every map stored there has an entry with its id and size.
//
//     GLOBAL_MAP_DATABASE() {
//         MAP(IdleSpeed, 1, 2)              // name, map id, size in bytes
//     }
//
// Each block that names an entry counts a use; an entry used twice makes the profile invalid.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "Common/profile/ZPMap.h"

class ZPGlobalMapDB : public ZPMap {
public:
    struct Entry {
        std::string name;
        std::uint16_t id = 0;
        std::uint32_t size = 0;
        int useCount = 0;
    };

    explicit ZPGlobalMapDB(ZPProfile* profile)
        : ZPMap(profile, ZP_GLOBAL_MAP_DATABASE, "GLOBAL_MAP_DATABASE") {}

    bool Parse() override { return ParseUnnamedBlock(); }
    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    void Save(ZPRecordWriter& out) const override;
    bool Load(ZPRecordReader& in) override;

    Entry* FindEntry(const std::string& name);
    const std::vector<Entry>& Entries() const { return entries_; }

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    void ReportInvalid() override;

private:
    std::vector<Entry> entries_;
};
