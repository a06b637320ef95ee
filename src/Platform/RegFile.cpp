#include "Platform/RegFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace zk {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr size_t kHexLineWidth = 76;  // continuation after a comma once a line reaches this width

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// 1 to 8 hex digits, the whole of `s`.
std::optional<std::uint32_t> ParseHex32(std::string_view s) {
    if (s.empty() || s.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : s) {
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

// Logical lines of the file: physical lines with their continuations joined, each with its first line number.
struct LogicalLine {
    int number = 0;
    std::string text;
};

std::vector<LogicalLine> SplitLines(std::string_view text) {
    std::vector<LogicalLine> lines;
    bool continuing = false;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = TrimRight(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (continuing) {
            line = TrimLeft(line);
        } else {
            lines.push_back({number, {}});
        }
        // Only value lines continue; a section or comment ending in "\" is complete.
        const std::string_view head =
            TrimLeft(lines.back().text.empty() ? line : std::string_view(lines.back().text));
        continuing = !line.empty() && line.back() == '\\' && !head.empty() && head.front() != '[' &&
                     head.front() != ';';
        if (continuing) line.remove_suffix(1);
        lines.back().text.append(line);
    }
    return lines;
}

// A quoted string with "\\" and "\"" escapes, starting at `s[pos]` == '"'. Moves `pos` past the closing
// quote.
std::optional<std::string> ParseQuoted(std::string_view s, size_t& pos) {
    std::string out;
    for (size_t i = pos + 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            pos = i + 1;
            return out;
        }
        if (s[i] == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
            ++i;
        }
        out.push_back(s[i]);
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ParseHexList(std::string_view s) {
    std::vector<std::uint8_t> bytes;
    size_t pos = 0;
    while (true) {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
            ++pos;
        if (pos == s.size()) return bytes;
        size_t end = pos;
        while (end < s.size() && HexDigit(s[end]) >= 0)
            ++end;
        if (end == pos || end - pos > 2) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*ParseHex32(s.substr(pos, end - pos))));
        pos = end;
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
            ++pos;
        if (pos == s.size()) return bytes;
        if (s[pos] != ',') return std::nullopt;
        ++pos;
    }
}

// data -> '"' string '"' | "dword:" hex32 | "hex" [ "(" hex32 ")" ] ":" hexlist | "-"
bool ParseData(std::string_view data, RegFileValue& value, std::string& error) {
    data = TrimLeft(data);
    if (data == "-") {
        value.remove = true;
        return true;
    }
    if (!data.empty() && data.front() == '"') {
        size_t pos = 0;
        auto text = ParseQuoted(data, pos);
        if (!text || !TrimLeft(data.substr(pos)).empty()) {
            error = "bad string data";
            return false;
        }
        value.type = REG_SZ;
        value.data = RegStringBytes(*text);
        return true;
    }
    if (StartsWithNoCase(data, "dword:")) {
        const auto number = ParseHex32(data.substr(6));
        if (!number) {
            error = "bad dword data";
            return false;
        }
        value.type = REG_DWORD;
        value.data = RegDwordBytes(*number);
        return true;
    }
    if (StartsWithNoCase(data, "hex")) {
        data.remove_prefix(3);
        value.type = REG_BINARY;
        if (!data.empty() && data.front() == '(') {
            const size_t close = data.find(')');
            const auto type =
                close == std::string_view::npos ? std::nullopt : ParseHex32(data.substr(1, close - 1));
            if (!type) {
                error = "bad type in hex(...)";
                return false;
            }
            value.type = *type;
            data.remove_prefix(close + 1);
        }
        if (data.empty() || data.front() != ':') {
            error = "expected ':' after hex";
            return false;
        }
        auto bytes = ParseHexList(data.substr(1));
        if (!bytes) {
            error = "bad hex list";
            return false;
        }
        value.data = std::move(*bytes);
        return true;
    }
    error = "unknown value data";
    return false;
}

// section -> "[" [ "-" ] root [ "\" path ] "]"
bool ParseSection(std::string_view line, RegFileKey& key, std::string& error) {
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos || !TrimLeft(line.substr(close + 1)).empty()) {
        error = "expected ']' at the end of the key line";
        return false;
    }
    std::string_view name = line.substr(1, close - 1);
    if (!name.empty() && name.front() == '-') {
        key.remove = true;
        name.remove_prefix(1);
    }
    const size_t slash = name.find('\\');
    const auto hive = ParseRegHiveName(name.substr(0, slash));
    if (!hive) {
        error = "unknown root key";
        return false;
    }
    key.hive = *hive;
    const auto levels =
        SplitRegPath(slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1));
    if (levels.size() > kMaxKeyDepth) {
        error = "key path too deep";
        return false;
    }
    for (const auto& level : levels) {
        if (level.size() > kMaxKeyNameLength) {
            error = "key name too long";
            return false;
        }
        key.path += (key.path.empty() ? "" : "\\") + level;
    }
    if (key.remove && key.path.empty()) {
        error = "a root key cannot be deleted";
        return false;
    }
    return true;
}

// value -> ( "@" | '"' name '"' ) "=" data
bool ParseValueLine(std::string_view line, RegFileValue& value, std::string& error) {
    size_t pos = 0;
    if (line.front() == '@') {
        pos = 1;
    } else if (line.front() == '"') {
        auto name = ParseQuoted(line, pos);
        if (!name) {
            error = "bad value name";
            return false;
        }
        value.name = std::move(*name);
    } else {
        error = "expected a key in brackets, a quoted value name or '@'";
        return false;
    }
    line = TrimLeft(line.substr(pos));
    if (line.empty() || line.front() != '=') {
        error = "expected '=' after the value name";
        return false;
    }
    return ParseData(line.substr(1), value, error);
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// A string that reads back to the same bytes: one terminating NUL and no NUL or line break before it.
bool IsCleanString(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0 || data[i] == '\n' || data[i] == '\r') return false;
    return true;
}

void AppendHexList(std::string& out, std::span<const std::uint8_t> data, size_t lineStart) {
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 15]);
        if (i + 1 == data.size()) break;
        out.push_back(',');
        if (out.size() - lineStart >= kHexLineWidth) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
        }
    }
}

void AppendValue(std::string& out, const RegFileValue& value) {
    const size_t lineStart = out.size();
    if (value.name.empty())
        out.push_back('@');
    else
        AppendQuoted(out, value.name);
    out.push_back('=');
    char prefix[32];
    if (value.remove) {
        out.push_back('-');
    } else if (value.type == REG_SZ && IsCleanString(value.data)) {
        AppendQuoted(out, RegStringFromBytes(value.data));
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                     static_cast<std::uint32_t>(value.data[3]) << 24;
        std::snprintf(prefix, sizeof prefix, "dword:%08x", number);
        out += prefix;
    } else {
        if (value.type == REG_BINARY)
            out += "hex:";
        else {
            std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
            out += prefix;
        }
        AppendHexList(out, value.data, lineStart);
    }
    out.push_back('\n');
}

bool ReadTree(const RegKey& key, std::vector<RegFileKey>& out, size_t depth) {
    auto values = key.Values();
    auto subkeys = key.SubKeyNames();
    if (!values || !subkeys) return false;
    RegFileKey section{key.Hive(), key.Path(), false, {}};
    for (auto& value : *values)
        section.values.push_back({std::move(value.name), false, value.type, std::move(value.data)});
    out.push_back(std::move(section));
    if (depth >= kMaxKeyDepth) return true;
    for (const auto& name : *subkeys) {
        // A key that another program deleted since the listing is simply left out.
        if (auto subkey = key.OpenSubKey(name); subkey && !ReadTree(*subkey, out, depth + 1)) return false;
    }
    return true;
}

}  // namespace

std::optional<std::vector<RegFileKey>> ParseRegText(std::string_view text, std::string& error) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const auto lines = SplitLines(text);
    std::vector<RegFileKey> keys;
    bool header = false;
    for (const auto& line : lines) {
        const std::string_view content = TrimLeft(line.text);
        if (content.empty() || content.front() == ';') continue;
        std::string message;
        if (!header) {
            if (content != kHeader && content != kHeader4) {
                error = "line " + std::to_string(line.number) + ": not a registry file (no header)";
                return std::nullopt;
            }
            header = true;
        } else if (content.front() == '[') {
            RegFileKey key;
            if (!ParseSection(content, key, message)) {
                error = "line " + std::to_string(line.number) + ": " + message;
                return std::nullopt;
            }
            keys.push_back(std::move(key));
        } else {
            RegFileValue value;
            if (keys.empty() || keys.back().remove) message = "a value outside of a key";
            if (!message.empty() || !ParseValueLine(content, value, message)) {
                error = "line " + std::to_string(line.number) + ": " + message;
                return std::nullopt;
            }
            keys.back().values.push_back(std::move(value));
        }
    }
    if (!header) {
        error = "not a registry file (empty)";
        return std::nullopt;
    }
    return keys;
}

std::string FormatRegText(const std::vector<RegFileKey>& keys) {
    std::string out(kHeader);
    out += "\n\n";
    for (const auto& key : keys) {
        out += key.remove ? "[-" : "[";
        out += RegHiveName(key.hive);
        if (!key.path.empty()) out += "\\" + key.path;
        out += "]\n";
        for (const auto& value : key.values)
            AppendValue(out, value);
        out.push_back('\n');
    }
    return out;
}

std::optional<std::vector<RegFileKey>> ReadRegTree(RegHive hive, std::string_view path) {
    auto key = RegKey::Open(hive, path);
    if (!key) return std::nullopt;
    std::vector<RegFileKey> keys;
    if (!ReadTree(*key, keys, SplitRegPath(path).size())) return std::nullopt;
    return keys;
}

bool ApplyRegKeys(const std::vector<RegFileKey>& keys, std::string& error) {
    bool ok = true;
    auto fail = [&](const RegFileKey& key, const std::string& what) {
        if (ok) error = what + " " + RegHiveName(key.hive) + (key.path.empty() ? "" : "\\" + key.path);
        ok = false;
    };
    for (const auto& key : keys) {
        if (key.remove) {
            // Deleting a key that is not there is no failure.
            if (RegKey::Open(key.hive, key.path) && !RegDeleteKeyTree(key.hive, key.path))
                fail(key, "cannot delete the key");
            continue;
        }
        auto opened = RegKey::Create(key.hive, key.path);
        if (!opened) {
            fail(key, "cannot open or create the key");
            continue;
        }
        for (const auto& value : key.values) {
            if (value.remove) {
                if (opened->QueryValue(value.name) && !opened->DeleteValue(value.name))
                    fail(key, "cannot delete the value \"" + value.name + "\" of");
            } else if (!opened->SetValue(value.name, value.type, value.data)) {
                fail(key, "cannot write the value \"" + value.name + "\" of");
            }
        }
    }
    return ok;
}

bool ExportRegFile(RegHive hive, std::string_view path, const std::string& fileName, std::string& error) {
    const auto keys = ReadRegTree(hive, path);
    if (!keys) {
        error = "the key does not exist or cannot be read";
        return false;
    }
    const std::string text = FormatRegText(*keys);
    const std::string temporary = fileName + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            error = "cannot write " + temporary + ": " + std::strerror(errno);
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), fileName.c_str()) != 0) {
        error = "cannot write " + fileName + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ImportRegFile(const std::string& fileName, std::string& error) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = "cannot open " + fileName + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const auto keys = ParseRegText(text.str(), error);
    return keys && ApplyRegKeys(*keys, error);
}

}  // namespace zk
