#pragma once
// The change notice of the global display options: after a flag was written, every running program of the
// maker reloads its flags and redraws.
//
// Sending: the notice goes as WM_COPYDATA (dwData 0, the 288-byte notice block of ZKCopyDataCommand with the
// option number) to this program's main window and, unless the change was local, to every running program
// whose executable lies in the install folder that the settings store names ("InstallDirectory"; when it is
// not set, the folder of our own executable). Our own process is reached once, through the main window.
//
// Receiving: the main window's WM_COPYDATA handler passes the message to OnCopyData (or a parsed command to
// Apply), which reloads the flags and, for the scheme and colour-blind options, redraws the window.

#include <functional>
#include <span>
#include <string>

#include "Gui/ZKGlobalOptions.h"
#include "Platform/WindowTypes.h"

class ZKRegistry;

class ZKOptionsNotice {
public:
    // Installs itself as the change notifier of `options`; the notifier is removed again on destruction.
    ZKOptionsNotice(ZKGlobalOptions& options, const ZKRegistry& registry, zk::HWND mainWindow);
    ~ZKOptionsNotice();
    ZKOptionsNotice(const ZKOptionsNotice&) = delete;
    ZKOptionsNotice& operator=(const ZKOptionsNotice&) = delete;

    // Sends the notice of one option. Each other program is waited for at most 1000 ms.
    void Send(ZKGlobalOptions::Option option, bool local);

    // The folder whose programs count as the maker's.
    std::string InstallFolder() const;

    // Acts on a notice command: 2 (black-on-white) reloads, calls `schemeChanged` so the window can re-create
    // what depends on the scheme, and redraws the window with all children; 3 (colour-blind) reloads and
    // redraws; 4 and 5 reload only. False for any other command.
    static bool Apply(ZKGlobalOptions& options, zk::HWND window, std::uint32_t command,
                      const std::function<void()>& schemeChanged = {});
    // The same for a program with more than one top-level window (dialogs open over the main window,
    // windows of their own): all of them are redrawn.
    static bool Apply(ZKGlobalOptions& options, std::span<const zk::HWND> windows, std::uint32_t command,
                      const std::function<void()>& schemeChanged = {});
    // WM_COPYDATA of a window that takes nothing but notices: 1 when the message was a notice, 0 otherwise.
    static zk::LRESULT OnCopyData(ZKGlobalOptions& options, zk::HWND window, const zk::COPYDATASTRUCT& data,
                                  const std::function<void()>& schemeChanged = {});

private:
    ZKGlobalOptions& options_;
    const ZKRegistry& registry_;
    zk::HWND mainWindow_;
};
