#include "Platform/headless/HeadlessBackend.h"

#include <chrono>

#include "Platform/MMTimer.h"

namespace zk::detail {

HeadlessBackend::HeadlessBackend(const WindowSystemOptions& options)
    : screen_{0, 0, options.screen.cx, options.screen.cy}, work_(options.workArea.value_or(screen_)) {}

MonitorInfo HeadlessBackend::Monitor(Point) const {
    return {screen_, work_};
}

void HeadlessBackend::Present(HWND hwnd, cairo_surface_t*, const std::vector<Rect>& damage) {
    // Only tests read the record; a long run keeps the most recent part.
    if (presented_.size() > 4096) presented_.erase(presented_.begin(), presented_.begin() + 2048);
    for (const Rect& r : damage)
        presented_.emplace_back(hwnd, r);
}

void HeadlessBackend::WaitEvents(std::uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    if (timeoutMs == kInfinite)
        wake_.wait(lock, [&] { return woken_; });
    else
        wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return woken_; });
    woken_ = false;
}

void HeadlessBackend::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

bool HeadlessBackend::SetClipboard(const std::string& utf8) {
    clipboard_ = utf8;
    return true;
}

std::optional<std::string> HeadlessBackend::GetClipboard() {
    return clipboard_;
}

std::vector<std::pair<HWND, Rect>> HeadlessBackend::TakePresented() {
    return std::exchange(presented_, {});
}

std::unique_ptr<WindowBackend> MakeHeadlessBackend(const WindowSystemOptions& options) {
    return std::make_unique<HeadlessBackend>(options);
}

}  // namespace zk::detail
