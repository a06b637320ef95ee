#include "Common/ZKFileName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ZKFileName, OrdinaryNamesPassAndDotsAndSpacesAtTheEndsDoNot) {
    EXPECT_TRUE(ZKIsValidFileName("log.txt"));
    EXPECT_TRUE(ZKIsValidFileName("a"));
    EXPECT_TRUE(ZKIsValidFileName("what?*.log"));  // left to the file system
    EXPECT_FALSE(ZKIsValidFileName(""));
    EXPECT_FALSE(ZKIsValidFileName(".profile"));
    EXPECT_FALSE(ZKIsValidFileName("log."));
    EXPECT_FALSE(ZKIsValidFileName("log "));
    EXPECT_TRUE(ZKIsValidFileName("my log.txt"));
}

TEST(ZKFileName, ControlAndEightBitCharactersAndPathCharactersAreRefused) {
    EXPECT_FALSE(ZKIsValidFileName("a\tb"));
    EXPECT_FALSE(ZKIsValidFileName("caf\xE9"));  // code 233
    EXPECT_FALSE(ZKIsValidFileName("\x80uro"));
    EXPECT_FALSE(ZKIsValidFileName("a\x1F"));
    for (const char ch : std::string("<>:\"/\\|"))
        EXPECT_FALSE(ZKIsValidFileName(std::string("a") + ch + "b")) << ch;
    EXPECT_TRUE(
        ZKIsValidFileName("a\x7F"
                          "b"));  // DEL is not among the refused codes
}

TEST(ZKFileName, ReservedDeviceNamesAreRefusedOnlyAsTheWholeNameInCapitals) {
    for (const char* name : {"CON", "PRN", "AUX", "CLOCK$", "NUL", "COM1", "COM3", "COM9", "LPT1", "LPT9"})
        EXPECT_FALSE(ZKIsValidFileName(name)) << name;
    for (const char* name : {"nul", "Con", "COM10", "COM0", "NUL.txt", "COM1.txt", "LPT"})
        EXPECT_TRUE(ZKIsValidFileName(name)) << name;
}

}  // namespace
