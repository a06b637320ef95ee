#include "Common/profile/ZPGlobalMapDB.h"

#include "Common/profile/ZPProfile.h"

ZPGlobalMapDB::Entry* ZPGlobalMapDB::FindEntry(const std::string& name) {
    for (Entry& entry : entries_)
        if (entry.name == name) return &entry;
    return nullptr;
}

ZPMap::KeywordResult ZPGlobalMapDB::ParseKeyword(const std::string& token) {
    if (token != "MAP") return KeywordResult::Unknown;
    ParsableArgs args;
    if (!args.Char('(').Label().Char(',').Int().Char(',').Int().Char(')').Read(P()))
        return KeywordResult::Failed;
    Entry entry{args[1].text, static_cast<std::uint16_t>(args[3].integer),
                static_cast<std::uint32_t>(args[5].integer), 0};
    for (const Entry& other : entries_) {
        if (other.name == entry.name) {
            P().AddError("MAP(%s) is duplicated\n", entry.name.c_str());
            return KeywordResult::Failed;
        }
        if (other.id == entry.id) {
            P().AddError("MAP ID %u is duplicated\n", static_cast<unsigned>(entry.id));
            return KeywordResult::Failed;
        }
    }
    entries_.push_back(std::move(entry));
    return KeywordResult::Handled;
}

void ZPGlobalMapDB::ReportInvalid() {
    P().AddError("GLOBAL_MAP_DATABASE parsed OK but is not valid\n");
}

void ZPGlobalMapDB::Dump(std::string& out) const {
    for (const Entry& entry : entries_)
        out += "  MAP(" + entry.name + ", " + std::to_string(entry.id) + ", " + std::to_string(entry.size) +
               ")\n";
}
