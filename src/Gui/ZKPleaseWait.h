#pragma once
// A modal box that shows a text while a piece of work runs on a thread of its own, and ends with the
// work's result once the thread has ended. The device chooser searches for devices this way: the GUI
// thread stays in the box's loop (painting, timers, posted messages) and reads what the work wrote only
// after the box has returned.
//
// The work starts when the box's window exists. A close asked while it runs (a server-lost close passing
// through) waits for the work to end; the user has no way to stop it. The work must not touch windows:
// it runs on another thread.

#include <functional>
#include <string>
#include <thread>

#include "Gui/ZKPopupDialog.h"

class ZKPleaseWait : public ZKPopupDialog {
public:
    using Work = std::function<int()>;
    // Posted by the work's thread when the work has returned: wParam the result.
    static constexpr zk::UINT WMU_WORK_DONE = zk::WM_USER + 0x61;

    ZKPleaseWait(zk::HWND parent, std::string text, Work work);
    // Waits for the work's thread if it still runs.
    ~ZKPleaseWait() override;

    const std::string& Text() const { return text_; }

protected:
    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;
    void PaintDialog(ZKDC& dc, const zk::Rect& rect) override;

private:
    void Start(zk::HWND hwnd);

    std::string text_;
    Work work_;
    std::thread thread_;
    bool running_ = false;
};
