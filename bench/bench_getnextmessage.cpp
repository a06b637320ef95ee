// GetNextMessage round trips over the server's socket: a zelknetserver on a one-device scenario, one
// client on a warm connection, calls back to back. Reports the time per call and calls per second.
//
// Two placements of the server:
//   InProcess   - the server runs in the benchmark's own process (as the server tests run it);
//   OwnProcess  - the server runs in a child process, as zelkmsg and zelknetserver run in real use.
// Server.Ping, a call with nothing to serve, measured the same way, is the floor of any call; a bare
// round trip of 32 bytes over a socket pair to a child process (no gRPC) is the machine's own floor.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Common/device/netclient/ZKNetClient.h"
#include "ZelkNetServer/ZelkNetServer.h"

namespace {

const char* const kScenario = "[[device]]\naddress = [1, 0, 1]\n[device.identity]\ntype = \"ECU-M4\"\n";
const char* const kText = "Coolant 87 C";

std::string TempFolder() {
    char folderTemplate[] = "/tmp/zkbench-XXXXXX";
    return std::string(::mkdtemp(folderTemplate)) + "/zelkor";
}

std::unique_ptr<ZelkNetServer> StartServer(const std::string& folder, std::string& error) {
    const auto scenario = ZelkNetScenario::Parse(kScenario, {}, error);
    if (!scenario) return nullptr;
    auto server = std::make_unique<ZelkNetServer>(*scenario, ZelkNetServerOptions{folder, false});
    bool running = false;
    return server->Start(error, running) ? std::move(server) : nullptr;
}

// The runtime folder of the server in the child process; empty when it did not start.
std::string g_childFolder;
pid_t g_child = -1;

// The socket of a child process that echoes what it reads; -1 when there is none.
int g_echo = -1;
pid_t g_echoChild = -1;

void StartEchoChild() {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return;
    g_echoChild = ::fork();
    if (g_echoChild == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::close(pair[0]);
        char buffer[64];
        for (ssize_t got; (got = ::read(pair[1], buffer, sizeof buffer)) > 0;) {
            if (::write(pair[1], buffer, static_cast<std::size_t>(got)) != got) break;
        }
        ::_exit(0);
    }
    ::close(pair[1]);
    g_echo = g_echoChild > 0 ? pair[0] : -1;
}

void StopEchoChild() {
    if (g_echo >= 0) ::close(g_echo);
    if (g_echoChild > 0) ::waitpid(g_echoChild, nullptr, 0);
}

// Forks the child server before this process touches gRPC (gRPC does not survive a fork it saw).
void StartChildServer() {
    const std::string folder = TempFolder();
    int ready[2];
    if (::pipe(ready) != 0) return;
    g_child = ::fork();
    if (g_child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::close(ready[0]);
        std::string error;
        auto server = StartServer(folder, error);
        const char status = server ? 1 : 0;
        if (::write(ready[1], &status, 1) != 1 || !server) ::_exit(1);
        ::close(ready[1]);
        while (!server->WaitForStopRequest(std::chrono::seconds(1))) {
        }
        server->Shutdown();
        ::_exit(0);
    }
    ::close(ready[1]);
    char status = 0;
    if (g_child > 0 && ::read(ready[0], &status, 1) == 1 && status == 1) g_childFolder = folder;
    ::close(ready[0]);
}

void StopChildServer() {
    if (g_child <= 0) return;
    if (!g_childFolder.empty()) {
        std::string error;
        if (auto client = ZKNetClient::ConnectExisting(g_childFolder, error)) {
            zelknet::SimReply reply;
            auto context = ZKNetClient::Context();
            (void)client->Sim().Quit(context.get(), {}, &reply);
        } else {
            ::kill(g_child, SIGTERM);
        }
    }
    ::waitpid(g_child, nullptr, 0);
    if (!g_childFolder.empty())
        std::filesystem::remove_all(std::filesystem::path(g_childFolder).parent_path());
}

// The voluntary context switches (a thread that went to sleep and was woken) of all threads of a process so
// far: each is a hand-off between threads, and under load each costs a trip through the scheduler.
double VoluntarySwitches(pid_t pid) {
    double total = 0;
    std::error_code failed;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, failed)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total += std::atof(line.c_str() + 24);
        }
    }
    return total;
}

// Counts the wake-ups per call of the client's and the server's process over the timed loop.
class SwitchCounter {
public:
    explicit SwitchCounter(pid_t server) : server_(server) {}
    void Start() {
        client0_ = VoluntarySwitches(::getpid());
        server0_ = server_ == ::getpid() ? 0 : VoluntarySwitches(server_);
    }
    void Report(benchmark::State& state) const {
        const double calls = static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
        if (server_ == ::getpid()) {
            state.counters["wakeups"] = (VoluntarySwitches(server_) - client0_) / calls;
        } else {
            state.counters["client_wakeups"] = (VoluntarySwitches(::getpid()) - client0_) / calls;
            state.counters["server_wakeups"] = (VoluntarySwitches(server_) - server0_) / calls;
        }
    }

private:
    pid_t server_;
    double client0_ = 0;
    double server0_ = 0;
};

// Queues `count` messages on the device through SimControl, in pieces well below the message size limit.
bool QueueOverTheWire(ZKNetClient& client, std::int64_t count) {
    constexpr std::int64_t kPiece = 20000;
    for (std::int64_t done = 0; done < count; done += kPiece) {
        zelknet::SimMessagesRequest request;
        for (std::int64_t i = done; i < std::min(count, done + kPiece); ++i)
            request.add_texts(kText);
        zelknet::SimReply reply;
        auto context = ZKNetClient::Context(std::chrono::seconds(10));
        if (!client.Sim().QueueMessages(context.get(), request, &reply).ok() || !reply.ok()) return false;
    }
    return true;
}

// The benchmark's argument: how long the client polls for an answer before it sleeps, in microseconds.
std::chrono::microseconds ClientSpin(const benchmark::State& state) {
    return std::chrono::microseconds(state.range(0));
}

void GetNextMessageLoop(benchmark::State& state, ZKNetClient& client, pid_t server) {
    std::int32_t hr = 0;
    const std::uint64_t handle = client.OpenDevice(1, 0, 1, hr);
    // Every call finds a message waiting, as while a device chatters.
    if (!handle || !QueueOverTheWire(client, state.max_iterations)) {
        state.SkipWithError("cannot open the device or queue its messages");
        return;
    }
    zelknet::DeviceRequest request;
    request.set_handle(handle);
    SwitchCounter switches(server);
    switches.Start();
    for (auto _ : state) {
        zelknet::MessageReply reply;
        auto context = ZKNetClient::Context();
        const grpc::Status status =
            ZKNetClient::Call(client.Device(), &zelknet::Device::Stub::PrepareAsyncGetNextMessage,
                              context.get(), request, &reply, ClientSpin(state));
        if (!status.ok() || reply.hresult() != 0 || reply.text() != kText) {
            state.SkipWithError("call failed");
            break;
        }
    }
    switches.Report(state);
    state.SetItemsProcessed(state.iterations());
}

void PingLoop(benchmark::State& state, ZKNetClient& client, pid_t server) {
    SwitchCounter switches(server);
    switches.Start();
    for (auto _ : state) {
        zelknet::Status reply;
        auto context = ZKNetClient::Context();
        const grpc::Status status =
            ZKNetClient::Call(client.Server(), &zelknet::Server::Stub::PrepareAsyncPing, context.get(),
                              zelknet::Empty{}, &reply, ClientSpin(state));
        if (!status.ok() || reply.hresult() != 0) {
            state.SkipWithError("call failed");
            break;
        }
    }
    switches.Report(state);
    state.SetItemsProcessed(state.iterations());
}

template <void (*Loop)(benchmark::State&, ZKNetClient&, pid_t)>
void InProcess(benchmark::State& state) {
    const std::string folder = TempFolder();
    std::string error;
    auto server = StartServer(folder, error);
    auto client = server ? ZKNetClient::ConnectExisting(folder, error) : nullptr;
    if (!client) {
        state.SkipWithError(error.c_str());
    } else {
        Loop(state, *client, ::getpid());
    }
    client.reset();
    if (server) server->Shutdown();
    std::filesystem::remove_all(std::filesystem::path(folder).parent_path());
}

template <void (*Loop)(benchmark::State&, ZKNetClient&, pid_t)>
void OwnProcess(benchmark::State& state) {
    std::string error = "the child server did not start";
    auto client = g_childFolder.empty() ? nullptr : ZKNetClient::ConnectExisting(g_childFolder, error);
    if (!client) {
        state.SkipWithError(error.c_str());
        return;
    }
    Loop(state, *client, g_child);
}

void BM_SocketRoundTrip_OwnProcess(benchmark::State& state) {
    char buffer[32] = {};
    SwitchCounter switches(g_echoChild);
    switches.Start();
    for (auto _ : state) {
        if (::write(g_echo, buffer, sizeof buffer) != sizeof buffer ||
            ::read(g_echo, buffer, sizeof buffer) != sizeof buffer) {
            state.SkipWithError("echo failed");
            break;
        }
    }
    switches.Report(state);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SocketRoundTrip_OwnProcess)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void BM_GetNextMessage_InProcess(benchmark::State& state) {
    InProcess<GetNextMessageLoop>(state);
}
void BM_GetNextMessage_OwnProcess(benchmark::State& state) {
    OwnProcess<GetNextMessageLoop>(state);
}
void BM_ServerPing_InProcess(benchmark::State& state) {
    InProcess<PingLoop>(state);
}
void BM_ServerPing_OwnProcess(benchmark::State& state) {
    OwnProcess<PingLoop>(state);
}

// Each with the client's default spin window and with none (the client sleeps until the answer is there).
const std::int64_t kSpin = ZKNetClient::kDefaultSpin.count();
BENCHMARK(BM_GetNextMessage_InProcess)
    ->Arg(kSpin)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);
BENCHMARK(BM_GetNextMessage_OwnProcess)
    ->Arg(kSpin)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);
BENCHMARK(BM_ServerPing_InProcess)->Arg(kSpin)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_ServerPing_OwnProcess)
    ->Arg(kSpin)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    StartEchoChild();
    StartChildServer();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopChildServer();
    StopEchoChild();
    return 0;
}
