#include "Gui/ZKGlobalOptions.h"

#include "Common/ZKRegistry.h"
#include "Gui/ZKControl.h"
#include "Gui/ZKGDI.h"

namespace {

constexpr const char* kLocalValue = "GlobalSettingsAppliedLocally";
constexpr const char* kBlackOnWhiteValue = "NEWGUI";
constexpr const char* kColourBlindValue = "ColorBlind";
constexpr const char* kReverseFolderOrderValue = "ReverseFolderOrder";
constexpr const char* kFloatingFocusValue = "FloatingFocus";

}  // namespace

ZKGlobalOptions::~ZKGlobalOptions() {
    if (!installed_) return;
    ZKGDI::SetOptionsSource(nullptr);
    ZKControl::SetFloatingFocusSource(nullptr);
}

void ZKGlobalOptions::Install() {
    installed_ = true;
    ZKGDI::SetOptionsSource([this] { return ZKSchemeOptions{blackOnWhite_, colourBlind_}; });
    ZKControl::SetFloatingFocusSource([this] { return floatingFocus_; });
}

bool ZKGlobalOptions::ReadFlag(bool local, const char* name, bool defaultValue) const {
    std::uint32_t value = 0;
    const bool read = local ? registry_.GetAppDWord(name, value) : registry_.GetCompanyDWord(name, value);
    return read ? value != 0 : defaultValue;
}

void ZKGlobalOptions::Reload() {
    local_ = ReadFlag(true, kLocalValue, false);
    blackOnWhite_ = ReadFlag(local_, kBlackOnWhiteValue, true);
    colourBlind_ = ReadFlag(local_, kColourBlindValue, false);
    reverseFolderOrder_ = ReadFlag(local_, kReverseFolderOrderValue, false);
    floatingFocus_ = ReadFlag(local_, kFloatingFocusValue, false);
}

ZKGlobalOptions::Flags ZKGlobalOptions::ReadShared() const {
    return {false, ReadFlag(false, kBlackOnWhiteValue, true), ReadFlag(false, kColourBlindValue, false),
            ReadFlag(false, kReverseFolderOrderValue, false), ReadFlag(false, kFloatingFocusValue, false)};
}

bool ZKGlobalOptions::Apply(const Flags& chosen) {
    // Taken before the first write: each notice reloads the flags in memory.
    const Flags current = Current();
    const bool localChanged = chosen.local != current.local;
    bool ok = !localChanged || SetLocal(chosen.local);
    struct Step {
        bool Flags::*flag;
        bool (ZKGlobalOptions::*set)(bool local, bool value);
    };
    static constexpr Step kSteps[] = {{&Flags::blackOnWhite, &ZKGlobalOptions::SetBlackOnWhite},
                                      {&Flags::colourBlind, &ZKGlobalOptions::SetColourBlind},
                                      {&Flags::reverseFolderOrder, &ZKGlobalOptions::SetReverseFolderOrder},
                                      {&Flags::floatingFocus, &ZKGlobalOptions::SetFloatingFocus}};
    for (const Step& step : kSteps)
        if (localChanged || chosen.*step.flag != current.*step.flag)
            ok = (this->*step.set)(chosen.local, chosen.*step.flag) && ok;
    return ok;
}

bool ZKGlobalOptions::SetLocal(bool local) {
    if (local) return registry_.SetAppDWord(kLocalValue, 1);
    // Values that are not there need no deleting; the result tells whether the local copies are gone.
    bool ok = true;
    for (const char* name : {kLocalValue, kBlackOnWhiteValue, kColourBlindValue, kReverseFolderOrderValue,
                             kFloatingFocusValue}) {
        std::uint32_t ignored = 0;
        if (registry_.DeleteAppValue(name)) continue;
        if (registry_.GetAppDWord(name, ignored)) ok = false;
    }
    return ok;
}

bool ZKGlobalOptions::WriteFlag(bool local, const char* name, Option option, bool value) {
    const std::uint32_t stored = value ? 1 : 0;
    const bool written =
        local ? registry_.SetAppDWord(name, stored) : registry_.SetCompanyDWord(name, stored);
    if (notifier_) notifier_(option, local);
    return written;
}

bool ZKGlobalOptions::SetBlackOnWhite(bool local, bool value) {
    return WriteFlag(local, kBlackOnWhiteValue, Option::kBlackOnWhite, value);
}

bool ZKGlobalOptions::SetColourBlind(bool local, bool value) {
    return WriteFlag(local, kColourBlindValue, Option::kColourBlind, value);
}

bool ZKGlobalOptions::SetReverseFolderOrder(bool local, bool value) {
    return WriteFlag(local, kReverseFolderOrderValue, Option::kReverseFolderOrder, value);
}

bool ZKGlobalOptions::SetFloatingFocus(bool local, bool value) {
    return WriteFlag(local, kFloatingFocusValue, Option::kFloatingFocus, value);
}
