#include "Gui/ZKGlobalOptions.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Common/ZKRegistry.h"
#include "Gui/ZKControl.h"
#include "Gui/ZKGDI.h"
#include "support/TestSupport.h"

namespace {

using namespace zk;

class ZKGlobalOptionsTest : public ::testing::Test {
protected:
    std::vector<bool> Flags() {
        options_.Reload();
        return {options_.Local(), options_.BlackOnWhite(), options_.ColourBlind(),
                options_.ReverseFolderOrder(), options_.FloatingFocus()};
    }
    std::optional<RegValue> Stored(const std::string& key, const std::string& name) {
        auto opened = RegKey::Open(RegHive::CurrentUser, key);
        return opened ? opened->QueryValue(name) : std::nullopt;
    }

    zktest::TempDir dir_;
    zktest::ScopedEnv hkcu_{"ZK_HKCU_DB", dir_.File("hkcu.db")};
    zktest::ScopedEnv hklm_{"ZK_HKLM_DB", dir_.File("hklm.db")};
    ZKRegistry registry_{"ZelkMsg"};
    ZKGlobalOptions options_{registry_};
    const std::string company_ = "Software\\Zelkor";
    const std::string app_ = "Software\\Zelkor\\ZelkMsg";
};

TEST_F(ZKGlobalOptionsTest, AFreshStoreGivesTheLightSchemeAndNothingElse) {
    EXPECT_EQ((std::vector<bool>{false, true, false, false, false}), Flags());
    EXPECT_FALSE(RegKey::Open(RegHive::CurrentUser, company_)) << "reading creates nothing";
}

TEST_F(ZKGlobalOptionsTest, TheLocalSwitchChoosesWhereTheFourFlagsAreReadAndWritten) {
    std::vector<std::pair<ZKGlobalOptions::Option, bool>> notices;
    options_.SetChangeNotifier(
        [&](ZKGlobalOptions::Option option, bool local) { notices.emplace_back(option, local); });

    ASSERT_TRUE(options_.SetBlackOnWhite(false, false));
    ASSERT_TRUE(options_.SetColourBlind(false, true));
    EXPECT_EQ(RegDwordBytes(0), Stored(company_, "NEWGUI")->data);
    EXPECT_EQ((std::vector<bool>{false, false, true, false, false}), Flags());

    ASSERT_TRUE(options_.SetLocal(true));
    EXPECT_EQ((RegValue{"GlobalSettingsAppliedLocally", REG_DWORD, RegDwordBytes(1)}),
              Stored(app_, "GlobalSettingsAppliedLocally"));
    EXPECT_EQ((std::vector<bool>{true, true, false, false, false}), Flags())
        << "local values start at defaults";
    ASSERT_TRUE(options_.SetReverseFolderOrder(true, true));
    ASSERT_TRUE(options_.SetFloatingFocus(true, true));
    EXPECT_FALSE(Stored(company_, "FloatingFocus")) << "a local write stays out of the shared key";
    EXPECT_EQ((std::vector<bool>{true, true, false, true, true}), Flags());

    ASSERT_TRUE(options_.SetLocal(false));
    for (const char* name : {"GlobalSettingsAppliedLocally", "ReverseFolderOrder", "FloatingFocus"})
        EXPECT_FALSE(Stored(app_, name)) << name;
    EXPECT_EQ((std::vector<bool>{false, false, true, false, false}), Flags()) << "shared values apply again";

    const std::vector<std::pair<ZKGlobalOptions::Option, bool>> expected = {
        {ZKGlobalOptions::kBlackOnWhite, false},
        {ZKGlobalOptions::kColourBlind, false},
        {ZKGlobalOptions::kReverseFolderOrder, true},
        {ZKGlobalOptions::kFloatingFocus, true}};
    EXPECT_EQ(expected, notices);
}

TEST_F(ZKGlobalOptionsTest, ValuesOfTheWrongTypeReadAsDefaults) {
    ASSERT_TRUE(RegKey::Create(RegHive::CurrentUser, app_)->SetString("GlobalSettingsAppliedLocally", "1"));
    ASSERT_TRUE(RegKey::Create(RegHive::CurrentUser, company_)
                    ->SetValue("NEWGUI", REG_DWORD, std::vector<std::uint8_t>{0, 0}));
    ASSERT_TRUE(options_.SetColourBlind(false, true));
    EXPECT_EQ((std::vector<bool>{false, true, true, false, false}), Flags());
}

TEST_F(ZKGlobalOptionsTest, InstalledOptionsDecideTheColoursAndTheFloatingFocus) {
    const ZKColourContext screen;
    ASSERT_TRUE(options_.SetBlackOnWhite(false, false));
    ASSERT_TRUE(options_.SetColourBlind(false, true));
    ASSERT_TRUE(options_.SetFloatingFocus(false, true));
    {
        ZKGlobalOptions installed{registry_};
        installed.Reload();
        installed.Install();
        EXPECT_EQ((ZKRGB{0, 0, 0}), ZKGDI::Colour(screen, 5)) << "dark scheme background";
        EXPECT_EQ((ZKRGB{255, 128, 255}), ZKGDI::Colour(screen, 37));
        EXPECT_TRUE(ZKControl::FloatingFocus());

        ASSERT_TRUE(options_.SetBlackOnWhite(false, true));
        EXPECT_EQ((ZKRGB{0, 0, 0}), ZKGDI::Colour(screen, 5)) << "nothing changes before the reload";
        installed.Reload();
        EXPECT_EQ((ZKRGB{255, 255, 255}), ZKGDI::Colour(screen, 5));
    }
    EXPECT_EQ((ZKRGB{255, 128, 0}), ZKGDI::Colour(screen, 37))
        << "gone with the options: light, not colour-blind";
    EXPECT_FALSE(ZKControl::FloatingFocus());
}

}  // namespace
