#include "Common/ZKRegistry.h"

using zk::RegHive;
using zk::RegKey;

namespace {

// The size of the caller's buffer for path values; a longer stored value does not fit and the read fails.
constexpr std::size_t kMaxPathBytes = 260;
constexpr std::uint32_t kDefaultRecentEntries = 10;
constexpr std::uint32_t kDefaultChooseFileTimeoutMs = 5000;

}  // namespace

ZKRegistry::ZKRegistry(const std::string& applicationName)
    : companyKey_("Software\\Zelkor"),
      machineKey_("Software\\Zelkor"),
      appKey_(companyKey_ + "\\" + applicationName) {}

bool ZKRegistry::ReadDWord(const RegKey& key, const std::string& name, std::uint32_t& value) {
    const auto stored = key.QueryValue(name);
    if (!stored || stored->type != zk::REG_DWORD || stored->data.size() != 4) return false;
    const auto& d = stored->data;
    value = d[0] | d[1] << 8 | d[2] << 16 | static_cast<std::uint32_t>(d[3]) << 24;
    return true;
}

bool ZKRegistry::GetString(RegHive hive, const std::string& keyPath, const char* name,
                           std::string& text) const {
    const auto key = RegKey::Create(hive, keyPath);
    if (!key) return false;
    const auto stored = key->QueryValue(name);
    if (!stored || stored->type != zk::REG_SZ || stored->data.size() > kMaxPathBytes) return false;
    text = zk::RegStringFromBytes(stored->data);
    return true;
}

bool ZKRegistry::SetString(RegHive hive, const std::string& keyPath, const char* name,
                           const std::string& text) {
    auto key = RegKey::Create(hive, keyPath);
    return key && key->SetString(name, text);
}

bool ZKRegistry::GetWorkingDirectory(std::string& directory) const {
    return GetString(RegHive::CurrentUser, companyKey_, "WorkingDirectory", directory);
}

bool ZKRegistry::SetWorkingDirectory(const std::string& directory) {
    return SetString(RegHive::CurrentUser, companyKey_, "WorkingDirectory", directory);
}

bool ZKRegistry::GetInstallDirectory(std::string& directory) const {
    return GetString(RegHive::LocalMachine, machineKey_, "InstallDirectory", directory);
}

bool ZKRegistry::SetInstallDirectory(const std::string& directory) {
    return SetString(RegHive::LocalMachine, machineKey_, "InstallDirectory", directory);
}

bool ZKRegistry::GetUseNewZkDirCfgFormat(bool& useNew) {
    auto key = RegKey::Create(RegHive::CurrentUser, companyKey_);
    if (!key) return false;
    std::uint32_t value = 0;
    if (ReadDWord(*key, "UseNewZkDirCfgFormat", value)) {
        useNew = value != 0;
        return true;
    }
    useNew = false;
    key->SetDword("UseNewZkDirCfgFormat", 0);
    return false;
}

bool ZKRegistry::GetWindowPlacement(zk::WindowPlacement& placement) {
    auto key = RegKey::Create(RegHive::CurrentUser, appKey_);
    if (key) {
        const auto stored = key->QueryValue("WindowPlacement");
        if (stored && stored->type == zk::REG_BINARY && stored->data.size() == placement.length) {
            if (auto record = zk::WindowPlacement::FromBytes(stored->data)) {
                placement = *record;
                return true;
            }
        }
    }
    placement = zk::WindowPlacement{};
    SetWindowPlacement(placement);
    return false;
}

bool ZKRegistry::SetWindowPlacement(const zk::WindowPlacement& placement) {
    auto key = RegKey::Create(RegHive::CurrentUser, appKey_);
    const auto bytes = placement.ToBytes();
    return key && key->SetValue("WindowPlacement", zk::REG_BINARY, bytes);
}

bool ZKRegistry::GetShowHelp(std::uint32_t& showHelp) const {
    showHelp = 1;
    const auto key = RegKey::Create(RegHive::CurrentUser, appKey_);
    return key && ReadDWord(*key, "ShowHelp", showHelp);
}

bool ZKRegistry::SetShowHelp(std::uint32_t showHelp) {
    return SetAppDWord("ShowHelp", showHelp);
}

bool ZKRegistry::GetAutoGetAndSaveSyncLog(std::uint32_t& value) {
    return GetCompanyDWord("AutoGetAndSaveSyncLog", value, 0);
}

bool ZKRegistry::GetMaxRtcDisparityInMinutes(std::uint32_t& value) {
    return GetCompanyDWord("MaxRtcDisparityInMinutes", value, 719);
}

bool ZKRegistry::GetAutoConnectAsRoot(std::uint32_t& value) {
    return GetCompanyDWord("AutoConnectAsRoot", value, 0);
}

bool ZKRegistry::GetAllowMapOverrides(std::uint32_t& value) {
    value = 0;
    if (const auto key = RegKey::Create(RegHive::CurrentUser, companyKey_))
        ReadDWord(*key, "AllowMapOverrides", value);
    return true;
}

bool ZKRegistry::GetCompanyDWord(const std::string& name, std::uint32_t& value, std::uint32_t defaultValue) {
    value = defaultValue;
    auto key = RegKey::Create(RegHive::CurrentUser, companyKey_);
    if (!key) return false;
    if (ReadDWord(*key, name, value)) return true;
    value = defaultValue;
    // A value of another type or size is somebody's data: leave it alone.
    if (!key->QueryValue(name)) key->SetDword(name, defaultValue);
    return false;
}

bool ZKRegistry::GetCompanyDWord(const std::string& name, std::uint32_t& value) const {
    const auto key = RegKey::Open(RegHive::CurrentUser, companyKey_);
    return key && ReadDWord(*key, name, value);
}

bool ZKRegistry::GetAppDWord(const std::string& name, std::uint32_t& value) const {
    const auto key = RegKey::Open(RegHive::CurrentUser, appKey_);
    return key && ReadDWord(*key, name, value);
}

bool ZKRegistry::SetCompanyDWord(const std::string& name, std::uint32_t value) {
    auto key = RegKey::Create(RegHive::CurrentUser, companyKey_);
    return key && key->SetDword(name, value);
}

bool ZKRegistry::SetAppDWord(const std::string& name, std::uint32_t value) {
    auto key = RegKey::Create(RegHive::CurrentUser, appKey_);
    return key && key->SetDword(name, value);
}

bool ZKRegistry::DeleteAppValue(const std::string& name) {
    auto key = RegKey::Create(RegHive::CurrentUser, appKey_);
    return key && key->DeleteValue(name);
}

bool ZKRegistry::GetRecentFiles(std::vector<std::string>& files) const {
    files.clear();
    const auto list = RegKey::Open(RegHive::CurrentUser, AppSubKeyName("RecentFiles\\list"));
    if (!list) return true;
    for (std::uint32_t n = 1;; ++n) {
        const auto stored = list->QueryValue(std::to_string(n));
        if (!stored || stored->type != zk::REG_SZ) break;
        files.push_back(zk::RegStringFromBytes(stored->data));
    }
    return true;
}

bool ZKRegistry::AddRecentFile(const std::string& file) {
    auto recent = RegKey::Create(RegHive::CurrentUser, AppSubKeyName("RecentFiles"));
    if (!recent) return false;
    std::uint32_t maxEntries = kDefaultRecentEntries;
    if (!ReadDWord(*recent, "MaxEntries", maxEntries)) recent->SetDword("MaxEntries", maxEntries);
    std::vector<std::string> files;
    GetRecentFiles(files);
    std::erase(files, file);
    files.insert(files.begin(), file);
    if (files.size() > maxEntries) files.resize(maxEntries);
    recent->DeleteTree("list");
    auto list = RegKey::Create(RegHive::CurrentUser, AppSubKeyName("RecentFiles\\list"));
    if (!list) return false;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!list->SetString(std::to_string(i + 1), files[i])) return false;
    return true;
}

bool ZKRegistry::GetChooseFileTimeout(std::uint32_t& milliseconds) {
    return GetCompanyDWord("ChooseFileTimeout", milliseconds, kDefaultChooseFileTimeoutMs);
}
