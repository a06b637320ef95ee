#pragma once
// The backend without a display: a virtual screen of the configured size and work area, an in-memory
// clipboard, and a record of what was presented. Input comes from zk::input (tests inject it there).

#include <condition_variable>
#include <mutex>
#include <utility>

#include "Platform/WindowBackend.h"

namespace zk::detail {

class HeadlessBackend final : public WindowBackend {
public:
    explicit HeadlessBackend(const WindowSystemOptions& options);

    BackendChoice Kind() const override { return BackendChoice::Headless; }
    MonitorInfo Monitor(Point p) const override;

    void CreateTopLevel(HWND, const TopLevelInfo&) override {}
    void DestroyTopLevel(HWND) override {}
    void MoveTopLevel(HWND, const Rect&) override {}
    void ShowTopLevel(HWND, bool) override {}
    void MinimizeTopLevel(HWND) override {}
    void RaiseTopLevel(HWND) override {}
    void SetTitle(HWND, const std::string&) override {}
    void SetIcon(HWND, cairo_surface_t*) override {}
    void SetCursor(Cursor) override {}
    // The virtual screen is composed by the window system (CopyScreenSurface), shadows included.
    bool ShowsShadows() const override { return true; }

    void Present(HWND hwnd, cairo_surface_t* surface, const std::vector<Rect>& damage) override;
    void Flush() override {}

    void PollEvents() override {}
    void WaitEvents(std::uint32_t timeoutMs) override;
    void Wake() override;

    bool SetClipboard(const std::string& utf8) override;
    std::optional<std::string> GetClipboard() override;

    // What EndPaint handed over since the last call: the top-level window and the damaged rectangles in
    // its surface coordinates. For tests.
    std::vector<std::pair<HWND, Rect>> TakePresented();

private:
    Rect screen_;
    Rect work_;
    std::optional<std::string> clipboard_;
    std::vector<std::pair<HWND, Rect>> presented_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};

}  // namespace zk::detail
