#include "Platform/Registry.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdlib>

#include "Platform/ShellFolders.h"

namespace zk {
namespace {

// Keys: one row per key, the hive's root is the implicit key 0. AUTOINCREMENT keeps the number of a deleted
// key from being given to a new one while an old handle may still hold it.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " UNIQUE(parent, name));"
    "CREATE TABLE IF NOT EXISTS vals("
    " key INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " PRIMARY KEY(key, name)) WITHOUT ROWID;";

// How long a writer waits for another program's write to finish before it gives up.
constexpr int kBusyTimeoutMs = 10000;

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    Statement& Bind(int index, std::int64_t value) {
        if (stmt_) sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& Bind(int index, std::string_view text) {
        if (stmt_)
            sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int index, std::span<const std::uint8_t> data) {
        // A zero-length blob must still be a blob, not NULL: the column is NOT NULL.
        static const std::uint8_t kEmpty = 0;
        if (stmt_)
            sqlite3_bind_blob(stmt_, index, data.empty() ? &kEmpty : data.data(),
                              static_cast<int>(data.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    bool Run() { return Step() == SQLITE_DONE; }

    std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) const {
        const auto* text = sqlite3_column_text(stmt_, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }
    std::vector<std::uint8_t> Blob(int column) const {
        const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
        const int size = sqlite3_column_bytes(stmt_, column);
        return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A write transaction. It takes the write lock at once (BEGIN IMMEDIATE): a read that later turns into a
// write could fail in WAL mode without waiting, when another program wrote in between.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : db_(db), open_(Exec(db, "BEGIN IMMEDIATE")) {}
    ~WriteTransaction() {
        if (open_) Exec(db_, "ROLLBACK");
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool Open() const { return open_; }
    bool Commit() {
        if (!open_) return false;
        open_ = false;
        if (Exec(db_, "COMMIT")) return true;
        Exec(db_, "ROLLBACK");
        return false;
    }

private:
    sqlite3* db_;
    bool open_;
};

bool ValidLevels(const std::vector<std::string>& levels) {
    if (levels.size() > kMaxKeyDepth) return false;
    for (const auto& level : levels)
        if (level.size() > kMaxKeyNameLength) return false;
    return true;
}

// The key below `parent` named `name`, or -1.
std::int64_t FindChild(sqlite3* db, std::int64_t parent, std::string_view name) {
    Statement find(db, "SELECT id FROM keys WHERE parent = ?1 AND name = ?2");
    find.Bind(1, parent).Bind(2, name);
    return find.Step() == SQLITE_ROW ? find.Int(0) : -1;
}

struct KeyRow {
    std::int64_t id = 0;
    std::string path;  // with the stored case
};

std::optional<std::string> StoredName(sqlite3* db, std::int64_t id) {
    Statement name(db, "SELECT name FROM keys WHERE id = ?1");
    name.Bind(1, id);
    if (name.Step() != SQLITE_ROW) return std::nullopt;
    return name.Text(0);
}

// Walks `levels` below `start`; with `create`, missing levels are added (inside the caller's transaction).
std::optional<KeyRow> WalkKeys(sqlite3* db, std::int64_t start, const std::string& startPath,
                               const std::vector<std::string>& levels, bool create) {
    KeyRow row{start, startPath};
    for (const auto& level : levels) {
        std::int64_t child = FindChild(db, row.id, level);
        std::string stored = level;
        if (child < 0) {
            if (!create) return std::nullopt;
            Statement insert(db, "INSERT INTO keys(parent, name) VALUES(?1, ?2)");
            if (!insert.Bind(1, row.id).Bind(2, level).Run()) return std::nullopt;
            child = sqlite3_last_insert_rowid(db);
        } else if (auto name = StoredName(db, child)) {
            stored = *name;
        }
        row.id = child;
        row.path = row.path.empty() ? stored : row.path + "\\" + stored;
    }
    return row;
}

bool KeyExists(sqlite3* db, std::int64_t id) {
    if (id == 0) return true;
    Statement find(db, "SELECT 1 FROM keys WHERE id = ?1");
    find.Bind(1, id);
    return find.Step() == SQLITE_ROW;
}

// Deletes the values of `id` and of every key below it, and the keys below it; with `withSelf` the key too.
bool DeleteKeyRows(sqlite3* db, std::int64_t id, bool withSelf) {
    static constexpr const char* kBelow =
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN tree t ON k.parent = "
        "t.id) ";
    const std::string values = std::string(kBelow) + "DELETE FROM vals WHERE key IN (SELECT id FROM tree)";
    const std::string keys = std::string(kBelow) + "DELETE FROM keys WHERE id IN (SELECT id FROM tree)" +
                             (withSelf ? "" : " AND id <> ?1");
    Statement deleteValues(db, values.c_str());
    Statement deleteKeys(db, keys.c_str());
    return deleteValues.Bind(1, id).Run() && deleteKeys.Bind(1, id).Run();
}

}  // namespace

struct RegKey::Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }

    // Opens a hive's database. With `create` the folder, the file and the tables are made when missing.
    static std::shared_ptr<Connection> Open(RegHive hive, bool create) {
        const std::string path = RegHivePath(hive);
        if (create) {
            const auto slash = path.find_last_of('/');
            if (slash != std::string::npos && slash > 0 && !CreateFolderTree(path.substr(0, slash), 0700))
                return nullptr;
        }
        auto connection = std::make_shared<Connection>();
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(path.c_str(), &connection->db, flags, nullptr) != SQLITE_OK) return nullptr;
        sqlite3_busy_timeout(connection->db, kBusyTimeoutMs);
        if (!create) {
            // A file that is not one of our databases (corrupt, empty, foreign) is as good as missing.
            if (!Statement(connection->db, "SELECT 1 FROM keys, vals LIMIT 1").Ok()) return nullptr;
        } else {
            // WAL lets readers and one writer work at the same time; the mode stays with the file. A failure
            // here (another program is switching it at this moment) still leaves a working database.
            Exec(connection->db, "PRAGMA journal_mode=WAL");
            WriteTransaction schema(connection->db);
            if (!schema.Open() || !Exec(connection->db, kSchema) || !schema.Commit()) return nullptr;
        }
        Exec(connection->db, "PRAGMA synchronous=NORMAL");
        return connection;
    }
};

const char* RegHiveName(RegHive hive) {
    return hive == RegHive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::optional<RegHive> ParseRegHiveName(std::string_view name) {
    auto equals = [name](std::string_view other) {
        if (name.size() != other.size()) return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(name[i])) !=
                std::tolower(static_cast<unsigned char>(other[i])))
                return false;
        return true;
    };
    if (equals("HKEY_CURRENT_USER") || equals("HKCU")) return RegHive::CurrentUser;
    if (equals("HKEY_LOCAL_MACHINE") || equals("HKLM")) return RegHive::LocalMachine;
    return std::nullopt;
}

std::string RegHivePath(RegHive hive) {
    const char* variable = hive == RegHive::CurrentUser ? "ZK_HKCU_DB" : "ZK_HKLM_DB";
    if (const char* path = std::getenv(variable); path && path[0] != '\0') return path;
    return ConfigFolder() + (hive == RegHive::CurrentUser ? "/zelkor/hkcu.db" : "/zelkor/hklm.db");
}

std::vector<std::string> SplitRegPath(std::string_view path) {
    std::vector<std::string> levels;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) levels.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

std::vector<std::uint8_t> RegStringBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::string RegStringFromBytes(std::span<const std::uint8_t> data) {
    std::string text(data.begin(), data.end());
    if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

std::vector<std::uint8_t> RegDwordBytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

RegKey::RegKey(RegHive hive, std::shared_ptr<Connection> connection, std::int64_t id, std::string path)
    : hive_(hive), connection_(std::move(connection)), id_(id), path_(std::move(path)) {}
RegKey::RegKey(RegKey&&) noexcept = default;
RegKey& RegKey::operator=(RegKey&&) noexcept = default;
RegKey::~RegKey() = default;

std::optional<RegKey> RegKey::Open(RegHive hive, std::string_view path) {
    const auto levels = SplitRegPath(path);
    if (!ValidLevels(levels)) return std::nullopt;
    auto connection = Connection::Open(hive, false);
    if (!connection) return std::nullopt;
    auto row = WalkKeys(connection->db, 0, {}, levels, false);
    if (!row) return std::nullopt;
    return RegKey(hive, std::move(connection), row->id, std::move(row->path));
}

std::optional<RegKey> RegKey::Create(RegHive hive, std::string_view path) {
    const auto levels = SplitRegPath(path);
    if (!ValidLevels(levels)) return std::nullopt;
    auto connection = Connection::Open(hive, true);
    if (!connection) return std::nullopt;
    // Most opens find every level: look first without the write lock.
    if (auto row = WalkKeys(connection->db, 0, {}, levels, false))
        return RegKey(hive, std::move(connection), row->id, std::move(row->path));
    WriteTransaction transaction(connection->db);
    if (!transaction.Open()) return std::nullopt;
    auto row = WalkKeys(connection->db, 0, {}, levels, true);
    if (!row || !transaction.Commit()) return std::nullopt;
    return RegKey(hive, std::move(connection), row->id, std::move(row->path));
}

std::optional<RegKey> RegKey::OpenSubKey(std::string_view path) const {
    const auto levels = SplitRegPath(path);
    if (!connection_ || !ValidLevels(levels)) return std::nullopt;
    auto row = WalkKeys(connection_->db, id_, path_, levels, false);
    if (!row) return std::nullopt;
    return RegKey(hive_, connection_, row->id, std::move(row->path));
}

bool RegKey::Exists() const {
    return connection_ && KeyExists(connection_->db, id_);
}

std::optional<RegValue> RegKey::QueryValue(std::string_view name) const {
    if (!connection_) return std::nullopt;
    Statement query(connection_->db, "SELECT name, type, data FROM vals WHERE key = ?1 AND name = ?2");
    query.Bind(1, id_).Bind(2, name);
    if (query.Step() != SQLITE_ROW) return std::nullopt;
    return RegValue{query.Text(0), static_cast<std::uint32_t>(query.Int(1)), query.Blob(2)};
}

bool RegKey::SetValue(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) {
    if (!connection_) return false;
    WriteTransaction transaction(connection_->db);
    if (!transaction.Open() || !Exists()) return false;
    // An existing value keeps the case of its name, as a new write of the same name only replaces the data.
    Statement upsert(connection_->db,
                     "INSERT INTO vals(key, name, type, data) VALUES(?1, ?2, ?3, ?4) "
                     "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    upsert.Bind(1, id_).Bind(2, name).Bind(3, static_cast<std::int64_t>(type)).BindBlob(4, data);
    return upsert.Run() && transaction.Commit();
}

bool RegKey::SetDword(std::string_view name, std::uint32_t value) {
    return SetValue(name, REG_DWORD, RegDwordBytes(value));
}

bool RegKey::SetString(std::string_view name, std::string_view text) {
    return SetValue(name, REG_SZ, RegStringBytes(text));
}

bool RegKey::DeleteValue(std::string_view name) {
    if (!connection_) return false;
    WriteTransaction transaction(connection_->db);
    if (!transaction.Open()) return false;
    Statement erase(connection_->db, "DELETE FROM vals WHERE key = ?1 AND name = ?2");
    if (!erase.Bind(1, id_).Bind(2, name).Run() || sqlite3_changes(connection_->db) == 0) return false;
    return transaction.Commit();
}

std::optional<std::vector<std::string>> RegKey::SubKeyNames() const {
    if (!connection_) return std::nullopt;
    Statement list(connection_->db, "SELECT name FROM keys WHERE parent = ?1 ORDER BY name");
    list.Bind(1, id_);
    std::vector<std::string> names;
    int step;
    while ((step = list.Step()) == SQLITE_ROW)
        names.push_back(list.Text(0));
    if (step != SQLITE_DONE) return std::nullopt;
    return names;
}

std::optional<std::vector<RegValue>> RegKey::Values() const {
    if (!connection_) return std::nullopt;
    Statement list(connection_->db, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY name");
    list.Bind(1, id_);
    std::vector<RegValue> values;
    int step;
    while ((step = list.Step()) == SQLITE_ROW)
        values.push_back({list.Text(0), static_cast<std::uint32_t>(list.Int(1)), list.Blob(2)});
    if (step != SQLITE_DONE) return std::nullopt;
    return values;
}

bool RegKey::DeleteTree(std::string_view subkey) {
    if (!connection_) return false;
    const auto levels = SplitRegPath(subkey);
    WriteTransaction transaction(connection_->db);
    if (!transaction.Open() || !Exists()) return false;
    const auto row = WalkKeys(connection_->db, id_, path_, levels, false);
    if (!row) return false;
    return DeleteKeyRows(connection_->db, row->id, !levels.empty()) && transaction.Commit();
}

bool RegDeleteKeyTree(RegHive hive, std::string_view path) {
    const auto levels = SplitRegPath(path);
    if (levels.empty()) return false;
    auto key = RegKey::Open(hive, "");
    return key && key->DeleteTree(path);
}

}  // namespace zk
