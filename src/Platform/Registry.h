#pragma once
// The settings store: our registry. Two hives, the current user's and the machine's, each an SQLite database
// in WAL mode with a busy timeout, so that several programs can read and write at the same time without
// losing a write.
//
// Where the hives live:
//   HKEY_CURRENT_USER   $ZK_HKCU_DB, default $XDG_CONFIG_HOME/zelkor/hkcu.db (~/.config/zelkor/hkcu.db)
//   HKEY_LOCAL_MACHINE  $ZK_HKLM_DB, default $XDG_CONFIG_HOME/zelkor/hklm.db
// The environment is read at every open, so a test can move a hive at any time.
//
// Keys form a tree below each hive's root. Key and value names keep their case and compare without regard
// to ASCII case. Paths separate levels with "\"; empty levels are ignored. A value has a type number and
// bytes; REG_SZ, REG_DWORD and REG_BINARY are the types the programs use, any other number is stored as is.
//
// As with the Windows registry, a key handle is opened, used for a few operations and closed. Every
// operation reports failure instead of throwing: a missing, corrupt or unreadable database makes reads
// fail, so callers fall back to their defaults.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zk {

enum class RegHive { CurrentUser, LocalMachine };

constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_MULTI_SZ = 7;
constexpr std::uint32_t REG_QWORD = 11;

// Windows' limits, kept so that what we store can be exported and read back anywhere.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxKeyDepth = 512;

struct RegValue {
    std::string name;  // "" is the key's default value
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// "HKEY_CURRENT_USER" / "HKEY_LOCAL_MACHINE".
const char* RegHiveName(RegHive hive);
// Accepts the long names and HKCU / HKLM, in any case.
std::optional<RegHive> ParseRegHiveName(std::string_view name);
// The database file of a hive, from the environment (see above).
std::string RegHivePath(RegHive hive);

// The levels of a key path; empty levels are dropped.
std::vector<std::string> SplitRegPath(std::string_view path);

// REG_SZ bytes of a string: the characters and a terminating NUL.
std::vector<std::uint8_t> RegStringBytes(std::string_view text);
// The string of REG_SZ bytes: up to the first NUL.
std::string RegStringFromBytes(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> RegDwordBytes(std::uint32_t value);  // little-endian

class RegKey {
public:
    // Opens an existing key; nothing when the key or the hive's database is missing or unreadable.
    static std::optional<RegKey> Open(RegHive hive, std::string_view path);
    // Opens a key, creating it and every missing level (and the hive's database and folder).
    static std::optional<RegKey> Create(RegHive hive, std::string_view path);

    RegKey(RegKey&&) noexcept;
    RegKey& operator=(RegKey&&) noexcept;
    ~RegKey();

    RegHive Hive() const { return hive_; }
    // The key's path as its levels are stored (with their own case), "\"-separated; "" for the root.
    const std::string& Path() const { return path_; }

    // Opens an existing key below this one through the same database connection.
    std::optional<RegKey> OpenSubKey(std::string_view path) const;

    // Nothing when the value is missing or the database cannot be read.
    std::optional<RegValue> QueryValue(std::string_view name) const;
    bool SetValue(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data);
    bool SetDword(std::string_view name, std::uint32_t value);
    bool SetString(std::string_view name, std::string_view text);
    // Fails when the value does not exist.
    bool DeleteValue(std::string_view name);

    // Subkey names and values in the order of their names (case-insensitive); nothing on a read failure.
    std::optional<std::vector<std::string>> SubKeyNames() const;
    std::optional<std::vector<RegValue>> Values() const;

    // Deletes a subkey with everything below it; "" empties this key (values and subkeys) and keeps it.
    // Fails when the subkey does not exist.
    bool DeleteTree(std::string_view subkey);

private:
    struct Connection;
    RegKey(RegHive hive, std::shared_ptr<Connection> connection, std::int64_t id, std::string path);

    // True while the key has not been deleted (by us or by another program).
    bool Exists() const;

    RegHive hive_;
    std::shared_ptr<Connection> connection_;
    std::int64_t id_ = 0;
    std::string path_;
};

// Deletes a key with everything below it. The hive's root cannot be deleted.
bool RegDeleteKeyTree(RegHive hive, std::string_view path);

}  // namespace zk
