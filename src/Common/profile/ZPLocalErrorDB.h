#pragma once
// The device's own error causes and its groups of error sources.
//
//     LOCAL_ERROR_DATABASE() {
//         CAUSE(100, CAUSE_STUCK, "Stuck")
//         GROUP(GRP_ENGINE, "Engine") {
//             SOURCES(SRC_OIL_PRESSURE, SRC_COOLANT)
//             CAUSES(CAUSE_SHORT, CAUSE_STUCK)     // bit 0, bit 1
//         }
//     }
//
// Sources come from the global database; causes from the global database first, then from the local causes
// defined before the group. A cause's position in its group's list is its bit number.

#include <string>
#include <vector>

#include "Common/profile/ZPGlobalErrorDB.h"

class ZPLocalErrorDB : public ZPMap {
public:
    struct Group {
        std::string symbol;
        std::string name;
        std::vector<const ZPErrorInfo*> sources;  // records of the global database
        std::vector<const ZPErrorInfo*> causes;   // global or local records; index = bit number
        // The bit number of `cause` in this group, or -1.
        int CauseBit(const ZPErrorInfo* cause) const;
    };

    explicit ZPLocalErrorDB(ZPProfile* profile)
        : ZPMap(profile, ZP_LOCAL_ERROR_DATABASE, "LOCAL_ERROR_DATABASE") {}
    // Copies the local causes and groups; the groups of the copy refer to the copied local causes and to
    // the same global records.
    ZPLocalErrorDB(const ZPLocalErrorDB& other);

    bool Parse() override;
    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    void Save(ZPRecordWriter& out) const override;
    bool Load(ZPRecordReader& in) override;

    const ZPErrorInfoList& Causes() const { return causes_; }
    const std::vector<Group>& Groups() const { return groups_; }

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    void ReportInvalid() override;

private:
    KeywordResult ParseGroup();
    bool ParseSymbolList(Group& group, bool sources);
    bool LoadGroup(ZPRecordReader& in);

    ZPErrorInfoList causes_;
    std::vector<Group> groups_;
};
