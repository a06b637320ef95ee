#include "ZelkMsg/ZMsgLogText.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

using Extension = ZMsgLogText::Extension;

TEST(ZMsgLogText, AlarmMarksTurnARowRedOnlyAfterSomeText) {
    EXPECT_EQ("$cwIdle speed 850 rpm", ZMsgLogText::DeviceMessageRow("Idle speed 850 rpm"));
    EXPECT_EQ("$crOil pressure low", ZMsgLogText::DeviceMessageRow("Oil pressure low!!"));
    EXPECT_EQ("$crA", ZMsgLogText::DeviceMessageRow("A!!"));
    EXPECT_EQ("$cw!!", ZMsgLogText::DeviceMessageRow("!!"));
    EXPECT_EQ("$cw!", ZMsgLogText::DeviceMessageRow("!"));
    EXPECT_EQ("$cr!", ZMsgLogText::DeviceMessageRow("!!!"));
    EXPECT_EQ("$cwwarn!! later", ZMsgLogText::DeviceMessageRow("warn!! later"));
    // Codes inside a device message stay, so they take effect in the log.
    EXPECT_EQ("$cwa$cgb", ZMsgLogText::DeviceMessageRow("a$cgb"));
}

TEST(ZMsgLogText, LineFeedsAreRemovedAfterTheAlarmTest) {
    EXPECT_EQ("$cwtwolines", ZMsgLogText::DeviceMessageRow("two\nlines\n"));
    EXPECT_EQ("$cralarm", ZMsgLogText::DeviceMessageRow("al\narm!!"));
    // The marks must end the text: a line feed after them leaves the row white.
    EXPECT_EQ("$cwalarm!!", ZMsgLogText::DeviceMessageRow("alarm!!\n"));
}

TEST(ZMsgLogText, PlainTextDropsTheColourCodeAndShowsTabsAsColonBlank) {
    EXPECT_EQ("DEVICE : ECU-M4 #1201", ZMsgLogText::PlainText("$cgDEVICE :$tECU-M4 #1201"));
    EXPECT_EQ("Oil pressure low", ZMsgLogText::PlainText("$crOil pressure low"));
    EXPECT_EQ("", ZMsgLogText::PlainText(""));
    EXPECT_EQ("ab", ZMsgLogText::PlainText("ab"));  // too short to carry a colour code
    EXPECT_EQ("a: b: c$tx$cg", ZMsgLogText::PlainText("$cwa:$tb:$tc$tx$cg"));
    EXPECT_EQ("one\ntwo\n\n", ZMsgLogText::JoinPlainText({"$cwone", "$crtwo", ""}));
}

TEST(ZMsgLogText, SaveAddsTxtUnlessPresentAndSaveToAlways) {
    EXPECT_EQ("/logs/ECU-M4#1201.txt", ZMsgLogText::SavePath("/logs/", "ECU-M4#1201", Extension::IfMissing));
    EXPECT_EQ("/logs/run.TxT", ZMsgLogText::SavePath("/logs/", "run.TxT", Extension::IfMissing));
    EXPECT_EQ("run.txt.txt", ZMsgLogText::SavePath("", "run.txt", Extension::Always));
    // The working directory is followed directly by the name.
    EXPECT_EQ("/logsrun.txt", ZMsgLogText::SavePath("/logs", "run", Extension::IfMissing));
    // A path of four characters is never taken for a name with its extension.
    EXPECT_EQ(".txt.txt", ZMsgLogText::SavePath("", ".txt", Extension::IfMissing));
    EXPECT_EQ("a.txt", ZMsgLogText::SavePath("", "a.txt", Extension::IfMissing));
    EXPECT_EQ("ECU-M4#1201", ZMsgLogText::DefaultFileName("ECU-M4", 1201));
}

TEST(ZMsgLogText, FileHoldsOnePlainLinePerRowWithCarriageReturns) {
    zktest::TempDir dir;
    const std::string path = dir.File("log.txt");
    zktest::WriteWholeFile(path, "old content that is longer than the new one\r\n");
    ASSERT_TRUE(ZMsgLogText::WriteFile(path, {"", "$cgDEVICE :$tPDU-16 #77", "$crhot"}));
    EXPECT_EQ("\r\nDEVICE : PDU-16 #77\r\nhot\r\n", zktest::ReadWholeFile(path));
    EXPECT_FALSE(ZMsgLogText::WriteFile(dir.File("missing/folder/log.txt"), {"$cwx"}));
}

}  // namespace
