// Opening and closing a message box on the headless backend: the time per open and close (creation,
// layout, first paint, the modal loop, a key that answers it, destruction), and the resident memory before
// and after 1,000 of them (it must not grow).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <fstream>

#include "Gui/IZKModalOwner.h"
#include "Gui/ZKMessageBox.h"
#include "Platform/Input.h"
#include "Platform/MessageLoop.h"

namespace {

using namespace zk;

// Resident set size in kB.
double ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// The main window's part: the window the boxes open over and its modal stack.
struct Owner : IZKModalOwner {
    HWND hwnd;
    ZKModalStack stack;
    Owner() {
        WindowCreateParams p;
        p.style = WS_POPUP | WS_VISIBLE;
        p.x = 100, p.y = 100, p.cx = 800, p.cy = 600;
        p.proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WMU_MODAL_OWNER) return AnswerQuery();
            return DefWindowProc(h, m, w, l);
        };
        hwnd = CreateWindowEx(p);
    }
    HWND MainWindow() const override { return hwnd; }
    ZKModalStack& ModalStack() override { return stack; }
    void ApplicationActiveChanged(bool) override {}
};

// Opens a box with a title and answers it with Escape; returns its result.
int OpenAndAnswer(const Owner& owner) {
    ZKMessageBox box(owner.hwnd, "$cbZelkMsg", "Log written to \"/home/user/logs/device 4711.txt\"",
                     ZKMessageBoxButtons::kOk);
    input::KeyPress(VK_ESCAPE);
    const int result = box.DoModal();
    PumpPendingMessages();  // the key's release
    return result;
}

void OpenAndCloseMessageBox(benchmark::State& state) {
    WindowSystemScope scope{WindowSystemOptions{{1920, 1080}, std::nullopt, BackendChoice::Headless}};
    Owner owner;
    for (int i = 0; i < 20; ++i)
        OpenAndAnswer(owner);  // fonts and caches warm
    const double before = ResidentKb();
    for (auto _ : state)
        if (OpenAndAnswer(owner) != ZKMessageBoxButtons::kResultOk) state.SkipWithError("wrong result");
    const double after = ResidentKb();
    state.counters["rss_before_kB"] = before;
    state.counters["rss_after_kB"] = after;
    state.counters["rss_growth_kB"] = after - before;
    if (!owner.stack.Empty()) state.SkipWithError("modal stack not empty");
}
// 1,000 as asked; 5,000 shows whether any growth scales with the count.
BENCHMARK(OpenAndCloseMessageBox)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenAndCloseMessageBox)->Iterations(5000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
