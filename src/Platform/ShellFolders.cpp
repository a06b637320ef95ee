#include "Platform/ShellFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

namespace zk {
namespace {

// An XDG variable counts only when set to an absolute path.
std::string FromEnv(const char* name) {
    const char* value = std::getenv(name);
    return (value && value[0] == '/') ? std::string(value) : std::string();
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

}  // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] != '\0') return WithoutTrailingSlash(home);
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return WithoutTrailingSlash(pw->pw_dir);
    return "/tmp";
}

std::string LocalAppDataFolder() {
    std::string dir = FromEnv("XDG_DATA_HOME");
    return dir.empty() ? HomeFolder() + "/.local/share" : WithoutTrailingSlash(dir);
}

std::string ConfigFolder() {
    std::string dir = FromEnv("XDG_CONFIG_HOME");
    return dir.empty() ? HomeFolder() + "/.config" : WithoutTrailingSlash(dir);
}

std::string RuntimeFolder() {
    std::string dir = FromEnv("XDG_RUNTIME_DIR");
    if (!dir.empty()) return WithoutTrailingSlash(dir) + "/zelkor";
    return "/tmp/zelkor-" + std::to_string(::getuid());
}

bool CreateFolderTree(const std::string& path, unsigned mode) {
    if (path.empty()) return false;
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        const std::string level = path.substr(0, pos);
        if (::mkdir(level.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace zk
