#pragma once
// The prompts of the desktop run: the toolkit's message box and folder chooser, owned by the main window.
// File names are asked for once the toolkit's file name dialog exists; until then Save is cancelled.

#include "Platform/WindowTypes.h"
#include "ZelkMsg/ZMsgPrompt.h"

class ZMsgRegistry;

struct ZMsgDesktopPrompt {
    // `owner` is read when a prompt opens, so it may be set after the window was created.
    static ZMsgPrompt Make(const zk::HWND& owner, ZMsgRegistry& registry);
};
