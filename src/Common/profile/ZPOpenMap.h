#pragma once
// The blocks with a small keyword grammar of their own: the id, unit and quantity databases, data logging,
// map cells, items, the menu, pins and pin groups, IO function groups, help, dashboards, logbook maps,
// renaming groups and the feature database.
//
// Each kind's row of the kind table gives its keywords with their argument lists; the body keeps every
// keyword in order with its arguments as text. Typed accessors (Value, Values) serve the checks of the
// profile. The grammar of each kind is written down in docs/profile-text.md, its record in
// docs/profile-image.md.

#include <string>
#include <vector>

#include "Common/profile/ZPMap.h"

class ZPOpenMap : public ZPTemplatableMap {
public:
    struct Entry {
        std::string keyword;
        std::vector<std::string> args;  // labels and numbers as written, strings without quotes
    };

    ZPOpenMap(ZPProfile* profile, int kind);

    bool Parse() override;
    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    // Items name their enumeration and help and an id of the GLOBAL_ID_DATABASE; the menus name items and
    // calibratable maps; pin groups name pins.
    bool ResolveReferences() override;
    void Save(ZPRecordWriter& out) const override;
    bool Load(ZPRecordReader& in) override;

    const std::vector<Entry>& Entries() const { return entries_; }
    // The first argument of the last entry with `keyword`, or empty.
    std::string Value(const std::string& keyword) const;
    // The first argument of every entry with `keyword`, in order.
    std::vector<std::string> Values(const std::string& keyword) const;
    // Appends the entries of a section of the same database (QTY_UNIT_DATABASE, LOCAL_UNIT_DATABASE).
    void Append(const ZPOpenMap& section);

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    bool CopyContentsFrom(const ZPMap& source) override;
    bool CheckValid() override;
    void ReportInvalid() override;
    bool FinishBody() override;

private:
    bool IsDatabase() const;
    bool ReadArgs(const char* signature, Entry& entry);
    KeywordResult ParseSubMenu();
    bool ResolveEntry(const Entry& entry);
    bool LoadEntry(ZPRecordReader& in, int& depth);

    std::vector<Entry> entries_;
};
