// GetNextMessage round trips over the server's socket: an in-process zelknetserver on a one-device
// scenario, one client, calls back to back. Reports the time per call and calls per second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "Common/netclient/ZKNetClient.h"
#include "ZelkNetServer/ZelkNetServer.h"

namespace {

void BM_GetNextMessage(benchmark::State& state) {
    char folderTemplate[] = "/tmp/zkbench-XXXXXX";
    const std::string folder = std::string(::mkdtemp(folderTemplate)) + "/zelkor";
    std::string error;
    const auto scenario = ZelkNetScenario::Parse(
        "[[device]]\naddress = [1, 0, 1]\n[device.identity]\ntype = \"ECU-M4\"\n", {}, error);
    ZelkNetServer server(*scenario, ZelkNetServerOptions{folder, false});
    bool running = false;
    if (!server.Start(error, running)) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto client = ZKNetClient::ConnectExisting(folder, error);
    std::int32_t hr = 0;
    const std::uint64_t handle = client ? client->OpenDevice(1, 0, 1, hr) : 0;
    if (!handle) {
        state.SkipWithError("cannot open the device");
        return;
    }
    // Every call finds a message waiting, as while a device chatters.
    server.World().SimDevice(0)->QueueMessages(
        std::vector<std::string>(static_cast<std::size_t>(state.max_iterations), "Coolant 87 C"));
    zelknet::DeviceRequest request;
    request.set_handle(handle);
    for (auto _ : state) {
        zelknet::MessageReply reply;
        auto context = ZKNetClient::Context();
        const grpc::Status status = client->Device().GetNextMessage(context.get(), request, &reply);
        if (!status.ok() || reply.hresult() != 0) state.SkipWithError("call failed");
        benchmark::DoNotOptimize(reply);
    }
    state.SetItemsProcessed(state.iterations());
    client.reset();
    server.Shutdown();
    std::filesystem::remove_all(std::filesystem::path(folder).parent_path());
}
BENCHMARK(BM_GetNextMessage)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
