// The message log of the main window: the cost per row of appending a batch of 100 device messages to a
// log that already holds 100 or 1,000,000 rows (the rows are measured when made, and the log lays its rows
// out again when it shows its end), and the time to paint the log with 100 and with 1,000,000 rows.
#include <benchmark/benchmark.h>

#include <string>

#include "Gui/ZKListContainer.h"
#include "Platform/Window.h"
#include "ZelkMsg/ZMsgLogText.h"

namespace {

struct LogFixture {
    zk::WindowSystemScope scope{
        zk::WindowSystemOptions{{1920, 1080}, std::nullopt, zk::BackendChoice::Headless}};
    zk::HWND parent;
    ZKListContainer log{200};

    explicit LogFixture(long rows) {
        zk::WindowCreateParams p;
        p.style = zk::WS_POPUP | zk::WS_VISIBLE | zk::WS_CLIPCHILDREN;
        p.x = 0, p.y = 0, p.cx = 800, p.cy = 600;
        p.proc = [](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) {
            return zk::DefWindowProc(h, m, w, l);
        };
        parent = zk::CreateWindowEx(p);
        log.Create(parent, {5, 51, 795, 595});
        for (long i = 0; i < rows; ++i)
            log.AddFormatted(
                "%s", ZMsgLogText::DeviceMessageRow("Coolant " + std::to_string(i % 120) + " C").c_str());
        log.UpdateAndRedraw();
        zk::UpdateWindow(parent);
    }
};

void AppendBatch(benchmark::State& state) {
    LogFixture fixture(state.range(0));
    constexpr int kBatch = 100;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i)
            fixture.log.AddFormatted("%s", ZMsgLogText::DeviceMessageRow("Oil pressure low!!").c_str());
        fixture.log.UpdateAndRedraw();
        zk::UpdateWindow(fixture.parent);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(AppendBatch)->Arg(100)->Arg(1000000)->Unit(benchmark::kMillisecond);

void PaintLog(benchmark::State& state) {
    LogFixture fixture(state.range(0));
    for (auto _ : state) {
        zk::RedrawWindow(fixture.log.List().Window(), nullptr, zk::RDW_INVALIDATE | zk::RDW_UPDATENOW);
    }
}
BENCHMARK(PaintLog)->Arg(100)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
