// The message log of the main window with 100 and with 1,000,000 rows:
//   AppendRows      - a batch of 100 device messages added and the log laid out to show its end (what the
//                     main window does per batch, without the paint); reported per row;
//   AppendAndPaint  - the same batch followed by the redraw of the window, as the user sees it; per batch;
//   PaintLog        - one paint of the log showing its end;
//   BuildLog        - a log of 1,000,000 rows built from nothing: time and heap bytes per row.
// The rows are measured only when they are drawn, so none of these should grow with the number of rows.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>

#include "Gui/ZKListContainer.h"
#include "Platform/Window.h"
#include "ZelkMsg/ZMsgLogText.h"

namespace {

constexpr int kBatch = 100;

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
        AddRows(log, rows);
        log.UpdateAndRedraw();
        zk::UpdateWindow(parent);
    }

    static void AddRows(ZKListContainer& log, long rows) {
        for (long i = 0; i < rows; ++i)
            log.AddFormatted(
                "%s", ZMsgLogText::DeviceMessageRow("Coolant " + std::to_string(i % 120) + " C").c_str());
    }
    void AddBatch() {
        for (int i = 0; i < kBatch; ++i)
            log.AddFormatted("%s", ZMsgLogText::DeviceMessageRow("Oil pressure low!!").c_str());
    }
};

void AppendRows(benchmark::State& state) {
    LogFixture fixture(state.range(0));
    for (auto _ : state) {
        fixture.AddBatch();
        fixture.log.Update();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.counters["per_row"] = benchmark::Counter(static_cast<double>(state.iterations() * kBatch),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(AppendRows)->Arg(100)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void AppendAndPaint(benchmark::State& state) {
    LogFixture fixture(state.range(0));
    for (auto _ : state) {
        fixture.AddBatch();
        fixture.log.UpdateAndRedraw();
        zk::UpdateWindow(fixture.parent);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(AppendAndPaint)->Arg(100)->Arg(1000000)->Unit(benchmark::kMillisecond);

void PaintLog(benchmark::State& state) {
    LogFixture fixture(state.range(0));
    for (auto _ : state) {
        zk::RedrawWindow(fixture.log.List().Window(), nullptr, zk::RDW_INVALIDATE | zk::RDW_UPDATENOW);
    }
}
BENCHMARK(PaintLog)->Arg(100)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BuildLog(benchmark::State& state) {
    const long rows = state.range(0);
    double bytesPerRow = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            LogFixture fixture(0);
            const std::size_t before = mallinfo2().uordblks;
            state.ResumeTiming();
            LogFixture::AddRows(fixture.log, rows);
            fixture.log.Update();
            state.PauseTiming();
            bytesPerRow = static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(rows);
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["heap_bytes_per_row"] = bytesPerRow;
}
BENCHMARK(BuildLog)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
