#include "Common/profile/ZPOpenMap.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "Common/NumberSyntax.h"
#include "Common/profile/ZPKindTable.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"

namespace {

// Record codes of the menu's nesting entries; every other code is an index into the kind's grammar.
constexpr std::uint8_t kSubMenuCode = 0xFE;
constexpr std::uint8_t kEndSubMenuCode = 0xFF;

std::span<const ZPKeywordSpec> GrammarOf(int kind) {
    return ZPKindInfoOf(kind).grammar;
}

std::string RealText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

int WordIndex(const ZPKeywordSpec& row, const std::string& word) {
    for (int i = 0; i < row.wordCount; ++i)
        if (word == row.words[i]) return i;
    return -1;
}

}  // namespace

ZPOpenMap::ZPOpenMap(ZPProfile* profile, int kind) : ZPTemplatableMap(profile, kind) {
    if (IsDatabase()) SetName(Keyword());
}

bool ZPOpenMap::IsDatabase() const {
    return ZPKindInfoOf(Kind()).Has(ZPK_DATABASE);
}

bool ZPOpenMap::Parse() {
    return IsDatabase() ? ParseUnnamedBlock() : ParseNamedBlock();
}

std::string ZPOpenMap::Value(const std::string& keyword) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (it->keyword == keyword && !it->args.empty()) return it->args[0];
    return {};
}

std::vector<std::string> ZPOpenMap::Values(const std::string& keyword) const {
    std::vector<std::string> values;
    for (const Entry& entry : entries_)
        if (entry.keyword == keyword && !entry.args.empty()) values.push_back(entry.args[0]);
    return values;
}

void ZPOpenMap::Append(const ZPOpenMap& section) {
    entries_.insert(entries_.end(), section.entries_.begin(), section.entries_.end());
}

bool ZPOpenMap::ReadArgs(const char* signature, Entry& entry) {
    if (*signature == '\0') return true;
    if (*signature == 'W') return P().ReadWordList(entry.args);
    ParsableArgs args;
    args.Char('(');
    for (const char* s = signature; *s; ++s) {
        if (s != signature) args.Char(',');
        switch (*s) {
            case 'L':
                args.Label();
                break;
            case 'S':
                args.String();
                break;
            case 'I':
                args.Int();
                break;
            case 'R':
                args.Real();
                break;
            default:
                args.Any();
                break;
        }
    }
    if (!args.Char(')').Read(P())) return false;
    for (std::size_t i = 0; signature[i]; ++i) {
        const ParsableFile::TokenValue& value = args[1 + 2 * i];
        switch (signature[i]) {
            case 'I':
                entry.args.push_back(std::to_string(value.integer));
                break;
            case 'R':
                entry.args.push_back(RealText(value.real));
                break;
            default:
                entry.args.push_back(value.text);
                break;
        }
    }
    return true;
}

// SUB_MENU ( "title" ) { menu keywords }
ZPMap::KeywordResult ZPOpenMap::ParseSubMenu() {
    std::string title;
    if (!P().ReadStringArg(title)) return KeywordResult::Failed;
    std::string brace;
    if (!P().PopToken(brace) || brace != "{") {
        P().AddError("Could not find start of map %s\n", title.c_str());
        return KeywordResult::Failed;
    }
    if (++P().MenuDepth() > ZPProfile::kMaxMenuDepth) {
        P().AddError("MENU nesting is deeper than %d levels\n", ZPProfile::kMaxMenuDepth);
        return KeywordResult::Failed;
    }
    entries_.push_back({"SUB_MENU", {title}});
    std::string inner;
    for (;;) {
        if (!P().PopToken(inner)) {
            P().AddError("Unexpected end of file\n");
            return KeywordResult::Failed;
        }
        if (inner == "}") break;
        const KeywordResult result = ParseKeyword(inner);
        if (result == KeywordResult::Failed) return result;
        if (result == KeywordResult::Unknown) {
            P().AddError("Unexpected token \"%s\"\n", inner.c_str());
            return KeywordResult::Failed;
        }
    }
    --P().MenuDepth();
    entries_.push_back({"END_SUB_MENU", {}});
    return KeywordResult::Handled;
}

ZPMap::KeywordResult ZPOpenMap::ParseKeyword(const std::string& token) {
    if (Kind() == ZP_MENU && token == "SUB_MENU") return ParseSubMenu();
    for (const ZPKeywordSpec& desc : GrammarOf(Kind())) {
        if (token != desc.keyword || desc.recordOnly) continue;
        Entry entry{token, {}};
        if (*desc.signature == 'E') {
            int index = 0;
            if (!P().ReadEnumArg(desc.words, desc.wordCount, index)) return KeywordResult::Failed;
            entry.args.emplace_back(desc.words[index]);
        } else if (!ReadArgs(desc.signature, entry)) {
            return KeywordResult::Failed;
        }
        if (token == "CONDITION" && P().GetConditionChecker()) {
            std::string message;
            if (!P().GetConditionChecker()(entry.args[0], message)) {
                P().AddError("Could not parse CONDITION; %s\n", message.c_str());
                return KeywordResult::Failed;
            }
        }
        entries_.push_back(std::move(entry));
        return KeywordResult::Handled;
    }
    return KeywordResult::Unknown;
}

bool ZPOpenMap::FinishBody() {
    P().MenuDepth() = 0;
    return true;
}

bool ZPOpenMap::CopyContentsFrom(const ZPMap& source) {
    const auto* other = dynamic_cast<const ZPOpenMap*>(&source);
    if (!other || other->Kind() != Kind()) return false;
    entries_ = other->entries_;
    return true;
}

bool ZPOpenMap::CheckValid() {
    if (Kind() == ZP_ITEM) {
        std::int64_t bits = 0;
        if (Value("TYPE").empty() || Value("ID").empty() || !ParseIntegerToken(Value("BITS"), bits))
            return false;
        if (Value("TYPE") == "REAL") return bits == 32 || bits == 64;
        return bits >= 1 && bits <= 64;
    }
    if (Kind() == ZP_MAP_CELL) return !Value("BITS").empty();
    return true;
}

void ZPOpenMap::ReportInvalid() {
    if (IsDatabase())
        P().AddError("%s parsed OK but is not valid\n", Keyword());
    else
        ZPMap::ReportInvalid();
}

void ZPOpenMap::Dump(std::string& out) const {
    int depth = 1;
    for (const Entry& entry : entries_) {
        if (entry.keyword == "END_SUB_MENU") {
            --depth;
            out += std::string(2 * depth, ' ') + "}\n";
            continue;
        }
        out += std::string(2 * depth, ' ') + entry.keyword;
        if (!entry.args.empty() || entry.keyword == "IO_FUNCTIONS" || entry.keyword == "PINS" ||
            entry.keyword == "ATTRIBUTES") {
            out += "(";
            for (std::size_t i = 0; i < entry.args.size(); ++i)
                out += (i ? ", " : "") + entry.args[i];
            out += ")";
        }
        if (entry.keyword == "SUB_MENU") {
            out += " {";
            ++depth;
        }
        out += "\n";
    }
}

bool ZPOpenMap::ResolveReferences() {
    if (IsTemplate()) return true;
    for (const Entry& entry : entries_)
        if (!entry.args.empty() && !ResolveEntry(entry)) return false;
    return true;
}

bool ZPOpenMap::ResolveEntry(const Entry& entry) {
    const std::string& name = entry.args[0];
    const std::string& keyword = entry.keyword;
    const int kind = Kind();
    if (kind == ZP_ITEM && keyword == "ENUM") {
        if (P().FindEnum(name)) return true;
        P().AddErrorRaw("Could not find reference to \"%s\"\n", name.c_str());
        return false;
    }
    if (kind == ZP_ITEM && keyword == "ID") {
        const ZPOpenMap* ids = P().GlobalIdDB();
        if (!ids) return true;  // the whole-profile check reports the missing database
        for (const Entry& id : ids->Entries())
            if (id.keyword == "ID" && id.args.size() == 2 && id.args[1] == name) return true;
        P().AddErrorRaw("ITEM(%s) ID(%s) is not in GLOBAL_ID_DATABASE\n", Name().c_str(), name.c_str());
        return false;
    }
    if (kind == ZP_ITEM && keyword == "HELP") return P().FindReference(ZP_HELP, name, true, true) != nullptr;
    if (keyword == "ITEM" && kind != ZP_ITEM) return P().FindReference(ZP_ITEM, name, true, true) != nullptr;
    if (kind == ZP_MENU && keyword == "MAP") {
        if (P().FindCalibratable(name)) return true;
        P().AddErrorRaw("Could not find reference to \"%s\"\n", name.c_str());
        return false;
    }
    if (keyword == "PINS") {
        for (const std::string& pin : entry.args)
            if (!P().FindReference(ZP_PIN, pin, true, true)) return false;
    }
    return true;
}

// Record: the name, the entry count, then per entry its code (the grammar index, or the menu's nesting
// codes) and its arguments by the keyword's signature.
void ZPOpenMap::Save(ZPRecordWriter& out) const {
    ZPMap::Save(out);
    const std::span<const ZPKeywordSpec> grammar = GrammarOf(Kind());
    out.Count(entries_.size());
    for (const Entry& entry : entries_) {
        if (entry.keyword == "SUB_MENU") {
            out.U8(kSubMenuCode);
            out.String(entry.args.empty() ? std::string() : entry.args[0]);
            continue;
        }
        if (entry.keyword == "END_SUB_MENU") {
            out.U8(kEndSubMenuCode);
            continue;
        }
        std::size_t code = 0;
        while (code < grammar.size() && entry.keyword != grammar[code].keyword)
            ++code;
        if (code == grammar.size()) code = 0;  // never happens: every entry was read by this grammar
        const ZPKeywordSpec& row = grammar[code];
        out.U8(static_cast<std::uint8_t>(code));
        const char* signature = row.signature;
        if (*signature == 'W') {
            out.Count(entry.args.size());
            for (const std::string& word : entry.args)
                out.String(word);
            continue;
        }
        for (std::size_t i = 0; signature[i]; ++i) {
            const std::string arg = i < entry.args.size() ? entry.args[i] : std::string();
            std::int64_t integer = 0;
            switch (signature[i]) {
                case 'I':
                    std::from_chars(arg.data(), arg.data() + arg.size(), integer);
                    out.I64(integer);
                    break;
                case 'R':
                    out.F64(std::strtod(arg.c_str(), nullptr));
                    break;
                case 'E':
                    out.U8(static_cast<std::uint8_t>(WordIndex(row, arg)));
                    break;
                default:
                    out.String(arg);
                    break;
            }
        }
    }
}

bool ZPOpenMap::Load(ZPRecordReader& in) {
    if (!ZPMap::Load(in)) return false;
    if (IsDatabase() && Name() != Keyword()) return false;
    entries_.clear();
    const std::size_t count = in.Count(1);
    int depth = 0;
    for (std::size_t i = 0; i < count && in.Ok(); ++i)
        if (!LoadEntry(in, depth)) return false;
    return in.Ok() && depth == 0;
}

bool ZPOpenMap::LoadEntry(ZPRecordReader& in, int& depth) {
    const std::uint8_t code = in.U8();
    if (Kind() == ZP_MENU && code == kSubMenuCode) {
        if (++depth > ZPProfile::kMaxMenuDepth) return false;
        entries_.push_back({"SUB_MENU", {in.String()}});
        return in.Ok();
    }
    if (Kind() == ZP_MENU && code == kEndSubMenuCode) {
        if (--depth < 0) return false;
        entries_.push_back({"END_SUB_MENU", {}});
        return true;
    }
    const std::span<const ZPKeywordSpec> grammar = GrammarOf(Kind());
    if (code >= grammar.size()) return false;
    const ZPKeywordSpec& row = grammar[code];
    Entry entry{row.keyword, {}};
    const char* signature = row.signature;
    if (*signature == 'W') {
        const std::size_t words = in.Count(4);
        for (std::size_t i = 0; i < words && in.Ok(); ++i)
            entry.args.push_back(in.String());
    } else {
        for (std::size_t i = 0; signature[i]; ++i) {
            switch (signature[i]) {
                case 'I':
                    entry.args.push_back(std::to_string(in.I64()));
                    break;
                case 'R':
                    entry.args.push_back(RealText(in.F64()));
                    break;
                case 'E': {
                    const std::uint8_t word = in.U8();
                    if (word >= row.wordCount) return false;
                    entry.args.emplace_back(row.words[word]);
                    break;
                }
                default:
                    entry.args.push_back(in.String());
                    break;
            }
        }
    }
    entries_.push_back(std::move(entry));
    return in.Ok();
}
