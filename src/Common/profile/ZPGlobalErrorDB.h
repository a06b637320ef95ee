#pragma once
// Every error source and every common error cause of the device, each with an id, a symbol and a name.
//
//     GLOBAL_ERROR_DATABASE() {
//         SOURCE(1, SRC_OIL_PRESSURE, "Oil pressure")
//         CAUSE(1, CAUSE_SHORT, "Short circuit")
//     }

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Common/profile/ZPMap.h"

struct ZPErrorInfo {
    std::uint16_t id = 0;
    std::string symbol;
    std::string name;
};

using ZPErrorInfoList = std::vector<std::unique_ptr<ZPErrorInfo>>;

// The first record of `list` with that symbol (case-sensitive), or with that id; null when none.
const ZPErrorInfo* ZPFindErrorInfo(const ZPErrorInfoList& list, const std::string& symbol);
const ZPErrorInfo* ZPFindErrorInfo(const ZPErrorInfoList& list, std::uint16_t id);

class ZPGlobalErrorDB : public ZPMap {
public:
    explicit ZPGlobalErrorDB(ZPProfile* profile)
        : ZPMap(profile, ZP_GLOBAL_ERROR_DATABASE, "GLOBAL_ERROR_DATABASE") {}
    ZPGlobalErrorDB(const ZPGlobalErrorDB& other);

    bool Parse() override { return ParseUnnamedBlock(); }
    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    void Save(ZPRecordWriter& out) const override;
    bool Load(ZPRecordReader& in) override;

    const ZPErrorInfoList& Sources() const { return sources_; }
    const ZPErrorInfoList& Causes() const { return causes_; }
    // The cause whose bit only says "an error is present": the first cause with id 1 or 50000; null when
    // there is none. While a source has it active, its other bits are not looked at.
    const ZPErrorInfo* ReferenceCause() const;

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    void ReportInvalid() override;

private:
    ZPErrorInfoList sources_;
    ZPErrorInfoList causes_;
};

// Helpers shared with the local database.
namespace zp_error {
// "(" id "," symbol "," "display name" ")"; adds the MIRDEN range warning.
std::unique_ptr<ZPErrorInfo> ReadErrorInfo(ZPProfile& profile);
// Compares `info` with the records of `list` in order; adds the duplicate message and returns false on a
// clash. `what` is "SOURCE" or "CAUSE".
bool CheckDuplicate(ZPProfile& profile, const ZPErrorInfoList& list, const ZPErrorInfo& info,
                    const char* what);
void DumpInfo(std::string& out, const char* keyword, const ZPErrorInfo& info);
ZPErrorInfoList CopyList(const ZPErrorInfoList& list);
// A record list: the count, then per record its id (u16), symbol and display name. Loading fails on a
// repeated id, also against `others` (the global causes, for the local ones).
void SaveList(ZPRecordWriter& out, const ZPErrorInfoList& list);
bool LoadList(ZPRecordReader& in, ZPErrorInfoList& list, const ZPErrorInfoList* others = nullptr);
}  // namespace zp_error
