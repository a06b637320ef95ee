#include "Common/device/netclient/ZKNetTool.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Common/device/ZKDeviceRecords.h"
#include "Common/device/ZKNetCodes.h"
#include "Common/device/netclient/ZKNetClient.h"
#include "Platform/ShellFolders.h"

namespace {

const char* const kUsage =
    "usage: zelknet list\n"
    "       zelknet identify N\n"
    "       zelknet tail N\n"
    "       zelknet sim plug N | unplug N | queue N TEXT... | identity N [type=T] [root=R] [code=A.B.C] "
    "[box=S]\n"
    "       zelknet sim errors N ID ACTIVE STORED [COUNT] | fail OPERATION COUNT | hang OPERATION COUNT\n"
    "       zelknet sim ping on|off | quit\n"
    "N is a device index counted from 0: in the device list for identify and tail, in the scenario for "
    "sim.\n";

// A failure that ends the command with its message.
struct ToolError {
    std::string message;
};

volatile std::sig_atomic_t interrupted = 0;

std::string Hex(std::int32_t hresult) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hresult));
    return text;
}

std::uint32_t Number(const std::string& text, const char* what, std::uint32_t max = 0xFFFFFFFFu) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || text[0] == '-' || value > max)
        throw ToolError{std::string("bad ") + what + " '" + text + "'"};
    return static_cast<std::uint32_t>(value);
}

std::unique_ptr<ZKNetClient> Connect(bool startServer) {
    std::string error;
    auto client = startServer ? ZKNetClient::ConnectOrSpawn(zk::NetServerLaunch{}, error)
                              : ZKNetClient::ConnectExisting(zk::RuntimeFolder(), error);
    if (!client) throw ToolError{"cannot reach zelknetserver: " + error};
    return client;
}

std::vector<ZKDeviceListEntry> DeviceList(ZKNetClient& client) {
    zelknet::BytesReply reply;
    const auto context = ZKNetClient::Context();
    const std::int32_t hr =
        ZKNetClient::HResult(client.Server().GetDeviceList(context.get(), {}, &reply), reply);
    if (zknet::Failed(hr)) throw ToolError{"the device list failed (" + Hex(hr) + ")"};
    const auto& data = reply.data();
    auto list =
        ZKDeviceListEntry::DecodeList({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()});
    if (!list) throw ToolError{"the device list has a bad size (" + std::to_string(data.size()) + " bytes)"};
    return *list;
}

struct OpenedDevice {
    ZKDeviceListEntry entry;
    std::uint64_t handle = 0;
};

OpenedDevice Open(ZKNetClient& client, const std::string& indexText) {
    const std::uint32_t index = Number(indexText, "device index");
    const std::vector<ZKDeviceListEntry> list = DeviceList(client);
    if (index >= list.size())
        throw ToolError{"no device " + indexText + " (" + std::to_string(list.size()) + " devices listed)"};
    OpenedDevice device{list[index], 0};
    std::int32_t hr = 0;
    device.handle =
        client.OpenDevice(device.entry.address1, device.entry.address2, device.entry.address3, hr);
    if (!device.handle) throw ToolError{"cannot open device " + indexText + " (" + Hex(hr) + ")"};
    return device;
}

int List() {
    auto client = Connect(true);
    const std::vector<ZKDeviceListEntry> list = DeviceList(*client);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ZKDeviceIdentity& id = list[i].identity;
        std::string boxState;
        ZKBoxStateName(id.boxState, boxState);
        std::printf("%zu %s #%04u %s %s\n", i, id.typeName.c_str(), id.serialNumber, boxState.c_str(),
                    list[i].description.c_str());
    }
    return 0;
}

int Identify(const std::string& index) {
    auto client = Connect(true);
    const OpenedDevice device = Open(*client, index);
    zelknet::VersionReply version;
    auto context = ZKNetClient::Context();
    const bool extended = client->Server().GetVersion(context.get(), {}, &version).ok() &&
                          (version.major() > 2 || (version.major() == 2 && version.minor() >= 10));
    zelknet::DeviceRequest request;
    request.set_handle(device.handle);
    zelknet::IdentifyReply reply;
    context = ZKNetClient::Context();
    const grpc::Status status = extended ? client->Device().IdentifyEx(context.get(), request, &reply)
                                         : client->Device().Identify(context.get(), request, &reply);
    const std::int32_t hr = ZKNetClient::HResult(status, reply);
    if (zknet::Failed(hr) || reply.code() != 0)
        throw ToolError{"identify failed (" + Hex(hr) + ", result " + std::to_string(reply.code()) + ")"};
    const auto& bytes = reply.identity();
    const auto id =
        ZKDeviceIdentity::Decode({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    if (!id) throw ToolError{"the identity has a bad size (" + std::to_string(bytes.size()) + " bytes)"};
    std::string boxState;
    ZKBoxStateName(id->boxState, boxState);
    std::printf(
        "DEVICE %s #%u\nIDENTITY %u/%u\nBOOT CODE %u.%u\nMAIN CODE %u.%u.%u\nBOXSTATE %s\n"
        "LAST RESET CAUSE %u\nCODE RETURN CAUSE %u\nLAST PROGRAM TIME %u\n",
        id->typeName.c_str(), id->serialNumber, id->rootId, id->userId, id->bootMajor, id->bootMinor,
        id->mainMajor, id->mainMinor, id->mainBuild, boxState.c_str(), id->resetCause, id->returnCause,
        id->lastProgramTime);
    for (std::size_t i = 0; i < ZKDeviceIdentity::kExtraIds && id->extraRootIds[i] != 0; ++i)
        std::printf("EXTRA IDENTITY %u/%u\n", id->extraRootIds[i], id->extraUserIds[i]);
    return 0;
}

int Tail(const std::string& index) {
    auto client = Connect(true);
    const OpenedDevice device = Open(*client, index);
    std::signal(SIGINT, [](int) { interrupted = 1; });
    std::signal(SIGTERM, [](int) { interrupted = 1; });
    zelknet::DeviceRequest request;
    request.set_handle(device.handle);
    while (!interrupted) {
        zelknet::MessageReply reply;
        const auto context = ZKNetClient::Context();
        const std::int32_t hr =
            ZKNetClient::HResult(client->Device().GetNextMessage(context.get(), request, &reply), reply);
        if (zknet::Failed(hr))
            throw ToolError{"reading messages of device " + index + " failed (" + Hex(hr) + ")"};
        if (reply.text().empty()) {
            std::fflush(stdout);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        std::printf("%s\n", reply.text().c_str());
    }
    std::fflush(stdout);
    return 0;
}

void Need(const std::vector<std::string>& args, std::size_t count) {
    if (args.size() < count) throw ToolError{std::string("missing arguments\n") + kUsage};
}

int Sim(const std::vector<std::string>& args) {
    Need(args, 1);
    const std::string& verb = args[0];
    auto client = Connect(false);
    zelknet::SimReply reply;
    const auto context = ZKNetClient::Context();
    grpc::Status status;
    auto& sim = client->Sim();
    if (verb == "plug" || verb == "unplug") {
        Need(args, 2);
        zelknet::SimDeviceRequest request;
        request.set_device(Number(args[1], "device index"));
        status = verb == "plug" ? sim.Plug(context.get(), request, &reply)
                                : sim.Unplug(context.get(), request, &reply);
    } else if (verb == "queue") {
        Need(args, 3);
        zelknet::SimMessagesRequest request;
        request.set_device(Number(args[1], "device index"));
        for (std::size_t i = 2; i < args.size(); ++i)
            request.add_texts(args[i]);
        status = sim.QueueMessages(context.get(), request, &reply);
    } else if (verb == "identity") {
        Need(args, 3);
        zelknet::SimIdentityRequest request;
        request.set_device(Number(args[1], "device index"));
        for (std::size_t i = 2; i < args.size(); ++i) {
            const auto eq = args[i].find('=');
            const std::string key = args[i].substr(0, eq);
            const std::string value = eq == std::string::npos ? "" : args[i].substr(eq + 1);
            if (key == "type") {
                request.set_type_name(value);
            } else if (key == "root") {
                request.set_root_id(Number(value, "root id", 0xFFFF));
            } else if (key == "box") {
                request.set_box_state(Number(value, "box state", 0xFFFF));
            } else if (key == "code") {
                unsigned a = 0, b = 0, c = 0;
                char tail = 0;
                if (std::sscanf(value.c_str(), "%u.%u.%u%c", &a, &b, &c, &tail) != 3 || a > 0xFFFF ||
                    b > 0xFFFF || c > 0xFFFF)
                    throw ToolError{"bad code version '" + value + "' (want MAJOR.MINOR.BUILD)"};
                request.set_main_major(a);
                request.set_main_minor(b);
                request.set_main_build(c);
            } else {
                throw ToolError{"unknown identity field '" + args[i] + "' (type=, root=, code=, box=)"};
            }
        }
        status = sim.SetIdentity(context.get(), request, &reply);
    } else if (verb == "errors") {
        Need(args, 5);
        zelknet::SimErrorRequest request;
        request.set_device(Number(args[1], "device index"));
        request.set_error_id(Number(args[2], "error id", 0xFFFF));
        request.set_active(Number(args[3], "active bits"));
        request.set_stored(Number(args[4], "stored bits"));
        if (args.size() > 5) request.set_count(Number(args[5], "count"));
        status = sim.SetErrors(context.get(), request, &reply);
    } else if (verb == "fail" || verb == "hang") {
        Need(args, 3);
        zelknet::SimFaultRequest request;
        request.set_operation(args[1]);
        request.set_count(Number(args[2], "count"));
        request.set_hang(verb == "hang");
        status = sim.InjectFault(context.get(), request, &reply);
    } else if (verb == "ping") {
        Need(args, 2);
        if (args[1] != "on" && args[1] != "off") throw ToolError{"sim ping takes on or off"};
        zelknet::SimPingRequest request;
        request.set_answer(args[1] == "on");
        status = sim.SetPingAnswer(context.get(), request, &reply);
    } else if (verb == "quit") {
        status = sim.Quit(context.get(), {}, &reply);
    } else {
        throw ToolError{"unknown sim verb '" + verb + "'\n" + kUsage};
    }
    if (!status.ok()) throw ToolError{"zelknetserver did not answer: " + status.error_message()};
    if (!reply.ok()) throw ToolError{reply.error()};
    return 0;
}

}  // namespace

int ZKNetToolMain(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty()) throw ToolError{kUsage};
        const std::string& command = args[0];
        if (command == "list" && args.size() == 1) return List();
        if (command == "identify" && args.size() == 2) return Identify(args[1]);
        if (command == "tail" && args.size() == 2) return Tail(args[1]);
        if (command == "sim") return Sim({args.begin() + 1, args.end()});
        throw ToolError{kUsage};
    } catch (const ToolError& e) {
        std::fprintf(stderr, "zelknet: %s%s", e.message.c_str(), e.message.ends_with('\n') ? "" : "\n");
        return 1;
    }
}
