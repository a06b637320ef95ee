#pragma once
// The .reg text format of registry exports, read and written:
//
//     Windows Registry Editor Version 5.00
//
//     [HKEY_CURRENT_USER\Software\Zelkor\ZelkMsg]
//     "WorkingDirectory"="C:\\Logs \"old\""
//     "ShowHelp"=dword:00000001
//     "WindowPlacement"=hex:2c,00,00,00,...,00,00     (long lists go on after "\" on the next line)
//     "Other"=hex(b):01,00,00,00,00,00,00,00
//     @="the default value"
//     "Gone"=-
//     [-HKEY_CURRENT_USER\Software\Old]
//
// Strings escape "\" and the double quote with a backslash. A REG_SZ that is not a clean string (no
// terminating NUL, NUL inside, line breaks) is written as hex(1): so that it reads back byte for byte, and a
// REG_DWORD of another size than 4 as hex(4):. Hex lists continue on the next line after a trailing "\".
// "[-key]" deletes a key tree and "name"=- a value. Lines starting with ";" are comments. Written files use
// "\n" line ends; "\r\n" is accepted. "REGEDIT4" is accepted as the header too.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Registry.h"

namespace zk {

struct RegFileValue {
    std::string name;     // "" is the default value, written "@"
    bool remove = false;  // "name"=-
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;

    friend bool operator==(const RegFileValue&, const RegFileValue&) = default;
};

struct RegFileKey {
    RegHive hive = RegHive::CurrentUser;
    std::string path;     // below the hive's root, "\"-separated; "" is the root
    bool remove = false;  // [-key]
    std::vector<RegFileValue> values;

    friend bool operator==(const RegFileKey&, const RegFileKey&) = default;
};

// Parses the text of a .reg file. On failure returns nothing and sets `error` to a message naming the line.
std::optional<std::vector<RegFileKey>> ParseRegText(std::string_view text, std::string& error);

// The text of a .reg file with the header and the given sections.
std::string FormatRegText(const std::vector<RegFileKey>& keys);

// The key and every key below it, parents before children, subkeys in name order. Nothing when the key does
// not exist or cannot be read.
std::optional<std::vector<RegFileKey>> ReadRegTree(RegHive hive, std::string_view path);

// Writes the sections to the store. Every section is applied; false and `error` when one failed.
bool ApplyRegKeys(const std::vector<RegFileKey>& keys, std::string& error);

// Exports a key tree into a file. The file is written under a temporary name and renamed, so a reader never
// sees half an export.
bool ExportRegFile(RegHive hive, std::string_view path, const std::string& fileName, std::string& error);

// Imports a .reg file: nothing is written unless the whole file parses.
bool ImportRegFile(const std::string& fileName, std::string& error);

}  // namespace zk
