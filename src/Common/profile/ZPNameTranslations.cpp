#include "Common/profile/ZPNameTranslations.h"

#include <algorithm>
#include <cstdio>

#include "Common/ParsableFile.h"
#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPEnum.h"
#include "Common/profile/ZPGlobalErrorDB.h"
#include "Common/profile/ZPImageCompression.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPOpenMap.h"
#include "Common/profile/ZPProfile.h"

namespace {

constexpr std::size_t kRegionHeader = 12;
constexpr std::uint32_t kFormat = 1;

const char* const kFlagNames[] = {"USER_ITEM_NAMES", "USER_MAP_NAMES", "USER_MENU_NAMES", "USER_ERROR_NAMES",
                                  "USER_ENUM_STRINGS"};

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Real(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

bool HasMenuTitle(const ZPProfile& profile, const std::string& title) {
    const ZPOpenMap* menu = profile.RootMenu();
    if (!menu) return false;
    return std::any_of(menu->Entries().begin(), menu->Entries().end(),
                       [&title](const ZPOpenMap::Entry& entry) {
                           return (entry.keyword == "TITLE" || entry.keyword == "SUB_MENU") &&
                                  !entry.args.empty() && entry.args[0] == title;
                       });
}

const ZPCalData* Region(const ZPProfile& profile) {
    return dynamic_cast<const ZPCalData*>(profile.Find(ZP_OPAQUE_CAL_DATA, "UserSensorDefinitions"));
}

}  // namespace

// USER_DEFINE { keyword ( args ) ... }: one function per keyword, each checking the object it names.
class ZPUserDefineParser : public ParsableFile {
public:
    ZPUserDefineParser(const ZPProfile& profile, ZPNameTranslations& out) : profile_(profile), out_(out) {}

    bool ParseSection() {
        std::string token;
        if (!PopToken(token) || token != "USER_DEFINE" || !PopToken(token) || token != "{") {
            AddError("USER_DEFINE section expected\n");
            return false;
        }
        if (!profile_.GlobalErrorDB()) {
            AddError("GLOBAL_ERROR_DB must be defined before USER_DEFINE section\n");
            return false;
        }
        while (PopToken(token)) {
            if (token == "}") return !PopToken(token) || Unexpected(token);
            if (!Keyword(token)) return false;
        }
        AddError("Unexpected end of file\n");
        return false;
    }

private:
    bool Unexpected(const std::string& token) {
        AddError("Unexpected token \"%s\"\n", token.c_str());
        return false;
    }
    bool Open() {
        std::string token;
        if (PopToken(token) && token == "(") return true;
        AddError("'(' expected\n");
        return false;
    }
    // The rest of an argument list after "(": `signature` of L label, S string, R real, separated by commas.
    bool Args(const char* signature, std::vector<ParsableFile::TokenValue>& values) {
        if (!Open()) return false;
        ParsableArgs args;
        for (const char* s = signature; *s; ++s) {
            if (s != signature) args.Char(',');
            if (*s == 'L') args.Label();
            if (*s == 'S') args.String();
            if (*s == 'R') args.Real();
        }
        if (!args.Char(')').Read(*this)) return false;
        values.clear();
        for (std::size_t i = 0; signature[i]; ++i)
            values.push_back(args[2 * i]);
        return true;
    }
    bool Exists(int kind, const std::string& name) {
        if (profile_.Find(kind, name)) return true;
        AddError("Could not find reference to \"%s\"\n", name.c_str());
        return false;
    }
    bool Calibratable(const std::string& name) {
        if (profile_.FindCalibratable(name)) return true;
        AddError("Could not find reference to \"%s\"\n", name.c_str());
        return false;
    }

    bool Keyword(const std::string& token) {
        std::vector<ParsableFile::TokenValue> v;
        if (token == "FLAGS") return Flags();
        if (token == "ITEM_RENAME")
            return Args("LS", v) && Exists(ZP_ITEM, v[0].text) && Set(out_.itemNames_, v[0].text, v[1].text);
        if (token == "ITEM_REDEFINE" || token == "ITEM_REDEFINE_DELTA") {
            if (!Args("LRR", v) || !Exists(ZP_ITEM, v[0].text)) return false;
            out_.itemScalings_[v[0].text] = {v[1].real, v[2].real, token == "ITEM_REDEFINE_DELTA"};
            return true;
        }
        if (token == "UNIT_GROUP")
            return Args("LL", v) && Exists(ZP_ITEM, v[0].text) && Exists(ZP_UNIT_GROUP, v[1].text) &&
                   Set(out_.unitGroups_, v[0].text, v[1].text);
        if (token == "REPRESENTATION")
            return Args("LL", v) && Exists(ZP_ITEM, v[0].text) && Exists(ZP_REPRESENTATION, v[1].text) &&
                   Set(out_.representations_, v[0].text, v[1].text);
        if (token == "MAP_CELL")
            return Args("LL", v) && Calibratable(v[0].text) && Exists(ZP_MAP_CELL, v[1].text) &&
                   Set(out_.mapCells_, v[0].text, v[1].text);
        if (token == "MAP_CELL_DELTA") {
            if (!Args("LRR", v) || !Calibratable(v[0].text)) return false;
            out_.mapCellScalings_[v[0].text] = {v[1].real, v[2].real, true};
            return true;
        }
        if (token == "MAP_NAME")
            return Args("LS", v) && Calibratable(v[0].text) && Set(out_.mapNames_, v[0].text, v[1].text);
        if (token == "MENU_NAME")
            return Args("SS", v) && MenuTitle(v[0].text) && Set(out_.menuNames_, v[0].text, v[1].text);
        if (token == "ERROR_SOURCE")
            return Args("LS", v) && ErrorSource(v[0].text) && Set(out_.errorSources_, v[0].text, v[1].text);
        if (token == "ENUM_STRING")
            return Args("LLS", v) && EnumElement(v[0].text, v[1].text) &&
                   Set(out_.enumStrings_, v[0].text + "\n" + v[1].text, v[2].text);
        return Unexpected(token);
    }

    static bool Set(ZPNameTranslations::Names& names, const std::string& key, const std::string& value) {
        names[key] = value;
        return true;
    }

    // FLAGS ( NAME { , NAME } )
    bool Flags() {
        if (!Open()) return false;
        std::string token;
        while (PopToken(token)) {
            if (token == ")") return true;
            if (token == ",") continue;
            const auto* found = std::find(std::begin(kFlagNames), std::end(kFlagNames), token);
            if (found == std::end(kFlagNames)) {
                AddError("Unexpected FLAG name \"%s\"\n", token.c_str());
                return false;
            }
            out_.flags_ |= 1u << (found - std::begin(kFlagNames));
        }
        AddError("Unexpected end of file\n");
        return false;
    }
    bool MenuTitle(const std::string& title) {
        if (HasMenuTitle(profile_, title)) return true;
        AddError("Could not find reference to \"%s\"\n", title.c_str());
        return false;
    }
    bool ErrorSource(const std::string& symbol) {
        if (ZPFindErrorInfo(profile_.GlobalErrorDB()->Sources(), symbol)) return true;
        AddError("Cant find %s in GLOBAL_ERROR_DB\n", symbol.c_str());
        return false;
    }
    bool EnumElement(const std::string& enumName, const std::string& element) {
        const ZPEnum* found = profile_.FindEnum(enumName);
        if (!found) {
            AddError("Could not find reference to \"%s\"\n", enumName.c_str());
            return false;
        }
        if (found->BySymbol(element)) return true;
        AddError("Cant find \"%s\" in ENUM(%s)\n", element.c_str(), enumName.c_str());
        return false;
    }

    const ZPProfile& profile_;
    ZPNameTranslations& out_;
};

bool ZPNameTranslations::Read(const ZPProfile& profile, std::span<const std::uint8_t> region,
                              std::string& error, std::string* detail) {
    Clear();
    if (std::all_of(region.begin(), region.end(), [](std::uint8_t b) { return b == 0; })) return true;
    auto fail = [&error](const char* text) {
        error = text;
        return false;
    };
    if (region.size() % 4 != 0 || region.size() < kRegionHeader + 4 ||
        !ZPImageIdentity::CheckWordGood(region))
        return fail("bad crc");
    if (U32(region, 0) != kFormat) return fail("Renaming cal : bad format");
    const std::uint32_t compressedSize = U32(region, 4);
    const std::uint32_t textSize = U32(region, 8);
    if (compressedSize > region.size() - kRegionHeader - 4) return fail("Renaming cal : size mismatch");
    std::vector<std::uint8_t> text;
    std::string inflateError;
    if (!ZPImageCompression::Inflate(region.subspan(kRegionHeader, compressedSize), text, inflateError))
        return fail("Renaming cal : could not read");
    if (text.size() != textSize) return fail("Renaming cal : size mismatch");
    ZPUserDefineParser parser(profile, *this);
    parser.SetSourceText(std::string(text.begin(), text.end()));
    if (!parser.ParseSection()) {
        if (detail && !parser.Errors().empty()) *detail = parser.Errors().back();
        Clear();
        return fail("Renaming cal : could not read");
    }
    return true;
}

bool ZPNameTranslations::Empty() const {
    return flags_ == 0 && itemNames_.empty() && mapNames_.empty() && menuNames_.empty() &&
           errorSources_.empty() && enumStrings_.empty() && unitGroups_.empty() && representations_.empty() &&
           mapCells_.empty() && itemScalings_.empty() && mapCellScalings_.empty();
}

std::string ZPNameTranslations::Text() const {
    if (Empty()) return {};
    std::string text = "USER_DEFINE {\n";
    if (flags_) {
        std::string names;
        for (std::size_t bit = 0; bit < std::size(kFlagNames); ++bit)
            if (flags_ & (1u << bit)) names += (names.empty() ? "" : ", ") + std::string(kFlagNames[bit]);
        text += "  FLAGS(" + names + ")\n";
    }
    auto line = [&text](const char* keyword, const std::string& args) {
        text += std::string("  ") + keyword + "(" + args + ")\n";
    };
    for (const auto& [item, name] : itemNames_)
        line("ITEM_RENAME", item + ", " + Quoted(name));
    for (const auto& [item, s] : itemScalings_)
        line(s.delta ? "ITEM_REDEFINE_DELTA" : "ITEM_REDEFINE",
             item + ", " + Real(s.scale) + ", " + Real(s.offset));
    for (const auto& [item, group] : unitGroups_)
        line("UNIT_GROUP", item + ", " + group);
    for (const auto& [item, representation] : representations_)
        line("REPRESENTATION", item + ", " + representation);
    for (const auto& [map, cell] : mapCells_)
        line("MAP_CELL", map + ", " + cell);
    for (const auto& [map, s] : mapCellScalings_)
        line("MAP_CELL_DELTA", map + ", " + Real(s.scale) + ", " + Real(s.offset));
    for (const auto& [map, name] : mapNames_)
        line("MAP_NAME", map + ", " + Quoted(name));
    for (const auto& [title, name] : menuNames_)
        line("MENU_NAME", Quoted(title) + ", " + Quoted(name));
    for (const auto& [symbol, name] : errorSources_)
        line("ERROR_SOURCE", symbol + ", " + Quoted(name));
    for (const auto& [key, value] : enumStrings_) {
        const std::size_t split = key.find('\n');
        line("ENUM_STRING", key.substr(0, split) + ", " + key.substr(split + 1) + ", " + Quoted(value));
    }
    return text + "}\n";
}

bool ZPNameTranslations::Write(const ZPProfile& profile, std::vector<std::uint8_t>& region,
                               std::string& error) const {
    const ZPCalData* target = Region(profile);
    if (!target) {
        error = "Renaming cal does not exist";
        return false;
    }
    if (Empty()) {
        region.assign(target->Size(), 0);
        return true;
    }
    return Pack(Text(), target->Size(), region, error);
}

bool ZPNameTranslations::Pack(const std::string& text, std::size_t regionSize,
                              std::vector<std::uint8_t>& region, std::string& error) {
    if (text.find('\0') != std::string::npos || regionSize % 4 != 0) {
        error = "Renaming cal : could not write";
        return false;
    }
    const auto compressed = ZPImageCompression::Deflate(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (regionSize < kRegionHeader + 4 || compressed.size() > regionSize - kRegionHeader - 4) {
        error = "Renaming cal : too big";
        return false;
    }
    region.assign(regionSize, 0);
    PutU32(region, 0, kFormat);
    PutU32(region, 4, static_cast<std::uint32_t>(compressed.size()));
    PutU32(region, 8, static_cast<std::uint32_t>(text.size()));
    std::copy(compressed.begin(), compressed.end(), region.begin() + kRegionHeader);
    ZPImageIdentity::Seal(region);
    return true;
}

const ZPNameTranslations::Scaling* ZPNameTranslations::ItemScaling(const std::string& item) const {
    const auto it = itemScalings_.find(item);
    return it == itemScalings_.end() ? nullptr : &it->second;
}

const ZPNameTranslations::Scaling* ZPNameTranslations::MapCellScaling(const std::string& map) const {
    const auto it = mapCellScalings_.find(map);
    return it == mapCellScalings_.end() ? nullptr : &it->second;
}
