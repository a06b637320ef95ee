#include "Common/profile/ZPGlobalMapDB.h"

#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"

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

// Record: the name, the entry count, per entry its name, id (u16) and size (u32).
void ZPGlobalMapDB::Save(ZPRecordWriter& out) const {
    ZPMap::Save(out);
    out.Count(entries_.size());
    for (const Entry& entry : entries_) {
        out.String(entry.name);
        out.U16(entry.id);
        out.U32(entry.size);
    }
}

bool ZPGlobalMapDB::Load(ZPRecordReader& in) {
    if (!ZPMap::Load(in) || Name() != Keyword()) return false;
    entries_.clear();
    const std::size_t count = in.Count(10);
    for (std::size_t i = 0; i < count && in.Ok(); ++i) {
        Entry entry{in.String(), in.U16(), in.U32(), 0};
        for (const Entry& other : entries_)
            if (other.name == entry.name || other.id == entry.id) return false;
        entries_.push_back(std::move(entry));
    }
    return in.Ok();
}
