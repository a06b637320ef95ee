#pragma once
// How the main window asks the user something: a message box, a file name, a folder, a device, the
// auto-connect options, the global options. The window shows
// nothing by itself; the program installs the toolkit's dialogs, the console installs answers on standard
// error, tests install scripted answers.

#include <functional>
#include <optional>
#include <string>

#include "ZelkMsg/ZMsgAutoConnectOptions.h"
#include "ZelkMsg/ZMsgDeviceChooser.h"

class ZKGlobalOptions;
class ZKDevice;
class ZPProfile;

enum class ZMsgButtons { Ok, YesNo };
enum class ZMsgAnswer { Ok, Yes, No };

struct ZMsgPrompt {
    // `tabStop`: the tab stop of the box's text in pixels, 0 for the default.
    std::function<ZMsgAnswer(const std::string& text, ZMsgButtons buttons, int tabStop)> messageBox;
    // The name entered in a file name dialog; nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& title, const std::string& defaultName)>
        fileName;
    // The folder chosen, with a trailing "/"; nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& prompt, const std::string& startFolder)>
        folder;
    // The device to open and its identity, chosen with threshold 0 and no required or wanted area; nothing
    // when cancelled.
    std::function<std::optional<ZMsgDeviceChoice>()> chooseDevice;
    // The auto-connect options as the user left them with OK; nothing after Cancel.
    std::function<std::optional<ZMsgAutoConnectOptions>(const ZMsgAutoConnectOptions& current)>
        autoConnectOptions;
    // The global options dialog over these options; "OK" stores and announces what it shows.
    std::function<void(ZKGlobalOptions& options)> globalOptions;
    // The error state dialog, modal: `device` gives the window's device at each read (null once it was
    // dropped), `profile` names its errors.
    std::function<void(std::function<ZKDevice*()> device, const ZPProfile& profile)> errorStates;
};
