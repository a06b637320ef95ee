#include "Common/profile/ZPOpenMap.h"

#include <cstdio>

#include "Common/NumberSyntax.h"
#include "Common/profile/ZPProfile.h"

namespace {

// Argument lists: L label, S quoted string, I integer, R real, E a word of `words`, W a word list "( ... )";
// an empty signature is a flag without arguments.
struct KeywordSpec {
    const char* keyword;
    const char* signature;
    const char* const* words = nullptr;
    int wordCount = 0;
};

const char* const kValueTypes[3] = {"UNSIGNED", "SIGNED", "REAL"};

const std::vector<KeywordSpec>& SpecsOf(int kind) {
    static const std::vector<KeywordSpec> kText = {{"TEXT", "S"}};
    static const std::vector<KeywordSpec> kIdDB = {{"ID", "LI"}};
    static const std::vector<KeywordSpec> kUnitDB = {{"UNIT", "LS"}};
    static const std::vector<KeywordSpec> kQtyUnitDB = {{"QTY_UNIT", "LL"}};
    static const std::vector<KeywordSpec> kQtyDB = {{"QTY", "LSL"}};
    static const std::vector<KeywordSpec> kDataLogging = {{"CHANNELS", "I"}, {"TICK_MS", "I"}};
    static const std::vector<KeywordSpec> kMapCell = {
        {"TYPE", "E", kValueTypes, 3}, {"BITS", "I"}, {"SCALE", "R"}, {"OFFSET", "R"}};
    static const std::vector<KeywordSpec> kItem = {
        {"ID", "I"},   {"TEXT", "S"},  {"TYPE", "E", kValueTypes, 3},
        {"BITS", "I"}, {"SCALE", "R"}, {"OFFSET", "R"},
        {"QTY", "L"},  {"ENUM", "L"},  {"HELP", "L"}};
    static const std::vector<KeywordSpec> kMenu = {{"TITLE", "S"}, {"ITEM", "L"}, {"MAP", "L"}};
    static const std::vector<KeywordSpec> kIoGroup = {{"TEXT", "S"}, {"IO_FUNCTIONS", "W"}};
    static const std::vector<KeywordSpec> kRequirement = {
        {"TEXT", "S"}, {"IO_FUNCTIONS", "W"}, {"CONDITION", "S"}};
    static const std::vector<KeywordSpec> kHelp = {{"TEXT", "S"}, {"LINK", "L"}};
    static const std::vector<KeywordSpec> kFeatures = {{"FEATURE", "ILS"}};
    switch (kind) {
        case ZP_GLOBAL_ID_DATABASE:
            return kIdDB;
        case ZP_GLOBAL_UNIT_DATABASE:
        case ZP_LOCAL_UNIT_DATABASE:
            return kUnitDB;
        case ZP_QTY_UNIT_DATABASE:
            return kQtyUnitDB;
        case ZP_GLOBAL_QTY_DATABASE:
            return kQtyDB;
        case ZP_DATA_LOGGING:
            return kDataLogging;
        case ZP_MAP_CELL:
            return kMapCell;
        case ZP_ITEM:
            return kItem;
        case ZP_MENU:
            return kMenu;
        case ZP_PIN_ASSIGNMENT_GROUP:
        case ZP_IOFUNCTION_SHARING_GROUP:
            return kIoGroup;
        case ZP_IOFUNCTION_REQUIREMENT_GROUP:
            return kRequirement;
        case ZP_HELP:
            return kHelp;
        case ZP_FEATURE_DATABASE:
            return kFeatures;
        default:
            return kText;
    }
}

}  // namespace

ZPOpenMap::ZPOpenMap(ZPProfile* profile, int kind) : ZPTemplatableMap(profile, kind) {
    if (IsDatabase()) SetName(Keyword());
}

bool ZPOpenMap::IsDatabase() const {
    switch (Kind()) {
        case ZP_GLOBAL_ID_DATABASE:
        case ZP_GLOBAL_UNIT_DATABASE:
        case ZP_QTY_UNIT_DATABASE:
        case ZP_LOCAL_UNIT_DATABASE:
        case ZP_GLOBAL_QTY_DATABASE:
        case ZP_DATA_LOGGING:
        case ZP_FEATURE_DATABASE:
            return true;
        default:
            return false;
    }
}

bool ZPOpenMap::IsReferencable() const {
    switch (Kind()) {
        case ZP_PIN:
        case ZP_PIN_GROUP:
        case ZP_PIN_ASSIGNMENT_GROUP:
        case ZP_UNIT_GROUP:
        case ZP_REPRESENTATION:
        case ZP_MAP_CELL:
        case ZP_ITEM:
        case ZP_MAP_DASH:
        case ZP_ANALOGUE_SENSOR:
        case ZP_HELP:
        case ZP_LOGBOOK_INFO:
        case ZP_LOGBOOK_HEADER_MENU:
        case ZP_LOGBOOK_ENTRY_MENU:
        case ZP_IOFUNCTION_REQUIREMENT_GROUP:
        case ZP_IOFUNCTION_SHARING_GROUP:
        case ZP_RENAMING_GROUP:
            return true;
        default:
            return false;
    }
}

bool ZPOpenMap::IsTemplatable() const {
    switch (Kind()) {
        case ZP_PIN:
        case ZP_PIN_GROUP:
        case ZP_PIN_ASSIGNMENT_GROUP:
        case ZP_UNIT_GROUP:
        case ZP_ITEM:
        case ZP_IOFUNCTION_REQUIREMENT_GROUP:
        case ZP_IOFUNCTION_SHARING_GROUP:
            return true;
        default:
            return false;
    }
}

bool ZPOpenMap::HasGlobalMapId() const {
    return Kind() == ZP_ANALOGUE_SENSOR || Kind() == ZP_RENAMING_GROUP;
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
            case 'R': {
                char text[40];
                std::snprintf(text, sizeof text, "%.17g", value.real);
                entry.args.emplace_back(text);
                break;
            }
            default:
                entry.args.push_back(value.text);
                break;
        }
    }
    return true;
}

ZPMap::KeywordResult ZPOpenMap::ParseKeyword(const std::string& token) {
    if (Kind() == ZP_MENU && token == "SUB_MENU") {
        // SUB_MENU ( "title" ) { menu keywords }
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
    for (const KeywordSpec& desc : SpecsOf(Kind())) {
        if (token != desc.keyword) continue;
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
        if (!entry.args.empty() || entry.keyword == "IO_FUNCTIONS") {
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
    for (const Entry& entry : entries_) {
        if (entry.args.empty()) continue;
        const std::string& name = entry.args[0];
        bool found = true;
        if (Kind() == ZP_ITEM && entry.keyword == "ENUM") {
            found = P().FindEnum(name) != nullptr;
            if (!found) P().AddErrorRaw("Could not find reference to \"%s\"\n", name.c_str());
        } else if (Kind() == ZP_ITEM && entry.keyword == "HELP") {
            found = P().FindReference(ZP_HELP, name, true, true) != nullptr;
        } else if (Kind() == ZP_MENU && entry.keyword == "ITEM") {
            found = P().FindReference(ZP_ITEM, name, true, true) != nullptr;
        } else if (Kind() == ZP_MENU && entry.keyword == "MAP") {
            found = P().FindCalibratable(name) != nullptr;
            if (!found) P().AddErrorRaw("Could not find reference to \"%s\"\n", name.c_str());
        }
        if (!found) return false;
    }
    return true;
}
