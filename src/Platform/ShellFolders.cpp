#include "Platform/ShellFolders.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Platform/Process.h"

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

// The first line a program prints, run without a shell; nothing when it cannot run or fails.
std::string FirstLineOf(const std::string& path, const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string out;
    char buffer[512];
    for (ssize_t n; spawned == 0 && (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            out.append(buffer, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    }
    ::close(fds[0]);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return out.substr(0, out.find('\n'));
}

}  // namespace

std::string DesktopFolder() {
    if (const auto tool = FindProgram("xdg-user-dir")) {
        const std::string desktop = FirstLineOf(*tool, {"DESKTOP"});
        if (!desktop.empty() && desktop[0] == '/') return WithoutTrailingSlash(desktop);
    }
    return HomeFolder() + "/Desktop";
}

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

bool PrepareRuntimeFolder(const std::string& folder, std::string& error) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        // The parent may be missing too (a fresh XDG_RUNTIME_DIR); only our own level gets mode 0700.
        const auto slash = folder.rfind('/');
        if (errno != ENOENT || slash == std::string::npos || slash == 0 ||
            !CreateFolderTree(folder.substr(0, slash), 0700) || ::mkdir(folder.c_str(), 0700) != 0) {
            error = "cannot create " + folder + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        error = "cannot examine " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = folder + " is not a folder";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        error = folder + " belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%03o", static_cast<unsigned>(st.st_mode & 0777));
        error = folder + " is open to other users (mode " + mode + "); it must be 0700";
        return false;
    }
    return true;
}

}  // namespace zk
