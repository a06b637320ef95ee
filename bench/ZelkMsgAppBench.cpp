// The program against a real zelknetserver in its own process, on a one-device scenario of our own:
//
//   first paint  - from spawning a process that runs ZelkMsg's start-up (console mode: the headless backend)
//                  to the moment its message loop first runs out of work, every window painted; the server
//                  runs already;
//   idle CPU     - CPU time of the whole process (every thread) over 10 s of a connected window to which
//                  no message comes, and of the server over the same time;
//   latency      - from a message queued on the server (the queue call returned) to the first paint of the
//                  log after its row was appended, at 100 and at 400 messages per second: p50, p99, max.
//
//   bench_zelkmsg_app [--runs N] [--idle-seconds S] [--seconds S]
//
// Everything runs in a temporary runtime, configuration and settings folder, so no user file is touched.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Common/device/netclient/ZKNetClient.h"
#include "Common/device/netclient/ZKNetServerProxy.h"
#include "Gui/ZKListContainer.h"
#include "Platform/MessageLoop.h"
#include "Platform/ShellFolders.h"
#include "ZelkMsg/ZelkMsgApp.h"
#include "ZelkMsg/ZelkMsgWnd.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const char* const kScenario = R"([[device]]
address = [1, 0, 1]
description = "Bench device"

[device.identity]
type = "ECU-B1"
serial = 7
)";
const std::string kPrefix = "bench ";

struct Options {
    int runs = 5;
    int idleSeconds = 10;
    int seconds = 10;  // of messages per rate
};

std::int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

fs::path OwnFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// Runs `args` and waits for it; its exit code, or -1.
int RunProcess(const std::vector<std::string>& args, const char* out = nullptr) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out) posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A private runtime, configuration and settings folder, and the server started in it.
class BenchWorld {
public:
    BenchWorld() {
        char folderTemplate[] = "/tmp/zkbench-app-XXXXXX";
        root_ = mkdtemp(folderTemplate);
        fs::create_directories(root_ / "run");
        fs::permissions(root_ / "run", fs::perms::owner_all);
        for (const char* sub : {"config", "state", "data"})
            fs::create_directories(root_ / sub);
        setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        setenv("ZK_HKCU_DB", (root_ / "hkcu.db").c_str(), 1);
        setenv("ZK_HKLM_DB", (root_ / "hklm.db").c_str(), 1);
        std::ofstream(root_ / "scenario.toml") << kScenario;
    }
    ~BenchWorld() {
        std::string error;
        if (auto client = ZKNetClient::ConnectExisting(zk::RuntimeFolder(), error)) {
            zelknet::SimReply reply;
            auto context = ZKNetClient::Context();
            client->Sim().Quit(context.get(), zelknet::Empty(), &reply);
        }
        fs::remove_all(root_);
    }

    // Starts the server (it detaches); true when it runs.
    bool StartServer() const {
        return RunProcess({(OwnFolder() / "zelknetserver").string(), "--scenario",
                           (root_ / "scenario.toml").string()}) == 0;
    }
    // The server's process id, from its lock file.
    pid_t ServerPid() const {
        std::ifstream lock(root_ / "run" / "zelkor" / "netserver.lock");
        pid_t pid = -1;
        lock >> pid;
        return pid;
    }
    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
};

// CPU seconds of a process so far (user and system), from /proc.
double ProcessCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    std::string field;
    for (char c : text.substr(close + 2)) {
        if (c == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (fields.size() < 13) return 0;
    return (std::stod(fields[11]) + std::stod(fields[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double OwnCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

ZKServer::Factory ServerFactory() {
    return []() -> std::unique_ptr<IZKServer> {
        std::string error;
        return ZKNetServerProxy::Create(zk::NetServerLaunch{}, error);
    };
}

// --- first paint -----------------------------------------------------------------------------------------

// Ends the loop the first time it runs out of work: every window has painted by then.
class FirstIdle final : public zk::CIdleHandler {
public:
    explicit FirstIdle(zk::HWND window) : window_(window) {}
    bool OnIdle() override {
        if (painted_ == 0) {
            painted_ = MonotonicNs();
            cpu_ = OwnCpuSeconds();
            zk::PostMessage(window_, zk::WM_CLOSE, 0, 0);
        }
        return false;
    }
    std::int64_t Painted() const { return painted_; }
    double Cpu() const { return cpu_; }

private:
    zk::HWND window_;
    std::int64_t painted_ = 0;
    double cpu_ = 0;  // of the process when it had painted
};

// The child: the program's start-up in console mode. Prints when main() began and when every window had
// painted, and the process's CPU time at main() (loading the libraries and their initialisers), when the main
// window was shown, and when every window had painted.
int FirstPaintChild() {
    const std::int64_t mainAt = MonotonicNs();
    const double mainCpu = OwnCpuSeconds();
    double shownCpu = 0;
    std::FILE* null = std::fopen("/dev/null", "w");
    std::unique_ptr<FirstIdle> idle;
    ZelkMsgRunOptions options;
    options.console = true;
    options.beforeLoop = [&](ZelkMsgWnd& window, zk::CMessageLoop& loop) {
        shownCpu = OwnCpuSeconds();
        idle = std::make_unique<FirstIdle>(window.Window());
        loop.AddIdleHandler(idle.get());
    };
    const int code = ZelkMsgApp::Run(options, ServerFactory(), null, null);
    std::printf("%lld %lld %.4f %.4f %.4f\n", static_cast<long long>(mainAt),
                static_cast<long long>(idle ? idle->Painted() : 0), mainCpu, shownCpu,
                idle ? idle->Cpu() : 0.0);
    return code;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void MeasureFirstPaint(const BenchWorld& world, int runs) {
    std::vector<double> total, inProcess, cpuAtMain, cpuAtShown, cpuAtPainted;
    const std::string out = (world.Root() / "first-paint.txt").string();
    for (int i = 0; i < runs; ++i) {
        const std::int64_t spawned = MonotonicNs();
        if (RunProcess({fs::read_symlink("/proc/self/exe").string(), "--first-paint-child"}, out.c_str()) !=
            0)
            continue;
        long long mainAt = 0, painted = 0;
        double mainCpu = 0, shownCpu = 0, paintedCpu = 0;
        std::ifstream(out) >> mainAt >> painted >> mainCpu >> shownCpu >> paintedCpu;
        if (painted == 0) continue;
        total.push_back(static_cast<double>(painted - spawned) / 1e6);
        inProcess.push_back(static_cast<double>(painted - mainAt) / 1e6);
        cpuAtMain.push_back(mainCpu * 1e3);
        cpuAtShown.push_back(shownCpu * 1e3);
        cpuAtPainted.push_back(paintedCpu * 1e3);
    }
    if (total.empty()) {
        std::printf("first paint: no run succeeded\n");
        return;
    }
    std::printf(
        "first paint (%zu runs, medians): spawn to painted %.1f ms (min %.1f), main() to painted %.1f ms\n",
        total.size(), Median(total), *std::min_element(total.begin(), total.end()), Median(inProcess));
    std::printf(
        "  CPU time of the process: %.1f ms at main(), %.1f ms when the main window was shown, %.1f ms "
        "when every window had painted (min %.1f)\n",
        Median(cpuAtMain), Median(cpuAtShown), Median(cpuAtPainted),
        *std::min_element(cpuAtPainted.begin(), cpuAtPainted.end()));
}

// --- the connected window: idle CPU and latency ----------------------------------------------------------

// What the window did with the bench's messages, by their sequence number: when the row was appended and
// when the log was first painted after that.
class RowTimes final : public ZMsgWndObserver, public zk::CMessageFilter {
public:
    void Watch(zk::HWND logList) { logList_ = logList; }

    void RowsAppended(std::span<const std::string> rows) override {
        const auto now = Clock::now();
        std::lock_guard guard(lock_);
        for (const std::string& row : rows) {
            if (row.find("DEVICE :") != std::string::npos) connected_ = true;
            const auto at = row.find(kPrefix);
            if (at == std::string::npos) continue;
            const int seq = std::atoi(row.c_str() + at + kPrefix.size());
            appended_[seq] = now;
            unpainted_.push_back(seq);
        }
    }
    void StatusChanged(const std::string&) override {}

    bool PreTranslateMessage(zk::MSG* msg) override {
        if (msg->message != zk::WM_PAINT || msg->hwnd != logList_) return false;
        zk::DispatchMessage(*msg);
        const auto now = Clock::now();
        std::lock_guard guard(lock_);
        for (int seq : unpainted_)
            painted_[seq] = now;
        unpainted_.clear();
        return true;
    }

    bool Connected() {
        std::lock_guard guard(lock_);
        return connected_;
    }
    std::map<int, Clock::time_point> Painted() {
        std::lock_guard guard(lock_);
        return painted_;
    }

private:
    zk::HWND logList_;
    std::mutex lock_;
    bool connected_ = false;
    std::map<int, Clock::time_point> appended_;
    std::map<int, Clock::time_point> painted_;
    std::vector<int> unpainted_;
};

bool WaitFor(const std::function<bool()>& done, Clock::duration limit) {
    const auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

void PrintLatency(int rate, const std::map<int, Clock::time_point>& queued,
                  const std::map<int, Clock::time_point>& painted) {
    std::vector<double> ms;
    for (const auto& [seq, at] : queued)
        if (const auto p = painted.find(seq); p != painted.end()) ms.push_back(Ms(p->second - at));
    if (ms.empty()) {
        std::printf("latency at %d/s: nothing painted\n", rate);
        return;
    }
    std::sort(ms.begin(), ms.end());
    auto pct = [&](double p) { return ms[std::min(ms.size() - 1, static_cast<std::size_t>(p * ms.size()))]; };
    std::printf("latency at %d/s (%zu of %zu messages painted): p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
                rate, ms.size(), queued.size(), pct(0.50), pct(0.99), ms.back());
}

// Queues messages "bench N" on device 0 at `rate` per second for `seconds`; the time each queue call
// returned, by N.
std::map<int, Clock::time_point> Feed(ZKNetClient& client, int rate, int seconds, int& next) {
    std::map<int, Clock::time_point> queued;
    const auto period = std::chrono::nanoseconds(1000000000 / rate);
    auto due = Clock::now();
    for (int i = 0; i < rate * seconds; ++i, due += period) {
        std::this_thread::sleep_until(due);
        zelknet::SimMessagesRequest request;
        request.set_device(0);
        const int seq = next++;
        request.add_texts(kPrefix + std::to_string(seq));
        zelknet::SimReply reply;
        auto context = ZKNetClient::Context();
        if (client.Sim().QueueMessages(context.get(), request, &reply).ok() && reply.ok())
            queued[seq] = Clock::now();
    }
    return queued;
}

void Drive(RowTimes& rows, zk::HWND window, const BenchWorld& world, const Options& options) {
    std::string error;
    const auto client = ZKNetClient::ConnectExisting(zk::RuntimeFolder(), error);
    if (!client || !WaitFor([&] { return rows.Connected(); }, 20s)) {
        std::printf("the window did not connect %s\n", error.c_str());
        zk::PostMessage(window, zk::WM_CLOSE, 0, 0);
        return;
    }
    std::this_thread::sleep_for(1s);  // let the identity report and its paint pass

    const pid_t server = world.ServerPid();
    const double ownBefore = OwnCpuSeconds();
    const double serverBefore = ProcessCpuSeconds(server);
    const auto begin = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
    std::printf("idle connected window over %.1f s: zelkmsg %.2f %% of a core, server %.2f %%\n", wall,
                100 * (OwnCpuSeconds() - ownBefore) / wall,
                100 * (ProcessCpuSeconds(server) - serverBefore) / wall);

    int next = 0;
    for (int rate : {100, 400}) {
        const auto queued = Feed(*client, rate, options.seconds, next);
        WaitFor([&] { return rows.Painted().size() >= static_cast<std::size_t>(next); }, 5s);
        PrintLatency(rate, queued, rows.Painted());
    }
    zk::PostMessage(window, zk::WM_CLOSE, 0, 0);
}

void MeasureConnectedWindow(const BenchWorld& world, const Options& options) {
    std::FILE* null = std::fopen("/dev/null", "w");
    RowTimes rows;
    std::thread driver;
    ZelkMsgRunOptions run;
    run.console = true;
    run.beforeLoop = [&](ZelkMsgWnd& window, zk::CMessageLoop& loop) {
        window.SetObserver(&rows);
        rows.Watch(window.Log().List().Window());
        loop.AddMessageFilter(&rows);
        driver = std::thread(
            [&rows, hwnd = window.Window(), &world, &options] { Drive(rows, hwnd, world, options); });
    };
    ZelkMsgApp::Run(run, ServerFactory(), null, null);
    if (driver.joinable()) driver.join();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--first-paint-child") return FirstPaintChild();
    Options options;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        const int value = std::atoi(args[i + 1].c_str());
        if (args[i] == "--runs") options.runs = value;
        if (args[i] == "--idle-seconds") options.idleSeconds = value;
        if (args[i] == "--seconds") options.seconds = value;
    }
    double load[3] = {};
    getloadavg(load, 3);
    std::printf("load average %.2f %.2f %.2f on %ld cores\n", load[0], load[1], load[2],
                sysconf(_SC_NPROCESSORS_ONLN));

    BenchWorld world;
    if (!world.StartServer()) {
        std::printf("the server did not start\n");
        return 1;
    }
    MeasureFirstPaint(world, options.runs);
    MeasureConnectedWindow(world, options);
    getloadavg(load, 3);
    std::printf("load average %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    return 0;
}
