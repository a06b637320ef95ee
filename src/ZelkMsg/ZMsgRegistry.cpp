#include "ZelkMsg/ZMsgRegistry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "Platform/Process.h"
#include "Platform/ShellFolders.h"

using zk::RegHive;
using zk::RegKey;

namespace {

constexpr auto kBackupLifetime = std::chrono::hours(24 * 7);
constexpr std::string_view kBackupPrefix = "ZelkMsg.";
constexpr std::string_view kBackupSuffix = ".reg";

bool IsBackupName(std::string_view name) {
    return name.size() >= kBackupPrefix.size() + kBackupSuffix.size() && name.starts_with(kBackupPrefix) &&
           name.ends_with(kBackupSuffix);
}

}  // namespace

ZMsgRegistry::ZMsgRegistry() : ZKRegistry("ZelkMsg") {}

ZMsgRegistry& ZMsgRegistry::Instance() {
    static ZMsgRegistry registry;
    return registry;
}

bool ZMsgRegistry::LoadAutoConnectOptions(ZMsgAutoConnectOptions& options) {
    const auto key = RegKey::Create(RegHive::CurrentUser, AppSubKeyName("Options"));
    return key && ReadDWord(*key, "SingleShot", options.singleShot) &&
           ReadDWord(*key, "AutoOffLine", options.autoOffLine) &&
           ReadDWord(*key, "AutoConnect", options.autoConnect);
}

bool ZMsgRegistry::SaveAutoConnectOptions(const ZMsgAutoConnectOptions& options) {
    auto key = RegKey::Create(RegHive::CurrentUser, AppSubKeyName("Options"));
    return key && key->SetDword("SingleShot", options.singleShot) &&
           key->SetDword("AutoOffLine", options.autoOffLine) &&
           key->SetDword("AutoConnect", options.autoConnect);
}

std::optional<std::string> ZMsgRegistry::BackupFolder() {
    const std::string local = zk::LocalAppDataFolder();
    if (local.empty()) return std::nullopt;
    const std::string folder = local + "/Zelkor/ZelkMsg/RegistryBackups";
    if (!zk::CreateFolderTree(folder)) return std::nullopt;
    return folder + "/";
}

std::optional<ZMsgRegistry::Clock::time_point> ZMsgRegistry::FileCreationTime(const std::string& path) {
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_CTIME, &info) != 0)
        return std::nullopt;
    const auto& time = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_ctime;
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(
        std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec)));
}

std::optional<std::uint32_t> ZMsgRegistry::BackupNumber(const std::string& fileName) {
    std::string_view stem(fileName);
    stem.remove_suffix(std::min<size_t>(stem.size(), 4));
    if (const auto dot = stem.rfind('.'); dot != std::string_view::npos) stem.remove_prefix(dot + 1);
    // Leading decimal digits count, as an unsigned conversion reads them; no digits read as 0.
    std::uint64_t number = 0;
    for (char c : stem) {
        if (c < '0' || c > '9') break;
        number = number * 10 + static_cast<unsigned>(c - '0');
        if (number > UINT32_MAX) return std::nullopt;
    }
    return static_cast<std::uint32_t>(number);
}

std::uint32_t ZMsgRegistry::PruneBackups(const std::string& folder, Clock::time_point now,
                                         const CreationTimeFn& creationTime) {
    std::uint32_t highest = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return highest;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string path = folder + name;
        struct stat info {};
        if (!IsBackupName(name) || ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (const auto created = creationTime(path)) {
            const auto age = now > *created ? now - *created : *created - now;
            if (age > kBackupLifetime) ::unlink(path.c_str());
        }
        if (const auto number = BackupNumber(name); number && *number > highest) highest = *number;
    }
    ::closedir(dir);
    return highest;
}

std::optional<unsigned> ZMsgRegistry::BackupAtStartup() const {
    const auto folder = BackupFolder();
    if (!folder) return std::nullopt;
    const std::uint32_t number = PruneBackups(*folder, Clock::now()) + 1;
    const auto zelkreg = zk::FindProgram("zelkreg");
    if (!zelkreg) return std::nullopt;
    const std::string file = *folder + "ZelkMsg." + std::to_string(number) + ".reg";
    const auto spawned = zk::SpawnDetached(*zelkreg, {"EXPORT", "HKCU\\" + AppKeyName(), file, "/y"},
                                           zk::SpawnOutput::Discard);
    if (!spawned.started) return std::nullopt;
    return number;
}
