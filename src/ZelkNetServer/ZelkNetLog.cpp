#include "ZelkNetServer/ZelkNetLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "Platform/ShellFolders.h"

namespace {

struct LogFile {
    std::mutex mutex;
    std::string path;  // empty: standard error is not ours to rotate
    std::size_t limit = 0;
};

LogFile& Log() {
    static LogFile log;
    return log;
}

// Opens the log file on standard output and error, moving a full one aside first.
bool Reopen(const LogFile& log, std::string& error) {
    struct stat st {};
    if (::stat(log.path.c_str(), &st) == 0 && static_cast<std::size_t>(st.st_size) >= log.limit)
        std::rename(log.path.c_str(), (log.path + ".1").c_str());
    const int fd = ::open(log.path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot open the log " + log.path + ": " + std::strerror(errno);
        return false;
    }
    ::dup2(fd, STDOUT_FILENO);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
    return true;
}

}  // namespace

void ZelkNetLog(const std::string& text) {
    LogFile& log = Log();
    std::lock_guard lock(log.mutex);
    const std::string line = "zelknetserver: " + text + "\n";
    if (::write(STDERR_FILENO, line.data(), line.size()) < 0) return;  // nowhere to complain
    if (log.path.empty()) return;
    const off_t size = ::lseek(STDERR_FILENO, 0, SEEK_END);
    std::string ignored;
    if (size >= 0 && static_cast<std::size_t>(size) >= log.limit) Reopen(log, ignored);
}

bool ZelkNetLogToFile(const std::string& path, std::string& error, std::size_t limit) {
    LogFile& log = Log();
    std::lock_guard lock(log.mutex);
    if (!zk::CreateFolderTree(path.substr(0, path.rfind('/')), 0700)) {
        error = "cannot create the folder of " + path + ": " + std::strerror(errno);
        return false;
    }
    log.path = path;
    log.limit = limit;
    if (Reopen(log, error)) return true;
    log.path.clear();
    return false;
}

std::string ZelkNetLogPath() {
    return zk::StateFolder() + "/zelkor/netserver.log";
}
