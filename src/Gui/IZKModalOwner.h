#pragma once
// What the toolkit's modal dialogs need of the program's main window: the window itself and the stack of
// the modal windows open over it. A dialog pushes itself when it opens and removes itself when its loop has
// ended; only the top of the stack closes at once (a close asked of a lower one waits until it is on top).
//
// The main window implements this interface and answers WMU_MODAL_OWNER with it; a dialog finds it by
// sending that query to the root of its owner chain (FindModalOwner). Without an answer (no main window,
// e.g. a box shown during start-up) every dialog counts as the top and nothing is stacked.

#include <algorithm>
#include <vector>

#include "Platform/Window.h"

// Query sent to a top-level window: the answer is its IZKModalOwner*, or 0.
constexpr zk::UINT WMU_MODAL_OWNER = zk::WM_USER + 0x60;

// The stack of open modal windows, bottom first.
class ZKModalStack {
public:
    void Push(zk::HWND hwnd) { windows_.push_back(hwnd); }
    // Removes the window wherever it lies (it is the top unless a window was destroyed out of order).
    void Remove(zk::HWND hwnd) { std::erase(windows_, hwnd); }
    zk::HWND Top() const { return windows_.empty() ? zk::HWND() : windows_.back(); }
    bool Empty() const { return windows_.empty(); }
    std::size_t Size() const { return windows_.size(); }
    const std::vector<zk::HWND>& Windows() const { return windows_; }

private:
    std::vector<zk::HWND> windows_;
};

class IZKModalOwner {
public:
    virtual ~IZKModalOwner() = default;

    // The main window: restored before a dialog opens, brought to the front when the last one closed.
    virtual zk::HWND MainWindow() const = 0;
    virtual ZKModalStack& ModalStack() = 0;
    // A dialog saw the application become active or inactive (WM_ACTIVATEAPP); the main window redraws
    // its caption and menu bar in the matching colours.
    virtual void ApplicationActiveChanged(bool active) = 0;

    // The answer to WMU_MODAL_OWNER for a window procedure.
    zk::LRESULT AnswerQuery() { return reinterpret_cast<zk::LRESULT>(this); }
};

// The modal owner of `window`: the answer of the root of its owner chain to WMU_MODAL_OWNER, or null.
inline IZKModalOwner* FindModalOwner(zk::HWND window) {
    zk::HWND root = zk::GetTopLevel(window);
    while (zk::GetOwner(root))
        root = zk::GetOwner(root);
    if (!root) return nullptr;
    return reinterpret_cast<IZKModalOwner*>(zk::SendMessage(root, WMU_MODAL_OWNER, 0, 0));
}
