#include "Common/device/ZKUserPrompt.h"

namespace {

ZKUserPrompt* g_prompt = nullptr;

}  // namespace

void ZKUserPrompt::Install(ZKUserPrompt* prompt) {
    g_prompt = prompt;
}

void ZKUserPrompt::Inform(const std::string& text) {
    if (g_prompt) g_prompt->ShowMessage(text);
}

bool ZKUserPrompt::Ask(const std::string& text) {
    return g_prompt && g_prompt->AskYesNo(text);
}
