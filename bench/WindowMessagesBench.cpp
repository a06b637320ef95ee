// Messages posted and dispatched per second on the GUI thread's queue, and text-extent calls per second.
#include <benchmark/benchmark.h>

#include "Gui/ZKDC.h"
#include "Platform/MessageLoop.h"
#include "Platform/Window.h"

namespace {

void PostAndDispatch(benchmark::State& state) {
    zk::WindowSystemScope scope;
    long handled = 0;
    zk::WindowCreateParams p;
    p.style = zk::WS_POPUP;
    p.proc = [&](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) -> zk::LRESULT {
        if (m == zk::WM_USER) return ++handled;
        return zk::DefWindowProc(h, m, w, l);
    };
    const zk::HWND window = zk::CreateWindowEx(p);
    const int batch = 1000;
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i)
            zk::PostMessage(window, zk::WM_USER, 0, 0);
        zk::MSG msg;
        while (zk::PeekMessage(msg, zk::PM_REMOVE))
            zk::DispatchMessage(msg);
    }
    state.SetItemsProcessed(state.iterations() * batch);
    if (handled != state.iterations() * batch) state.SkipWithError("messages lost");
}
BENCHMARK(PostAndDispatch);

void TextExtentShort(benchmark::State& state) {
    ZKBitmap bitmap(10, 10);
    ZKDC dc(bitmap);
    for (auto _ : state)
        benchmark::DoNotOptimize(dc.TextExtent("Connected", ZKFontSet::Normal));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TextExtentShort);

// A 1280x800 window that paints 60 lines of text through BeginPaint/EndPaint into its surface.
void PaintSixtyLines(benchmark::State& state) {
    zk::WindowSystemScope scope{
        zk::WindowSystemOptions{{1920, 1080}, std::nullopt, zk::BackendChoice::Headless}};
    zk::WindowCreateParams p;
    p.style = zk::WS_POPUP | zk::WS_VISIBLE;
    p.x = 0, p.y = 0, p.cx = 1280, p.cy = 800;
    p.proc = [](zk::HWND h, zk::UINT m, zk::WPARAM w, zk::LPARAM l) -> zk::LRESULT {
        if (m != zk::WM_PAINT) return zk::DefWindowProc(h, m, w, l);
        zk::PAINTSTRUCT ps;
        zk::BeginPaint(h, ps);
        {
            ZKDC dc(ps);
            dc.FillRect({0, 0, 1280, 800}, ZKGDI::Colour(ZKColourScheme::Light, false, 5));
            for (int row = 0; row < 60; ++row)
                dc.TextOut(5, row * 13,
                           "12:34:56.789  Device message number " + std::to_string(row) + " with some text",
                           ZKFontSet::Normal, ZKGDI::Colour(ZKColourScheme::Light, false, 0));
        }
        zk::EndPaint(h, ps);
        return 0;
    };
    const zk::HWND window = zk::CreateWindowEx(p);
    for (auto _ : state)
        zk::RedrawWindow(window, nullptr, zk::RDW_INVALIDATE | zk::RDW_UPDATENOW);
}
BENCHMARK(PaintSixtyLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
