// A stand-in for another program of the maker in copy-data tests: it opens a window on the headless window
// system, owns a copy-data endpoint and appends every WM_COPYDATA it receives to a file, one line each:
//   dw=<dwData> cb=<cbData> gui=<1 when handled on the GUI thread> wp=<wParam> data=<bytes in hex>
//
// Options: --out FILE (required), --ready FILE (written with the pid once the endpoint listens),
// --answer N (the LRESULT, default 1), --delay-ms N (the handler stalls that long first),
// --lifetime-ms N (quits by itself after that long, default 20000). A message with dwData kQuitCommand
// ends the program cleanly.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "Platform/CopyData.h"
#include "Platform/Window.h"

namespace {

constexpr std::uint64_t kQuitCommand = 0x5155495400000000ull;

struct Options {
    std::string out;
    std::string ready;
    long answer = 1;
    long delayMs = 0;
    long lifetimeMs = 20000;
};

Options g_options;
zk::CopyDataEndpoint g_endpoint;

void Record(const zk::COPYDATASTRUCT& data, zk::WPARAM wParam) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    const auto* bytes = static_cast<const unsigned char*>(data.lpData);
    for (zk::DWORD i = 0; i < data.cbData; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    std::ofstream out(g_options.out, std::ios::app);
    out << "dw=" << data.dwData << " cb=" << data.cbData << " gui=" << (zk::IsGuiThread() ? 1 : 0)
        << " wp=" << wParam << " data=" << hex << "\n";
}

zk::LRESULT PeerProc(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam) {
    switch (message) {
        case zk::WM_COPYDATA: {
            const auto& data = *reinterpret_cast<const zk::COPYDATASTRUCT*>(lParam);
            if (data.dwData == kQuitCommand) {
                zk::PostMessage(hwnd, zk::WM_CLOSE, 0, 0);
                return 1;
            }
            Record(data, wParam);
            std::this_thread::sleep_for(std::chrono::milliseconds(g_options.delayMs));
            return g_options.answer;
        }
        case zk::WM_TIMER:
            zk::DestroyWindow(hwnd);
            return 0;
        case zk::WM_CLOSE:
            zk::DestroyWindow(hwnd);
            return 0;
        case zk::WM_DESTROY:
            g_endpoint.Close();
            zk::PostQuitMessage(0);
            return 0;
        default:
            return zk::DefWindowProc(hwnd, message, wParam, lParam);
    }
}

bool ParseOptions(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--out")
            g_options.out = value;
        else if (name == "--ready")
            g_options.ready = value;
        else if (name == "--answer")
            g_options.answer = std::strtol(value, nullptr, 10);
        else if (name == "--delay-ms")
            g_options.delayMs = std::strtol(value, nullptr, 10);
        else if (name == "--lifetime-ms")
            g_options.lifetimeMs = std::strtol(value, nullptr, 10);
        else
            return false;
    }
    return !g_options.out.empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (!ParseOptions(argc, argv)) {
        std::fprintf(stderr,
                     "usage: zk_copydata_peer --out FILE [--ready FILE] [--answer N] [--delay-ms N]\n");
        return 2;
    }
    zk::WindowSystemScope windowSystem;
    zk::WindowCreateParams params;
    params.title = "copydata peer";
    params.proc = PeerProc;
    const zk::HWND window = zk::CreateWindowEx(params);
    std::string error;
    if (!window || !g_endpoint.Open(window, error)) {
        std::fprintf(stderr, "zk_copydata_peer: %s\n", error.c_str());
        return 1;
    }
    zk::SetTimer(window, 1, static_cast<zk::UINT>(g_options.lifetimeMs));
    if (!g_options.ready.empty()) {
        const std::string temporary = g_options.ready + ".tmp";
        std::ofstream(temporary) << ::getpid() << "\n";
        std::rename(temporary.c_str(), g_options.ready.c_str());
    }
    zk::MSG msg;
    while (zk::GetMessage(msg))
        zk::DispatchMessage(msg);
    return 0;
}
