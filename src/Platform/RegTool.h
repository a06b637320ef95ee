#pragma once
// The command behind `zelkreg`, our reg.exe: QUERY, ADD, DELETE, EXPORT and IMPORT on the settings store.
//
//   zelkreg QUERY  <key> [/v <name> | /ve] [/s]
//   zelkreg ADD    <key> [/v <name> | /ve] [/t <type>] [/s <separator>] [/d <data>] [/f]
//   zelkreg DELETE <key> [/v <name> | /ve | /va] [/f]
//   zelkreg EXPORT <key> <file> [/y]
//   zelkreg IMPORT <file>
//
// <key> is ROOT\path with ROOT one of HKCU, HKLM, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE. Verbs and switches
// are case-insensitive. Types: REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,
// REG_BINARY, REG_NONE. Without /f (ADD, DELETE) or /y (EXPORT) an overwrite or a deletion is confirmed on
// standard input. Exit code 0 on success, 1 on failure with a message on standard error.

#include <iosfwd>
#include <string>
#include <vector>

namespace zk {

int RunRegTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace zk
