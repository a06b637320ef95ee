// The text entry dialogs: typing into the field, Enter and Escape, and the file name dialog's "OK" that is
// enabled exactly for valid names.
#include "Gui/ZKTextEditDialog.h"

#include "DialogTestSupport.h"
#include "Gui/ZKFileNameDialog.h"
#include "Platform/Input.h"

namespace {

using namespace zk;
using zktest::GuiWindowTest;
using zktest::StandInOwner;

class TextEditDialogTest : public GuiWindowTest {
protected:
    StandInOwner owner;

    void SetUp() override {
        GuiWindowTest::SetUp();
        ShowWindow(parent, SW_HIDE);
    }
    int Run(ZKTextEditDialog& dialog, std::function<void()> step) {
        owner.Later(std::move(step));
        const int result = dialog.DoModal();
        Pump();
        return result;
    }
    static void Type(const std::string& text) {
        for (const char ch : text)
            input::Char(static_cast<unsigned char>(ch));
    }
};

TEST_F(TextEditDialogTest, TypedTextIsReturnedWithEnterAndEscapeCancels) {
    ZKTextEditDialog dialog(owner.MainWindow(), "Enter a name\nfor the log", "log");
    EXPECT_EQ(1, Run(dialog, [] {
                  Type(".txt");
                  input::KeyPress(VK_RETURN, '\r');
              }));
    EXPECT_EQ("log.txt", dialog.Text());
    EXPECT_TRUE(owner.Stack().empty());

    ZKTextEditDialog cancelled(owner.MainWindow(), "Enter a name", "log");
    EXPECT_EQ(0, Run(cancelled, [] {
                  Type("x");
                  input::KeyPress(VK_ESCAPE, 0x1B);
              }));
}

TEST_F(TextEditDialogTest, AFieldForANumberIsSizedForItsDigitsAndHoldsNoMore) {
    ZKTextEditDialog dialog(owner.MainWindow(), "Port", std::uint16_t{4});
    Rect field;
    EXPECT_EQ(1, Run(dialog, [&] {
                  field = GetWindowRect(dialog.Edit().Window());
                  Type("123456");
                  input::KeyPress(VK_RETURN, '\r');
              }));
    EXPECT_EQ("1234", dialog.Text());
    EXPECT_GE(field.Width(), ZKTextEditDialog::kMinEditWidth);
}

TEST_F(TextEditDialogTest, OkOfTheFileNameDialogIsEnabledExactlyForValidNames) {
    ZKFileNameDialog dialog(owner.MainWindow(), "Enter filename", "");
    std::vector<bool> enabled;
    const auto look = [&] {
        Pump();
        enabled.push_back(dialog.OkButton().Enabled());
    };
    EXPECT_EQ(0, Run(dialog, [&] {
                  look();  // empty
                  Type("COM3");
                  look();
                  Type(".txt");
                  look();
                  input::KeyPress(VK_BACK, '\b');
                  input::KeyPress(VK_BACK, '\b');
                  input::KeyPress(VK_BACK, '\b');
                  look();                            // "COM3."
                  input::KeyPress(VK_RETURN, '\r');  // refused: the dialog stays
                  look();
                  input::KeyPress(VK_ESCAPE, 0x1B);
              }));
    EXPECT_EQ((std::vector<bool>{false, false, true, false, false}), enabled);

    ZKFileNameDialog accepted(owner.MainWindow(), "Enter filename", "");
    EXPECT_EQ(1, Run(accepted, [&] {
                  Type("nul");
                  input::KeyPress(VK_RETURN, '\r');
              }));
    EXPECT_EQ("nul", accepted.Text());
}

}  // namespace
