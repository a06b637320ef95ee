#include "Common/profile/ZPLocalErrorDB.h"

#include "Common/profile/ZPProfile.h"

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
