#include "Platform/RegTool.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <istream>
#include <map>
#include <optional>
#include <ostream>

#include "Platform/RegFile.h"
#include "Platform/Registry.h"

namespace zk {
namespace {

constexpr const char* kDone = "The operation completed successfully.";
constexpr const char* kNotFound = "The system was unable to find the specified registry key or value.";

std::string Upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

class Failure {
public:
    explicit Failure(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

// The command line after the verb: positional arguments and switches, a switch with its argument.
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::optional<std::string>> switches;  // "/V" -> name

    bool Has(const std::string& name) const { return switches.count(name) != 0; }
    std::string Get(const std::string& name) const {
        auto it = switches.find(name);
        return it != switches.end() && it->second ? *it->second : std::string();
    }
};

Arguments ParseArguments(const std::vector<std::string>& args, const std::vector<std::string>& withValue,
                         const std::vector<std::string>& flags) {
    Arguments parsed;
    for (size_t i = 1; i < args.size(); ++i) {
        // Only the verb's own switches are switches: file names on Linux start with "/" too.
        const std::string upper = Upper(args[i]);
        const bool takesValue = std::find(withValue.begin(), withValue.end(), upper) != withValue.end();
        const bool isFlag = std::find(flags.begin(), flags.end(), upper) != flags.end();
        if (!takesValue && !isFlag) {
            parsed.positional.push_back(args[i]);
            continue;
        }
        if (parsed.switches.count(upper)) throw Failure("Invalid syntax: " + args[i] + " given twice.");
        if (takesValue) {
            if (i + 1 >= args.size()) throw Failure("Invalid syntax: " + args[i] + " needs a value.");
            parsed.switches[upper] = args[++i];
        } else {
            parsed.switches[upper] = std::nullopt;
        }
    }
    return parsed;
}

struct KeyName {
    RegHive hive;
    std::string path;
};

KeyName ParseKeyName(const std::string& text) {
    const size_t slash = text.find('\\');
    const auto hive = ParseRegHiveName(std::string_view(text).substr(0, slash));
    if (!hive) throw Failure("Invalid key name.");
    return {*hive, slash == std::string::npos ? std::string() : text.substr(slash + 1)};
}

std::string FullName(RegHive hive, const std::string& path) {
    return std::string(RegHiveName(hive)) + (path.empty() ? "" : "\\" + path);
}

bool Confirm(std::istream& in, std::ostream& out, const std::string& question) {
    out << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) return false;
    answer = Upper(answer);
    return answer == "Y" || answer == "YES";
}

const std::map<std::string, std::uint32_t>& TypeNames() {
    static const std::map<std::string, std::uint32_t> names = {
        {"REG_NONE", REG_NONE},     {"REG_SZ", REG_SZ},       {"REG_EXPAND_SZ", REG_EXPAND_SZ},
        {"REG_BINARY", REG_BINARY}, {"REG_DWORD", REG_DWORD}, {"REG_MULTI_SZ", REG_MULTI_SZ},
        {"REG_QWORD", REG_QWORD}};
    return names;
}

std::string TypeName(std::uint32_t type) {
    for (const auto& [name, number] : TypeNames())
        if (number == type) return name;
    char text[32];
    std::snprintf(text, sizeof text, "REG_0x%x", type);
    return text;
}

std::uint64_t LittleEndian(const std::vector<std::uint8_t>& data) {
    std::uint64_t value = 0;
    for (size_t i = data.size(); i-- > 0;)
        value = value << 8 | data[i];
    return value;
}

std::string DataText(const RegValue& value) {
    char text[32];
    if ((value.type == REG_DWORD && value.data.size() == 4) ||
        (value.type == REG_QWORD && value.data.size() == 8)) {
        std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(LittleEndian(value.data)));
        return text;
    }
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) return RegStringFromBytes(value.data);
    if (value.type == REG_MULTI_SZ) {
        std::string joined(value.data.begin(), value.data.end());
        while (!joined.empty() && joined.back() == '\0')
            joined.pop_back();
        std::string out;
        for (char c : joined)
            out += c == '\0' ? std::string("\\0") : std::string(1, c);
        return out;
    }
    std::string out;
    for (auto byte : value.data) {
        std::snprintf(text, sizeof text, "%02X", byte);
        out += text;
    }
    return out;
}

void PrintValue(std::ostream& out, const RegValue& value) {
    out << "    " << (value.name.empty() ? "(Default)" : value.name) << "    " << TypeName(value.type)
        << "    " << DataText(value) << "\n";
}

void QueryTree(std::ostream& out, const RegKey& key, bool recursive, size_t depth) {
    const auto values = key.Values();
    const auto subkeys = key.SubKeyNames();
    if (!values || !subkeys) throw Failure(kNotFound);
    out << FullName(key.Hive(), key.Path()) << "\n";
    for (const auto& value : *values)
        PrintValue(out, value);
    out << "\n";
    for (const auto& name : *subkeys) {
        auto subkey = key.OpenSubKey(name);
        if (!subkey) continue;
        if (recursive && depth < kMaxKeyDepth)
            QueryTree(out, *subkey, true, depth + 1);
        else
            out << FullName(key.Hive(), subkey->Path()) << "\n";
    }
}

int Query(const std::vector<std::string>& args, std::ostream& out) {
    const auto parsed = ParseArguments(args, {"/V"}, {"/VE", "/S"});
    if (parsed.positional.size() != 1 || (parsed.Has("/V") && parsed.Has("/VE")))
        throw Failure("Invalid syntax.");
    const auto name = ParseKeyName(parsed.positional[0]);
    const auto key = RegKey::Open(name.hive, name.path);
    if (!key) throw Failure(kNotFound);
    out << "\n";
    if (parsed.Has("/V") || parsed.Has("/VE")) {
        const auto value = key->QueryValue(parsed.Get("/V"));
        if (!value) throw Failure(kNotFound);
        out << FullName(key->Hive(), key->Path()) << "\n";
        PrintValue(out, *value);
        out << "\n";
        return 0;
    }
    QueryTree(out, *key, parsed.Has("/S"), 0);
    return 0;
}

std::uint64_t ParseNumber(const std::string& text, std::uint64_t max) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 20) throw Failure("Invalid number: " + text);
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = std::isdigit(static_cast<unsigned char>(c))           ? c - '0'
                          : hex && std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                                : -1;
        const unsigned base = hex ? 16 : 10;
        if (digit < 0 || value > (max - static_cast<unsigned>(digit)) / base)
            throw Failure("Invalid number: " + text);
        value = value * base + static_cast<unsigned>(digit);
    }
    return value;
}

std::vector<std::uint8_t> ValueData(std::uint32_t type, const std::string& data,
                                    const std::string& separator) {
    std::vector<std::uint8_t> bytes;
    switch (type) {
        case REG_DWORD:
            return RegDwordBytes(static_cast<std::uint32_t>(ParseNumber(data, UINT32_MAX)));
        case REG_QWORD: {
            std::uint64_t value = ParseNumber(data, UINT64_MAX);
            for (int i = 0; i < 8; ++i, value >>= 8)
                bytes.push_back(static_cast<std::uint8_t>(value));
            return bytes;
        }
        case REG_BINARY:
        case REG_NONE:
            if (data.size() % 2 != 0) throw Failure("Invalid binary data: an odd number of hex digits.");
            for (size_t i = 0; i < data.size(); i += 2) {
                if (!std::isxdigit(static_cast<unsigned char>(data[i])) ||
                    !std::isxdigit(static_cast<unsigned char>(data[i + 1])))
                    throw Failure("Invalid binary data: " + data);
                bytes.push_back(static_cast<std::uint8_t>(std::stoi(data.substr(i, 2), nullptr, 16)));
            }
            return bytes;
        case REG_MULTI_SZ: {
            const std::string sep = separator.empty() ? "\\0" : separator;
            size_t start = 0;
            while (!data.empty()) {
                const size_t end = data.find(sep, start);
                const std::string part =
                    data.substr(start, end == std::string::npos ? std::string::npos : end - start);
                bytes.insert(bytes.end(), part.begin(), part.end());
                bytes.push_back(0);
                if (end == std::string::npos) break;
                start = end + sep.size();
            }
            bytes.push_back(0);
            return bytes;
        }
        default:
            return RegStringBytes(data);
    }
}

int Add(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
    const auto parsed = ParseArguments(args, {"/V", "/T", "/S", "/D"}, {"/VE", "/F"});
    if (parsed.positional.size() != 1 || (parsed.Has("/V") && parsed.Has("/VE")))
        throw Failure("Invalid syntax.");
    const auto name = ParseKeyName(parsed.positional[0]);
    std::uint32_t type = REG_SZ;
    if (parsed.Has("/T")) {
        const auto it = TypeNames().find(Upper(parsed.Get("/T")));
        if (it == TypeNames().end()) throw Failure("Invalid type: " + parsed.Get("/T"));
        type = it->second;
    }
    const bool withValue = parsed.Has("/V") || parsed.Has("/VE");
    const auto data = ValueData(type, parsed.Get("/D"), parsed.Get("/S"));
    auto key = RegKey::Create(name.hive, name.path);
    if (!key) throw Failure("Cannot open or create the key.");
    if (withValue) {
        const std::string valueName = parsed.Get("/V");
        if (!parsed.Has("/F") && key->QueryValue(valueName) &&
            !Confirm(in, out,
                     "Value " + (valueName.empty() ? "(Default)" : valueName) + " exists, overwrite")) {
            throw Failure("The operation was cancelled.");
        }
        if (!key->SetValue(valueName, type, data)) throw Failure("Cannot write the value.");
    }
    out << kDone << "\n";
    return 0;
}

int Delete(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
    const auto parsed = ParseArguments(args, {"/V"}, {"/VE", "/VA", "/F"});
    const int chosen = parsed.Has("/V") + parsed.Has("/VE") + parsed.Has("/VA");
    if (parsed.positional.size() != 1 || chosen > 1) throw Failure("Invalid syntax.");
    const auto name = ParseKeyName(parsed.positional[0]);
    auto key = RegKey::Open(name.hive, name.path);
    if (!key) throw Failure(kNotFound);
    const bool force = parsed.Has("/F");
    if (parsed.Has("/VA")) {
        if (!force && !Confirm(in, out, "Delete all values under the registry key " + parsed.positional[0]))
            throw Failure("The operation was cancelled.");
        for (const auto& value : key->Values().value_or(std::vector<RegValue>{}))
            key->DeleteValue(value.name);
    } else if (chosen == 1) {
        const std::string valueName = parsed.Get("/V");
        if (!key->QueryValue(valueName)) throw Failure(kNotFound);
        if (!force &&
            !Confirm(in, out, "Delete the registry value " + (valueName.empty() ? "(Default)" : valueName)))
            throw Failure("The operation was cancelled.");
        if (!key->DeleteValue(valueName)) throw Failure("Cannot delete the value.");
    } else {
        if (name.path.empty()) throw Failure("A root key cannot be deleted.");
        if (!force && !Confirm(in, out, "Delete the registry key " + parsed.positional[0]))
            throw Failure("The operation was cancelled.");
        if (!RegDeleteKeyTree(name.hive, name.path)) throw Failure("Cannot delete the key.");
    }
    out << kDone << "\n";
    return 0;
}

int Export(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
    const auto parsed = ParseArguments(args, {}, {"/Y"});
    if (parsed.positional.size() != 2) throw Failure("Invalid syntax.");
    const auto name = ParseKeyName(parsed.positional[0]);
    const std::string& file = parsed.positional[1];
    struct stat info {};
    if (!parsed.Has("/Y") && ::stat(file.c_str(), &info) == 0 &&
        !Confirm(in, out, "File " + file + " already exists. Overwrite")) {
        throw Failure("The operation was cancelled.");
    }
    std::string error;
    if (!ExportRegFile(name.hive, name.path, file, error)) throw Failure(error);
    out << kDone << "\n";
    return 0;
}

int Import(const std::vector<std::string>& args, std::ostream& out) {
    const auto parsed = ParseArguments(args, {}, {});
    if (parsed.positional.size() != 1) throw Failure("Invalid syntax.");
    std::string error;
    if (!ImportRegFile(parsed.positional[0], error)) throw Failure(error);
    out << kDone << "\n";
    return 0;
}

}  // namespace

namespace {

const char* const kRegUsage =
    "usage: zelkreg QUERY KEY [/v NAME | /ve] [/s]\n"
    "       zelkreg ADD KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_BINARY] [/s SEPARATOR] [/d DATA] [/f]\n"
    "       zelkreg DELETE KEY [/v NAME | /ve | /va] [/f]\n"
    "       zelkreg EXPORT KEY FILE [/y]\n"
    "       zelkreg IMPORT FILE\n"
    "KEY starts with the hive: HKCU or HKEY_CURRENT_USER, HKLM or HKEY_LOCAL_MACHINE, e.g.\n"
    "  zelkreg QUERY \"HKCU\\Software\\Zelkor\\ZelkMsg\\Options\" /v AutoConnect\n"
    "FILE is a .reg text file. /f and /y answer yes to every question.\n";

}  // namespace

int RunRegTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "/?" || args[0] == "-?" || args[0] == "--help" || args[0] == "-h")) {
        out << kRegUsage;
        return 0;
    }
    try {
        const std::string verb = args.empty() ? std::string() : Upper(args[0]);
        if (verb == "QUERY") return Query(args, out);
        if (verb == "ADD") return Add(args, in, out);
        if (verb == "DELETE") return Delete(args, in, out);
        if (verb == "EXPORT") return Export(args, in, out);
        if (verb == "IMPORT") return Import(args, out);
        throw Failure("Invalid syntax. Use QUERY, ADD, DELETE, EXPORT or IMPORT.");
    } catch (const Failure& failure) {
        err << "ERROR: " << failure.Message() << "\n";
    } catch (const std::exception& e) {
        err << "ERROR: " << e.what() << "\n";
    }
    return 1;
}

}  // namespace zk
