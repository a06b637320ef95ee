// zelknetserver [--foreground] [--scenario FILE] [--link LINK]... [--queue-messages N] [--queue-bytes N]
//               [--verbose]
// The device server: serves the devices of a scenario, and the devices behind the text links given with
// --link (without --scenario: those alone), on the user's socket until SIGTERM, SIGINT or a SimControl quit.
// Without --foreground it detaches once it serves (the starting process exits 0) or failed (exits 1 after the
// message).

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Process.h"
#include "Platform/Registry.h"
#include "Platform/ShellFolders.h"
#include "ZelkNetServer/ZelkNetServer.h"

namespace {

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

constexpr const char* kSettingsKey = "Software\\Zelkor\\ZelkNetServer";
constexpr const char* kScenarioValue = "Scenario";

// The scenario to serve: the one asked for, else the one named in the settings store, else the user's
// configuration file, else the installed demo. A scenario named in the settings store must exist: a stale
// setting is reported rather than silently replaced by another scenario. Nothing, with `error`, on failure.
std::optional<std::string> ChooseScenario(const std::string& asked, std::string& error) {
    if (!asked.empty()) return asked;
    const std::string where =
        std::string(zk::RegHiveName(zk::RegHive::CurrentUser)) + "\\" + kSettingsKey + "\\" + kScenarioValue;
    if (const auto key = zk::RegKey::Open(zk::RegHive::CurrentUser, kSettingsKey)) {
        if (const auto value = key->QueryValue(kScenarioValue)) {
            if (value->type != zk::REG_SZ) {
                error = "the setting " + where + " is not a string (REG_SZ)";
                return std::nullopt;
            }
            const std::string configured = zk::RegStringFromBytes(value->data);
            if (!configured.empty()) {
                if (IsFile(configured)) return configured;
                error = "the scenario " + configured + " named by the setting " + where + " does not exist";
                return std::nullopt;
            }
        }
    }
    const std::string configured = zk::ConfigFolder() + "/zelkor/netserver.toml";
    if (IsFile(configured)) return configured;
    const std::string demo = zk::ExecutableFolder() + "/../share/zelkor/scenarios/demo.toml";
    if (IsFile(demo)) return demo;
    error = "no scenario: give --scenario FILE, set " + where + " or create " + configured;
    return std::nullopt;
}

// Forks into the background. Returns in the child with the write end of a pipe on which it reports its
// start (one byte, 0 serving or 1 failed, then the failure's message); the parent waits for the report,
// prints the message and exits with the byte. The child keeps no descriptor of its parent's (a pipe of the
// caller's left open would keep `zelknet list | head` waiting): its standard input is /dev/null and its
// output goes to the log file.
int Detach() {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return -1;
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child > 0) {
        ::close(report[1]);
        std::string answer;
        char buffer[512];
        ssize_t count = 0;
        while ((count = ::read(report[0], buffer, sizeof buffer)) != 0) {
            if (count > 0) answer.append(buffer, static_cast<std::size_t>(count));
            if (count < 0 && errno != EINTR) break;
        }
        if (answer.size() > 1) ZelkNetLog(answer.substr(1));
        std::_Exit(!answer.empty() && answer[0] == 0 ? 0 : 1);  // no byte: the child died before reporting
    }
    ::close(report[0]);
    ::setsid();
    const int keep = report[1];
    if (keep > 3) ::close_range(3, static_cast<unsigned>(keep) - 1, 0);
    ::close_range(static_cast<unsigned>(keep) + 1, ~0u, 0);
    if (const int null = ::open("/dev/null", O_RDWR); null >= 0) {
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(null, fd);
        if (null > STDERR_FILENO) ::close(null);
    }
    std::string error;
    ZelkNetLogToFile(ZelkNetLogPath(), error);  // else the log goes nowhere
    if (::chdir("/") != 0) {
        // Staying in the start folder is harmless.
    }
    return report[1];
}

void Report(int fd, bool ok, const std::string& message = {}) {
    if (fd < 0) return;
    const std::string answer = std::string(1, ok ? 0 : 1) + message;
    if (::write(fd, answer.data(), answer.size()) < 0) {
        // The starting process is gone; nobody to tell.
    }
    ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"zelknetserver: the device server of ZelkMsg"};
    bool foreground = false;
    bool verbose = false;
    std::string scenarioPath;
    std::vector<std::string> links;
    std::optional<std::size_t> queueMessages;
    std::optional<std::size_t> queueBytes;
    app.add_flag("--foreground", foreground, "Stay in the foreground instead of detaching");
    app.add_option("--scenario", scenarioPath, "Scenario file (TOML) with the simulated devices");
    app.add_option("--link", links,
                   "A device behind a text link: serial:PATH[:BAUD[:8N1[:FLOW]]], tcp:HOST:PORT or "
                   "listen:HOST:PORT, each optionally followed by @TYPE or @TYPE#SERIAL");
    app.add_option("--queue-messages", queueMessages, "Messages each device's queue holds (1000000)")
        ->check(CLI::PositiveNumber);
    app.add_option("--queue-bytes", queueBytes, "Bytes each device's queue holds (64 MiB)")
        ->check(CLI::PositiveNumber);
    app.add_flag("--verbose", verbose, "Log every client connection");
    CLI11_PARSE(app, argc, argv);

    std::string error;
    std::optional<ZelkNetScenario> scenario;
    std::string chosen = "the links";
    if (!links.empty() && scenarioPath.empty()) {
        scenario.emplace();
    } else if (const std::optional<std::string> path = ChooseScenario(scenarioPath, error)) {
        chosen = *path;
        scenario = ZelkNetScenario::Load(*path, error);
    }
    if (!scenario) {
        ZelkNetLog(error);
        return 1;
    }
    for (const std::string& link : links) {
        const auto argument = ZelkNetLinkSpec::ParseArgument(link, error);
        if (!argument) {
            ZelkNetLog("--link " + link + ": " + error);
            return 1;
        }
        scenario->AddLinkDevice(*argument);
    }
    if (queueMessages) scenario->queueLimits.messages = *queueMessages;
    if (queueBytes) scenario->queueLimits.bytes = *queueBytes;

    // Detach before any thread exists: fork keeps only the calling thread.
    const int report = foreground ? -1 : Detach();

    // Signals are taken synchronously by this thread; every thread started later inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    ZelkNetServerOptions options;
    options.verbose = verbose;
    ZelkNetServer server(*scenario, options);
    bool alreadyRunning = false;
    if (!server.Start(error, alreadyRunning)) {
        ZelkNetLog(error);
        Report(report, false, error);
        return 1;
    }
    ZelkNetLog("serving " + chosen + " on " + server.SocketPath());
    Report(report, true);

    const timespec tick{0, 100 * 1000 * 1000};
    while (!server.WaitForStopRequest(std::chrono::milliseconds(0))) {
        const int signal = ::sigtimedwait(&signals, nullptr, &tick);
        if (signal > 0) {
            ZelkNetLog(std::string("stopping on ") + strsignal(signal));
            break;
        }
    }
    server.Shutdown();
    ZelkNetLog("stopped");
    return 0;
}
