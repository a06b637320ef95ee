#include "Common/device/netclient/ZKNetTool.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
    "       zelknet identify DEVICE\n"
    "       zelknet tail [--follow] [--new] [--time] DEVICE\n"
    "       zelknet sim plug SIM | unplug SIM | queue SIM TEXT... | identity SIM [type=T] [root=R] "
    "[code=A.B.C] [box=S]\n"
    "       zelknet sim errors SIM ID ACTIVE STORED [COUNT] | fail OPERATION COUNT | hang OPERATION COUNT\n"
    "       zelknet sim ping on|off | quit\n"
    "       zelknet --help\n"
    "DEVICE is an index in the device list (the first column of list, from 0) or TYPE#SERIAL (ECU-M4#1201).\n"
    "SIM is an index in the scenario (list shows it as sim:N; it differs from the list index once a device\n"
    "is unplugged) or TYPE#SERIAL.\n"
    "list prints: INDEX sim:SIM TYPE#SERIAL BOX-STATE DESCRIPTION\n"
    "tail prints the device's messages until Ctrl-C; alarms (ending in !!) in red on a terminal.\n"
    "  --follow  when the device or the server goes away, wait for it and go on\n"
    "  --new     skip the messages that were waiting before tail started\n"
    "  --time    prefix each message with the local time it was read\n";

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

// A failed call in words, with its code for those who look it up.
std::string Explain(std::int32_t hresult, const std::string& device) {
    std::string words;
    switch (hresult) {
        case zknet::kE_UNAVAILABLE:
            words = "the device server went away";
            break;
        case zknet::kE_TIMEOUT:
            words = "the device server did not answer in time";
            break;
        case zknet::kE_NOT_CONNECTED:
            words = device + " was unplugged";
            break;
        case zknet::kE_HANDLE:
            words = device + " was closed by the device server";
            break;
        case zknet::kE_NOT_FOUND:
            words = device + " is not there";
            break;
        case zknet::kE_FAIL:
            words = "the call failed (a fault set with zelknet sim)";
            break;
        case zknet::kE_NOTIMPL:
            words = "the device server does not offer this";
            break;
        case zknet::kE_INVALIDARG:
            words = "the device server refused the request";
            break;
        default:
            words = "the call failed";
    }
    return words + " (" + Hex(hresult) + ")";
}

std::uint32_t Number(const std::string& text, const char* what, std::uint32_t max = 0xFFFFFFFFu) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || text[0] == '-' || value > max)
        throw ToolError{std::string("bad ") + what + " '" + text + "'"};
    return static_cast<std::uint32_t>(value);
}

// The one way a device is named: its type and serial number, "ECU-M4#1201".
std::string DeviceName(const ZKDeviceIdentity& id) {
    return id.typeName + "#" + std::to_string(id.serialNumber);
}

// A device as the user named it: an index, or TYPE#SERIAL.
struct DeviceRef {
    std::string text;
    std::optional<std::uint32_t> index;
    std::string typeName;
    std::uint32_t serial = 0;

    static DeviceRef Parse(const std::string& text, const char* what) {
        DeviceRef ref{text, {}, {}, 0};
        const auto hash = text.rfind('#');
        if (hash == std::string::npos) {
            ref.index = Number(text, what);
        } else {
            ref.typeName = text.substr(0, hash);
            ref.serial = Number(text.substr(hash + 1), "serial number");
            if (ref.typeName.empty()) throw ToolError{"bad device name '" + text + "' (want TYPE#SERIAL)"};
        }
        return ref;
    }
    bool Names(const ZKDeviceIdentity& id) const {
        return !index && id.typeName == typeName && id.serialNumber == serial;
    }
};

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
    if (zknet::Failed(hr)) throw ToolError{"the device list failed: " + Explain(hr, "a device")};
    const auto& data = reply.data();
    auto list =
        ZKDeviceListEntry::DecodeList({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()});
    if (!list) throw ToolError{"the device list has a bad size (" + std::to_string(data.size()) + " bytes)"};
    return *list;
}

// Every device of the scenario, listed or not, in scenario order; empty from a server without them.
std::vector<ZKDeviceListEntry> SimDevices(ZKNetClient& client) {
    zelknet::SimDevicesReply reply;
    const auto context = ZKNetClient::Context();
    std::vector<ZKDeviceListEntry> devices;
    if (!client.Sim().Devices(context.get(), {}, &reply).ok()) return devices;
    for (const std::string& bytes : reply.entries()) {
        const auto entry =
            ZKDeviceListEntry::Decode({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        if (entry) devices.push_back(*entry);
    }
    return devices;
}

bool SameAddress(const ZKDeviceListEntry& a, const ZKDeviceListEntry& b) {
    return a.address1 == b.address1 && a.address2 == b.address2 && a.address3 == b.address3;
}

struct OpenedDevice {
    ZKDeviceListEntry entry;
    std::string name;
    std::uint64_t handle = 0;
};

OpenedDevice Open(ZKNetClient& client, const DeviceRef& ref) {
    const std::vector<ZKDeviceListEntry> list = DeviceList(client);
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < list.size() && !found; ++i) {
        if (ref.index ? *ref.index == i : ref.Names(list[i].identity)) found = i;
    }
    if (!found)
        throw ToolError{"no device " + ref.text + " (" + std::to_string(list.size()) + " devices listed)"};
    OpenedDevice device{list[*found], DeviceName(list[*found].identity), 0};
    std::int32_t hr = 0;
    device.handle =
        client.OpenDevice(device.entry.address1, device.entry.address2, device.entry.address3, hr);
    if (!device.handle) throw ToolError{"cannot open " + device.name + ": " + Explain(hr, device.name)};
    return device;
}

int List() {
    auto client = Connect(true);
    const std::vector<ZKDeviceListEntry> list = DeviceList(*client);
    const std::vector<ZKDeviceListEntry> sim = SimDevices(*client);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ZKDeviceIdentity& id = list[i].identity;
        std::string simIndex = "?";
        for (std::size_t s = 0; s < sim.size(); ++s) {
            if (SameAddress(sim[s], list[i])) simIndex = std::to_string(s);
        }
        std::string boxState;
        ZKBoxStateName(id.boxState, boxState);
        std::printf("%zu sim:%s %s %s %s\n", i, simIndex.c_str(), DeviceName(id).c_str(), boxState.c_str(),
                    list[i].description.c_str());
    }
    return 0;
}

int Identify(const std::string& name) {
    auto client = Connect(true);
    const OpenedDevice device = Open(*client, DeviceRef::Parse(name, "device index"));
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
    if (zknet::Failed(hr)) throw ToolError{"identify failed: " + Explain(hr, device.name)};
    if (reply.code() != 0)
        throw ToolError{"identify failed: the device answered result " + std::to_string(reply.code())};
    const auto& bytes = reply.identity();
    const auto id =
        ZKDeviceIdentity::Decode({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    if (!id) throw ToolError{"the identity has a bad size (" + std::to_string(bytes.size()) + " bytes)"};
    std::string boxState;
    ZKBoxStateName(id->boxState, boxState);
    std::printf(
        "DEVICE %s\nIDENTITY %u/%u\nBOOT CODE %u.%u\nMAIN CODE %u.%u.%u\nBOXSTATE %s\n"
        "LAST RESET CAUSE %u\nCODE RETURN CAUSE %u\nLAST PROGRAM TIME %u\n",
        DeviceName(*id).c_str(), id->rootId, id->userId, id->bootMajor, id->bootMinor, id->mainMajor,
        id->mainMinor, id->mainBuild, boxState.c_str(), id->resetCause, id->returnCause, id->lastProgramTime);
    for (std::size_t i = 0; i < ZKDeviceIdentity::kExtraIds && id->extraRootIds[i] != 0; ++i)
        std::printf("EXTRA IDENTITY %u/%u\n", id->extraRootIds[i], id->extraUserIds[i]);
    return 0;
}

struct TailOptions {
    bool follow = false;
    bool skipQueued = false;
    bool time = false;
    bool colour = false;
};

// One message as tail prints it: the local time first when asked, an alarm in red on a terminal.
void PrintMessage(const std::string& text, const TailOptions& options) {
    if (options.time) {
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
        std::tm local{};
        localtime_r(&seconds, &local);
        std::printf("%02d:%02d:%02d.%03d ", local.tm_hour, local.tm_min, local.tm_sec,
                    static_cast<int>(ms.count()));
    }
    const bool alarm = text.size() > 2 && text.ends_with("!!");
    if (alarm && options.colour)
        std::printf("\x1b[31m%s\x1b[0m\n", text.c_str());
    else
        std::printf("%s\n", text.c_str());
}

// The next message of an open device: true with an empty text when none is pending; false with `hr` set
// when the call failed.
bool NextMessage(ZKNetClient& client, std::uint64_t handle, std::string& text, std::int32_t& hr) {
    zelknet::DeviceRequest request;
    request.set_handle(handle);
    zelknet::MessageReply reply;
    const auto context = ZKNetClient::Context();
    const grpc::Status status = ZKNetClient::Call(
        client.Device(), &zelknet::Device::Stub::PrepareAsyncGetNextMessage, context.get(), request, &reply);
    hr = ZKNetClient::HResult(status, reply);
    if (zknet::Failed(hr)) return false;
    text = reply.text();
    return true;
}

// Prints the device's messages until Ctrl-C or a failure, whose explanation it returns.
std::string TailOpened(ZKNetClient& client, const OpenedDevice& device, const TailOptions& options,
                       bool skip) {
    std::string text;
    std::int32_t hr = 0;
    // What waited before the start is read and dropped.
    while (skip && !interrupted && NextMessage(client, device.handle, text, hr) && !text.empty()) {
    }
    while (!interrupted) {
        if (!NextMessage(client, device.handle, text, hr)) return Explain(hr, device.name);
        if (text.empty()) {
            std::fflush(stdout);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        PrintMessage(text, options);
    }
    return {};
}

int Tail(const std::vector<std::string>& args) {
    TailOptions options;
    std::optional<DeviceRef> ref;
    for (const std::string& arg : args) {
        if (arg == "--follow" || arg == "-f") {
            options.follow = true;
        } else if (arg == "--new") {
            options.skipQueued = true;
        } else if (arg == "--time") {
            options.time = true;
        } else if (!ref && !arg.starts_with("-")) {
            ref = DeviceRef::Parse(arg, "device index");
        } else {
            throw ToolError{"unknown tail argument '" + arg + "'\n" + kUsage};
        }
    }
    if (!ref) throw ToolError{std::string("tail needs a device\n") + kUsage};
    options.colour = ::isatty(STDOUT_FILENO) && !std::getenv("NO_COLOR");
    std::signal(SIGINT, [](int) { interrupted = 1; });
    std::signal(SIGTERM, [](int) { interrupted = 1; });

    bool first = true;
    std::string waitingFor;  // what --follow waits for, said once
    while (!interrupted) {
        std::string lost;
        try {
            auto client = Connect(first);
            const OpenedDevice device = Open(*client, *ref);
            // Once found, a device is followed by its name: indexes change when devices come and go.
            ref = DeviceRef::Parse(device.name, "device");
            if (!waitingFor.empty()) std::fprintf(stderr, "zelknet: %s is back\n", device.name.c_str());
            lost = TailOpened(*client, device, options, first && options.skipQueued);
            first = false;
        } catch (const ToolError& e) {
            if (!options.follow) throw;
            lost = e.message;
        }
        std::fflush(stdout);
        if (lost.empty()) break;  // interrupted
        if (!options.follow) throw ToolError{lost};
        if (waitingFor != lost) std::fprintf(stderr, "zelknet: %s; waiting\n", lost.c_str());
        waitingFor = lost;
        for (int i = 0; i < 5 && !interrupted; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::fflush(stdout);
    return 0;
}

// The scenario index of a SIM argument: a number as it is, TYPE#SERIAL looked up among all devices.
std::uint32_t SimIndex(ZKNetClient& client, const std::string& text) {
    const DeviceRef ref = DeviceRef::Parse(text, "device index");
    if (ref.index) return *ref.index;
    const std::vector<ZKDeviceListEntry> devices = SimDevices(client);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (ref.Names(devices[i].identity)) return static_cast<std::uint32_t>(i);
    }
    throw ToolError{"no device " + text + " in the scenario"};
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
        request.set_device(SimIndex(*client, args[1]));
        status = verb == "plug" ? sim.Plug(context.get(), request, &reply)
                                : sim.Unplug(context.get(), request, &reply);
    } else if (verb == "queue") {
        Need(args, 3);
        zelknet::SimMessagesRequest request;
        request.set_device(SimIndex(*client, args[1]));
        for (std::size_t i = 2; i < args.size(); ++i)
            request.add_texts(args[i]);
        status = sim.QueueMessages(context.get(), request, &reply);
    } else if (verb == "identity") {
        Need(args, 3);
        zelknet::SimIdentityRequest request;
        request.set_device(SimIndex(*client, args[1]));
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
        request.set_device(SimIndex(*client, args[1]));
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
    // Quit returns once the server has stopped, so that a new one can be started right after.
    if (verb == "quit" && !zk::WaitNetServerGone(zk::RuntimeFolder(), std::chrono::seconds(5)))
        throw ToolError{"the device server did not stop within 5 s"};
    return 0;
}

}  // namespace

int ZKNetToolMain(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty()) throw ToolError{kUsage};
        const std::string& command = args[0];
        if (command == "--help" || command == "-h" || command == "help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (command == "list" && args.size() == 1) return List();
        if (command == "identify" && args.size() == 2) return Identify(args[1]);
        if (command == "tail") return Tail({args.begin() + 1, args.end()});
        if (command == "sim") return Sim({args.begin() + 1, args.end()});
        throw ToolError{kUsage};
    } catch (const ToolError& e) {
        std::fprintf(stderr, "zelknet: %s%s", e.message.c_str(), e.message.ends_with('\n') ? "" : "\n");
        return 1;
    }
}
