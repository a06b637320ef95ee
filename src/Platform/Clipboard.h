#pragma once
// The clipboard's text, in UTF-8: the display's clipboard on SDL, an in-memory one on the headless backend.
// GUI thread, while the window system runs.

#include <string>

namespace zk {

bool SetClipboardText(const std::string& text);
// Empty when the clipboard holds no text (or the window system does not run).
std::string GetClipboardText();

}  // namespace zk
