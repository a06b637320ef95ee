#pragma once
// The prompts of the desktop run: the toolkit's message box, file name dialog and folder chooser, the device
// chooser, the auto-connect options dialog, the global options dialog and the error state dialog, all owned
// by the main window.

#include "Platform/WindowTypes.h"
#include "ZelkMsg/ZMsgPrompt.h"

class ZKGlobalOptions;
class ZKServer;
class ZMsgRegistry;

struct ZMsgDesktopPrompt {
    // `owner` is read when a prompt opens, so it may be set after the window was created. The folder chooser
    // lists folders in the order the display options say (normal order without them).
    static ZMsgPrompt Make(const zk::HWND& owner, ZMsgRegistry& registry, const ZKServer& server,
                           const ZKGlobalOptions* displayOptions = nullptr);
};
