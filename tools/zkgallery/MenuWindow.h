#pragma once
// zkgallery's menu window: a title strip, a menu bar of three menus (File with a separator and a disabled
// item, View, Help) and a line that shows the last choice. Every choice is also printed, one line each:
// "menu: <menu letter> <item letter> <item text>", so that end-to-end tests can check it.

#include <functional>
#include <iosfwd>
#include <string>

#include "Gui/ZKMenuBarHolder.h"

class GalleryMenuWindow : public ZKMenuBarHolder<GalleryMenuWindow> {
public:
    static constexpr int kTitleHeight = 24;
    static constexpr int kBarHeight = 26;

    // `onDestroy` is called when the window goes.
    GalleryMenuWindow(std::ostream& out, std::function<void(zk::HWND)> onDestroy);
    ~GalleryMenuWindow();
    GalleryMenuWindow(const GalleryMenuWindow&) = delete;
    GalleryMenuWindow& operator=(const GalleryMenuWindow&) = delete;

    bool Create(const zk::Rect& screen);
    zk::HWND Window() const { return hwnd_; }

    // Opens the File menu, moves to its second row and writes the open popup to `path`; false when it
    // could not be written.
    bool SnapshotOpenMenu(const std::string& path);

private:
    void FillFile(ZKListBoxContents& items, zk::DWORD flags);
    void FillView(ZKListBoxContents& items, zk::DWORD flags);
    void FillHelp(ZKListBoxContents& items, zk::DWORD flags);
    const Entry* Choose(ZKListBoxContents& items, int result, const Entry& entry);
    zk::LRESULT Proc(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam);
    void Paint(zk::HWND hwnd);

    std::ostream& out_;
    std::function<void(zk::HWND)> onDestroy_;
    zk::HWND hwnd_;
    ZKMenuBar bar_;
    const Entry* file_ = nullptr;
    std::string last_ = "Choose from the menus (F, V, H)";
    bool popupOpen_ = false;
    std::string snapshotPath_;
    bool snapshotWritten_ = false;
};
