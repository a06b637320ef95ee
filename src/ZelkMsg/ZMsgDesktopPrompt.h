#pragma once
// The prompts of the desktop run: the toolkit's message box, file name dialog and folder chooser, the device
// chooser, the auto-connect options dialog and the error state dialog, all owned by the main window.

#include "Platform/WindowTypes.h"
#include "ZelkMsg/ZMsgPrompt.h"

class ZKServer;
class ZMsgRegistry;

struct ZMsgDesktopPrompt {
    // `owner` is read when a prompt opens, so it may be set after the window was created.
    static ZMsgPrompt Make(const zk::HWND& owner, ZMsgRegistry& registry, const ZKServer& server);
};
