#include "Platform/Clipboard.h"

#include "Platform/WindowSystemState.h"

namespace zk {

bool SetClipboardText(const std::string& text) {
    return IsGuiThread() && detail::g_state->backend->SetClipboard(text);
}

std::string GetClipboardText() {
    if (!IsGuiThread()) return {};
    return detail::g_state->backend->GetClipboard().value_or(std::string());
}

}  // namespace zk
