#include "ZelkMsg/ZMsgConsole.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "ZelkMsg/ZMsgLogText.h"

namespace {

constexpr const char* kRed = "\x1b[31m";
constexpr const char* kGreen = "\x1b[32m";
constexpr const char* kReset = "\x1b[0m";

}  // namespace

ZMsgConsole::ZMsgConsole(std::FILE* out, std::FILE* err, bool colour)
    : out_(out), err_(err), colour_(colour) {}

bool ZMsgConsole::ColourWanted(std::FILE* out) {
    const char* noColour = std::getenv("NO_COLOR");
    return ::isatty(::fileno(out)) && !(noColour && *noColour);
}

std::string ZMsgConsole::RowLine(const std::string& row, bool colour) {
    const std::string text = ZMsgLogText::PlainText(row);
    const char* code = !colour                  ? nullptr
                       : row.starts_with("$cr") ? kRed
                       : row.starts_with("$cg") ? kGreen
                                                : nullptr;
    return code ? code + text + kReset : text;
}

void ZMsgConsole::RowsAppended(std::span<const std::string> rows) {
    for (const std::string& row : rows) {
        const std::string line = RowLine(row, colour_);
        std::fwrite(line.data(), 1, line.size(), out_);
        std::fputc('\n', out_);
    }
    std::fflush(out_);
}

void ZMsgConsole::StatusChanged(const std::string& text) {
    std::fprintf(err_, "[status] %s\n", text.c_str());
    std::fflush(err_);
}

ZMsgAnswer ZMsgConsole::MessageBox(const std::string& text, ZMsgButtons buttons) {
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    const ZMsgAnswer answer = buttons == ZMsgButtons::YesNo ? ZMsgAnswer::No : ZMsgAnswer::Ok;
    std::fprintf(err_, "[message] %s -> %s\n", line.c_str(), answer == ZMsgAnswer::No ? "No" : "OK");
    std::fflush(err_);
    return answer;
}

ZMsgPrompt ZMsgConsole::Prompt() {
    ZMsgPrompt prompt;
    prompt.messageBox = [this](const std::string& text, ZMsgButtons buttons, int) {
        return MessageBox(text, buttons);
    };
    return prompt;
}
