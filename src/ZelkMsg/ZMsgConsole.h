#pragma once
// Console mode's front-end: every row appended to the log goes to standard output as the plain text Save
// writes, one line per row, flushed after each batch (red for "$cr" rows and green for "$cg" rows when the
// output is a terminal and NO_COLOR is not set); every change of the status text goes to standard error as
// "[status] <text>", and every message box as "[message] <text> -> <answer>" with its line feeds as blanks,
// answered with the button Escape would press (OK, or No).

#include <cstdio>
#include <span>
#include <string>

#include "ZelkMsg/ZMsgPrompt.h"
#include "ZelkMsg/ZelkMsgWnd.h"

class ZMsgConsole final : public ZMsgWndObserver {
public:
    // `colour`: write ANSI colours.
    ZMsgConsole(std::FILE* out, std::FILE* err, bool colour);

    // Whether rows to `out` are coloured: a terminal, and NO_COLOR not set.
    static bool ColourWanted(std::FILE* out);
    // The line written for one row, with its colour codes when `colour`.
    static std::string RowLine(const std::string& row, bool colour);

    void RowsAppended(std::span<const std::string> rows) override;
    void StatusChanged(const std::string& text) override;
    // Writes the box and returns the Escape answer.
    ZMsgAnswer MessageBox(const std::string& text, ZMsgButtons buttons);
    // The prompts of console mode: message boxes as above, no file names or folders.
    ZMsgPrompt Prompt();

private:
    std::FILE* out_;
    std::FILE* err_;
    bool colour_;
};
