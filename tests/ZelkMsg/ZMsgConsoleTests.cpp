#include "ZelkMsg/ZMsgConsole.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

std::string Read(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, n);
    return text;
}

TEST(ZMsgConsole, RowsArePlainTextColouredOnlyWhenAsked) {
    EXPECT_EQ("DEVICE : ECU-M4 #1201", ZMsgConsole::RowLine("$cgDEVICE :$tECU-M4 #1201", false));
    EXPECT_EQ("\x1b[32mDEVICE : ECU-M4 #1201\x1b[0m",
              ZMsgConsole::RowLine("$cgDEVICE :$tECU-M4 #1201", true));
    EXPECT_EQ("\x1b[31mOil low\x1b[0m", ZMsgConsole::RowLine("$crOil low", true));
    EXPECT_EQ("Idle", ZMsgConsole::RowLine("$cwIdle", true));
}

TEST(ZMsgConsole, ColourNeedsATerminalAndNoNoColour) {
    std::FILE* file = std::tmpfile();
    EXPECT_FALSE(ZMsgConsole::ColourWanted(file));
    std::fclose(file);
    zktest::ScopedEnv noColour("NO_COLOR", "1");
    EXPECT_FALSE(ZMsgConsole::ColourWanted(stdout));
}

TEST(ZMsgConsole, StatusAndMessageBoxesGoToErrorsWithTheEscapeAnswer) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ZMsgConsole console(out, err, false);
    const std::string rows[] = {"", "$cwa", "$crb"};
    console.RowsAppended(rows);
    console.StatusChanged("OFFLINE Searching....");
    EXPECT_EQ(ZMsgAnswer::No, console.MessageBox("lost\nrestart?", ZMsgButtons::YesNo));
    EXPECT_EQ(ZMsgAnswer::Ok, console.Prompt().messageBox("Log written to \"x\"", ZMsgButtons::Ok, 0));
    EXPECT_EQ("\na\nb\n", Read(out));
    EXPECT_EQ(
        "[status] OFFLINE Searching....\n[message] lost restart? -> No\n[message] Log written to \"x\" -> "
        "OK\n",
        Read(err));
    std::fclose(out);
    std::fclose(err);
}

}  // namespace
