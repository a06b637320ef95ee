#include "Common/profile/ZPLocalErrorDB.h"

#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"

int ZPLocalErrorDB::Group::CauseBit(const ZPErrorInfo* cause) const {
    for (std::size_t i = 0; i < causes.size(); ++i)
        if (causes[i] == cause) return static_cast<int>(i);
    return -1;
}

ZPLocalErrorDB::ZPLocalErrorDB(const ZPLocalErrorDB& other)
    : ZPMap(other), causes_(zp_error::CopyList(other.causes_)), groups_(other.groups_) {
    for (Group& group : groups_)
        for (const ZPErrorInfo*& cause : group.causes)
            for (std::size_t i = 0; i < other.causes_.size(); ++i)
                if (cause == other.causes_[i].get()) cause = causes_[i].get();
}

bool ZPLocalErrorDB::Parse() {
    if (!ParseUnnamedDeclaration()) return false;
    if (!P().GlobalErrorDB()) {
        P().AddError("GLOBAL_ERROR_DB not defined\n");
        return false;
    }
    return ParseBody();
}

ZPMap::KeywordResult ZPLocalErrorDB::ParseKeyword(const std::string& token) {
    if (token == "GROUP") return ParseGroup();
    if (token != "CAUSE") return KeywordResult::Unknown;
    auto info = zp_error::ReadErrorInfo(P());
    if (!info) return KeywordResult::Failed;
    if (!zp_error::CheckDuplicate(P(), P().GlobalErrorDB()->Causes(), *info, "CAUSE") ||
        !zp_error::CheckDuplicate(P(), causes_, *info, "CAUSE"))
        return KeywordResult::Failed;
    causes_.push_back(std::move(info));
    return KeywordResult::Handled;
}

// GROUP ( symbol , "name" ) { SOURCES(...) CAUSES(...) }
ZPMap::KeywordResult ZPLocalErrorDB::ParseGroup() {
    ParsableArgs args;
    if (!args.Char('(').Label().Char(',').String().Char(')').Char('{').Read(P()))
        return KeywordResult::Failed;
    Group group;
    group.symbol = args[1].text;
    group.name = args[3].text;
    std::string token;
    for (;;) {
        if (!P().PopToken(token)) {
            P().AddError("Unexpected end of file\n");
            return KeywordResult::Failed;
        }
        if (token == "}") break;
        if (token != "SOURCES" && token != "CAUSES") {
            P().AddError("Unexpected token \"%s\"\n", token.c_str());
            return KeywordResult::Failed;
        }
        if (!ParseSymbolList(group, token == "SOURCES")) return KeywordResult::Failed;
    }
    if (group.symbol.empty() || group.name.empty()) {
        P().AddError("GROUP(%s) parsed OK but is not valid\n", group.symbol.c_str());
        return KeywordResult::Failed;
    }
    groups_.push_back(std::move(group));
    return KeywordResult::Handled;
}

// "(" symbol { "," symbol } ")"
bool ZPLocalErrorDB::ParseSymbolList(Group& group, bool sources) {
    ParsableArgs open;
    if (!open.Char('(').Read(P())) return false;
    const ZPGlobalErrorDB& global = *P().GlobalErrorDB();
    std::string symbol;
    std::string separator;
    do {
        if (!P().PopToken(symbol)) {
            P().AddError("Unexpected end of file\n");
            return false;
        }
        if (sources) {
            const ZPErrorInfo* source = ZPFindErrorInfo(global.Sources(), symbol);
            if (!source) {
                P().AddError("Cant find SOURCE(%s)\n", symbol.c_str());
                return false;
            }
            for (const ZPErrorInfo* used : group.sources) {
                if (used == source) {
                    P().AddError("SOURCE(%s) alread used in this group\n", symbol.c_str());
                    return false;
                }
            }
            for (const Group& other : groups_) {
                for (const ZPErrorInfo* used : other.sources) {
                    if (used == source) {
                        P().AddError("SOURCE(%s) alread used in GROUP(%s)\n", symbol.c_str(),
                                     other.symbol.c_str());
                        return false;
                    }
                }
            }
            group.sources.push_back(source);
        } else {
            const ZPErrorInfo* cause = ZPFindErrorInfo(global.Causes(), symbol);
            if (!cause) cause = ZPFindErrorInfo(causes_, symbol);
            if (!cause) {
                P().AddError("Cant find CAUSE(%s)\n", symbol.c_str());
                return false;
            }
            group.causes.push_back(cause);
        }
        if (!P().PopToken(separator)) {
            P().AddError("Unexpected end of file\n");
            return false;
        }
        if (separator != "," && separator != ")") {
            P().AddError("Unexpected token \"%s\"\n", separator.c_str());
            return false;
        }
    } while (separator == ",");
    return true;
}

void ZPLocalErrorDB::ReportInvalid() {
    P().AddError("GROUP(%s) parsed OK but is not valid\n", Name().c_str());
}

void ZPLocalErrorDB::Dump(std::string& out) const {
    for (const auto& info : causes_)
        zp_error::DumpInfo(out, "CAUSE", *info);
    for (const Group& group : groups_) {
        out += "  GROUP(" + group.symbol + ", \"" + group.name + "\")\n";
        for (const ZPErrorInfo* source : group.sources)
            out += "    SOURCE(" + std::to_string(source->id) + ", " + source->symbol + ")\n";
        for (std::size_t bit = 0; bit < group.causes.size(); ++bit)
            out += "    CAUSE bit " + std::to_string(bit) + " (" + std::to_string(group.causes[bit]->id) +
                   ", " + group.causes[bit]->symbol + ")\n";
    }
}

// Record: the name, the local causes (a record list), the group count, per group its symbol, name, the count
// and ids (u16) of its sources, the count and ids of its causes. A cause id is looked up among the global
// causes first, then the local ones.
void ZPLocalErrorDB::Save(ZPRecordWriter& out) const {
    ZPMap::Save(out);
    zp_error::SaveList(out, causes_);
    out.Count(groups_.size());
    for (const Group& group : groups_) {
        out.String(group.symbol);
        out.String(group.name);
        out.Count(group.sources.size());
        for (const ZPErrorInfo* source : group.sources)
            out.U16(source->id);
        out.Count(group.causes.size());
        for (const ZPErrorInfo* cause : group.causes)
            out.U16(cause->id);
    }
}

bool ZPLocalErrorDB::Load(ZPRecordReader& in) {
    const ZPGlobalErrorDB* global = P().GlobalErrorDB();
    if (!global || !ZPMap::Load(in) || Name() != Keyword() ||
        !zp_error::LoadList(in, causes_, &global->Causes()))
        return false;
    groups_.clear();
    const std::size_t count = in.Count(16);
    for (std::size_t i = 0; i < count && in.Ok(); ++i)
        if (!LoadGroup(in)) return false;
    return in.Ok();
}

bool ZPLocalErrorDB::LoadGroup(ZPRecordReader& in) {
    const ZPGlobalErrorDB& global = *P().GlobalErrorDB();
    Group group;
    group.symbol = in.String();
    group.name = in.String();
    const std::size_t sources = in.Count(2);
    for (std::size_t i = 0; i < sources && in.Ok(); ++i) {
        const ZPErrorInfo* source = ZPFindErrorInfo(global.Sources(), in.U16());
        if (!source) return false;
        for (const Group& other : groups_)
            for (const ZPErrorInfo* used : other.sources)
                if (used == source) return false;
        group.sources.push_back(source);
    }
    const std::size_t causes = in.Count(2);
    for (std::size_t i = 0; i < causes && in.Ok(); ++i) {
        const std::uint16_t id = in.U16();
        const ZPErrorInfo* cause = ZPFindErrorInfo(global.Causes(), id);
        if (!cause) cause = ZPFindErrorInfo(causes_, id);
        if (!cause) return false;
        group.causes.push_back(cause);
    }
    if (!in.Ok() || group.symbol.empty() || group.name.empty()) return false;
    groups_.push_back(std::move(group));
    return true;
}
