#include "Platform/Process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <climits>

namespace zk {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Reads exactly `size` bytes unless the writers all closed first; returns the bytes read.
size_t ReadFully(int fd, void* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, static_cast<char*>(buffer) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

void WriteFully(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        size -= static_cast<size_t>(n);
    }
}

// Runs in the grandchild after fork: only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* path, char* const argv[], int errorPipe, SpawnOutput output,
                            int outputPipe) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        ::dup2(devNull, STDIN_FILENO);
        if (output == SpawnOutput::Discard) {
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
        }
        if (output == SpawnOutput::Pipe) {
            ::dup2(outputPipe, STDOUT_FILENO);
            ::dup2(outputPipe, STDERR_FILENO);
        }
        if (devNull > STDERR_FILENO) ::close(devNull);
    }
    ::execv(path, argv);
    const int error = errno;
    WriteFully(errorPipe, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

std::string ExecutablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string ExecutableFolder() {
    std::string path = ExecutablePath();
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::optional<std::string> FindProgram(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? std::optional(name) : std::nullopt;
    const std::string beside = ExecutableFolder() + "/" + name;
    if (IsExecutableFile(beside)) return beside;
    const char* pathVar = std::getenv("PATH");
    std::string dirs = pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

SpawnResult SpawnDetached(const std::string& path, const std::vector<std::string>& args, SpawnOutput output) {
    // Everything the children need is prepared before fork: after it only async-signal-safe calls are made.
    std::vector<std::string> strings;
    strings.reserve(args.size() + 1);
    strings.push_back(path);
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    int errorPipe[2];  // grandchild -> us: errno of a failed exec; closed by a successful exec
    int pidPipe[2];    // child -> us: the grandchild's pid
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) return {false, -1, errno};
    if (::pipe2(pidPipe, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        return {false, -1, error};
    }

    int outputPipe[2] = {-1, -1};  // the process's output -> the caller
    if (output == SpawnOutput::Pipe && ::pipe2(outputPipe, O_CLOEXEC) != 0) {
        const int error = errno;
        for (int fd : {errorPipe[0], errorPipe[1], pidPipe[0], pidPipe[1]})
            ::close(fd);
        return {false, -1, error};
    }

    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) ExecChild(argv[0], argv.data(), errorPipe[1], output, outputPipe[1]);
        WriteFully(pidPipe[1], &grandchild, sizeof grandchild);
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(errorPipe[1]);
    ::close(pidPipe[1]);
    if (outputPipe[1] >= 0) ::close(outputPipe[1]);

    SpawnResult result;
    if (child < 0) {
        result.error = errno;
    } else {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        pid_t grandchild = -1;
        int execError = 0;
        if (ReadFully(pidPipe[0], &grandchild, sizeof grandchild) != sizeof grandchild || grandchild < 0) {
            result.error = EAGAIN;
        } else if (ReadFully(errorPipe[0], &execError, sizeof execError) == sizeof execError) {
            result.error = execError;
        } else {
            result.started = true;
            result.pid = grandchild;
        }
    }
    ::close(errorPipe[0]);
    ::close(pidPipe[0]);
    if (result.started)
        result.output = outputPipe[0];
    else if (outputPipe[0] >= 0)
        ::close(outputPipe[0]);
    return result;
}

}  // namespace zk
