#pragma once
// Typed access to the settings of the maker's applications. Three keys are fixed at construction:
//
//   company key      HKEY_CURRENT_USER\Software\Zelkor          shared by all of the maker's applications
//   machine key      HKEY_LOCAL_MACHINE\Software\Zelkor         installation data
//   application key  HKEY_CURRENT_USER\Software\Zelkor\<name>   this application's own settings
//
// Every access opens its key (creating it, unless said otherwise), does one value operation and closes it.
// Every operation returns a success flag and never shows anything; a reader leaves its default in the output
// when it fails. A value counts as missing when it does not exist, has another type or another size.

#include <cstdint>
#include <string>
#include <vector>

#include "Platform/Registry.h"
#include "Platform/WindowPlacement.h"

class ZKRegistry {
public:
    explicit ZKRegistry(const std::string& applicationName);
    virtual ~ZKRegistry() = default;

    const std::string& CompanyKeyName() const { return companyKey_; }
    const std::string& MachineKeyName() const { return machineKey_; }
    const std::string& AppKeyName() const { return appKey_; }

    // "WorkingDirectory" (company key, REG_SZ of at most 260 bytes). A missing value writes nothing.
    bool GetWorkingDirectory(std::string& directory) const;
    bool SetWorkingDirectory(const std::string& directory);
    // "InstallDirectory" (machine key, REG_SZ of at most 260 bytes).
    bool GetInstallDirectory(std::string& directory) const;
    bool SetInstallDirectory(const std::string& directory);

    // "UseNewZkDirCfgFormat" (company key): when missing, 0 is written and the read fails with false.
    bool GetUseNewZkDirCfgFormat(bool& useNew);

    // "WindowPlacement" (application key, REG_BINARY of exactly 44 bytes). When missing or of another size,
    // the default placement is written, returned in `placement`, and the read reports failure.
    bool GetWindowPlacement(zk::WindowPlacement& placement);
    bool SetWindowPlacement(const zk::WindowPlacement& placement);

    // "ShowHelp" (application key): 1 when missing, not written.
    bool GetShowHelp(std::uint32_t& showHelp) const;
    bool SetShowHelp(std::uint32_t showHelp);

    // Company key flags with their defaults; the first three write the default when the value does not
    // exist at all (not when it merely has the wrong type or size).
    bool GetAutoGetAndSaveSyncLog(std::uint32_t& value);     // default 0
    bool GetMaxRtcDisparityInMinutes(std::uint32_t& value);  // default 719
    bool GetAutoConnectAsRoot(std::uint32_t& value);         // default 0
    // Default 0, never written; reports success even when the value is missing.
    bool GetAllowMapOverrides(std::uint32_t& value);

    // Company key: the stored value, or `defaultValue` (written only if the value did not exist at all).
    bool GetCompanyDWord(const std::string& name, std::uint32_t& value, std::uint32_t defaultValue);
    // These only open the key, never create it; they fail when the key or the value is missing.
    bool GetCompanyDWord(const std::string& name, std::uint32_t& value) const;
    bool GetAppDWord(const std::string& name, std::uint32_t& value) const;
    bool SetCompanyDWord(const std::string& name, std::uint32_t value);
    bool SetAppDWord(const std::string& name, std::uint32_t value);
    // Deletes a value of the application key; fails when it does not exist.
    bool DeleteAppValue(const std::string& name);

    // The recent-files list: "<application key>\RecentFiles" holds "MaxEntries" (10 when missing) and its
    // subkey "list" the files as values "1" (the newest), "2", ... An empty list when nothing is stored.
    bool GetRecentFiles(std::vector<std::string>& files) const;
    // Puts `file` first, drops an older copy of it and what lies beyond "MaxEntries".
    bool AddRecentFile(const std::string& file);
    // "ChooseFileTimeout" (company key): the milliseconds a file chooser may spend browsing folders for its
    // search; 5000 when missing (written only if the value did not exist at all).
    bool GetChooseFileTimeout(std::uint32_t& milliseconds);

protected:
    // The application key's subkey, e.g. "Options" -> "...\ZelkMsg\Options".
    std::string AppSubKeyName(const std::string& subkey) const { return appKey_ + "\\" + subkey; }

    // Reads a REG_DWORD of 4 bytes from an opened key.
    static bool ReadDWord(const zk::RegKey& key, const std::string& name, std::uint32_t& value);

private:
    bool GetString(zk::RegHive hive, const std::string& keyPath, const char* name, std::string& text) const;
    bool SetString(zk::RegHive hive, const std::string& keyPath, const char* name, const std::string& text);

    std::string companyKey_;
    std::string machineKey_;
    std::string appKey_;
};
