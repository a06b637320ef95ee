#pragma once
// The five process-wide display flags every toolkit control reads.
//
// The flags are shared by all of the maker's programs (company key) unless the user chose to keep them for
// this program only: "GlobalSettingsAppliedLocally" in the application key, read from there always. The
// other four come from the application key when that switch is on and from the company key otherwise.
//
// The flags in memory change only by Reload(): a setter writes the store, and the change notice that
// follows makes every program (this one included) reload.

#include <cstdint>
#include <functional>

class ZKRegistry;

class ZKGlobalOptions {
public:
    // Option numbers of the change notice.
    enum Option : std::uint32_t {
        kBlackOnWhite = 2,
        kColourBlind = 3,
        kReverseFolderOrder = 4,
        kFloatingFocus = 5,
    };
    // Called after a flag was written, with its option number and the store it went to.
    using ChangeNotifier = std::function<void(Option option, bool local)>;

    // The five flags together, as the options dialog shows and applies them.
    struct Flags {
        bool local = false;
        bool blackOnWhite = true;
        bool colourBlind = false;
        bool reverseFolderOrder = false;
        bool floatingFocus = false;
        friend bool operator==(const Flags&, const Flags&) = default;
    };

    explicit ZKGlobalOptions(ZKRegistry& registry) : registry_(registry) {}
    ~ZKGlobalOptions();
    ZKGlobalOptions(const ZKGlobalOptions&) = delete;
    ZKGlobalOptions& operator=(const ZKGlobalOptions&) = delete;

    // Puts these flags in force: from now on the colour lookup (ZKGDI) reads the scheme and the colour-blind
    // flag, and the controls the floating-mouse-focus flag, from this object, until it is destroyed. The
    // program that owns the options calls it once at start-up, after the first Reload.
    void Install();

    // Reads all five flags; a missing value gives the flag's default.
    void Reload();

    bool Local() const { return local_; }
    bool BlackOnWhite() const { return blackOnWhite_; }
    bool ColourBlind() const { return colourBlind_; }
    bool ReverseFolderOrder() const { return reverseFolderOrder_; }
    bool FloatingFocus() const { return floatingFocus_; }
    Flags Current() const {
        return {local_, blackOnWhite_, colourBlind_, reverseFolderOrder_, floatingFocus_};
    }
    // The four flags as the maker's shared key holds them now (local off), whatever this program uses.
    Flags ReadShared() const;

    // On: "GlobalSettingsAppliedLocally" = 1 in the application key. Off: the application key's own copies
    // of all five values are deleted, so the shared values apply again.
    bool SetLocal(bool local);
    // Each writes its value into the application key when `local`, else into the company key, then calls
    // the change notifier.
    bool SetBlackOnWhite(bool local, bool value);
    bool SetColourBlind(bool local, bool value);
    bool SetReverseFolderOrder(bool local, bool value);
    bool SetFloatingFocus(bool local, bool value);

    // Makes `chosen` the stored flags: a changed local switch is written first; then each of the four, in
    // option-number order, is written into the store that `chosen.local` selects (and announced) when the
    // switch changed or the flag differs from the one in force. Flags in memory change only through the
    // notices. False when a write failed.
    bool Apply(const Flags& chosen);

    void SetChangeNotifier(ChangeNotifier notifier) { notifier_ = std::move(notifier); }

private:
    bool ReadFlag(bool local, const char* name, bool defaultValue) const;
    bool WriteFlag(bool local, const char* name, Option option, bool value);

    ZKRegistry& registry_;
    ChangeNotifier notifier_;
    bool installed_ = false;
    bool local_ = false;
    bool blackOnWhite_ = true;
    bool colourBlind_ = false;
    bool reverseFolderOrder_ = false;
    bool floatingFocus_ = false;
};
