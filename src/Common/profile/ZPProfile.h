#pragma once
// One device profile: every object of one software version of one device type.
//
// The profile owns its objects in definition order and keeps, per kind, a non-owning list for lookups by kind
// and name, plus the singleton slots (databases, header, data logging, root menu, logbook maps). It is filled
// from the text form through the ParsableFile machinery it derives from: the first error stops the parse and
// stays in the error list with its position.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Common/ParsableFile.h"
#include "Common/profile/ZPMap.h"

class ZPOpenMap;
class ZPGlobalMapDB;
class ZPGlobalErrorDB;
class ZPLocalErrorDB;
class ZPProfileHeader;
class ZPEnum;

class ZPProfile : public ParsableFile {
public:
    // Checks the text of a pin condition; true when it compiles, else false with a message. The default
    // compiles it with the expression language against the profile's items and enumeration elements; an
    // empty checker keeps conditions unchecked.
    using ConditionChecker = std::function<bool(const std::string& condition, std::string& message)>;

    // Deeper MENU nesting fails the parse.
    static constexpr int kMaxMenuDepth = 32;

    ZPProfile();
    ~ZPProfile() override;
    ZPProfile(const ZPProfile&) = delete;
    ZPProfile& operator=(const ZPProfile&) = delete;

    // Parses the whole text form from the current source (an open file or SetSourceText), then resolves the
    // references and runs the whole-profile validity check. True when all of that passed.
    bool Parse();
    // Opens `path` and parses it; a file that cannot be opened fails with "Cant open \"%s\"\n".
    bool ParseFile(const std::string& path);
    // Parses `text`; `fileName` appears in the messages.
    bool ParseText(std::string text, const std::string& fileName = {});

    // The whole-profile validity check; the first failure is added to the error list without position.
    bool IsValid();

    // Removes every object; the messages stay.
    void Clear();
    // Takes every object and slot of `source`, which is left empty.
    void TakeFrom(ZPProfile& source);

    // Adds an object at the end of the definition order, with its kind list and slot. False (and the object
    // is destroyed) when its singleton slot is taken.
    bool AddMap(std::unique_ptr<ZPMap> map);
    // The object of that kind and name (first defined), or null.
    ZPMap* Find(int kind, const std::string& name) const;
    // Any enumeration kind of that name, or null.
    ZPEnum* FindEnum(const std::string& name) const;
    // A reference to a referencable object: not found, not valid and template are failures, reported when
    // `report` is set; a found object's use count is raised when `countUse` is set.
    ZPMap* FindReference(int kind, const std::string& name, bool countUse, bool report);

    const std::vector<std::unique_ptr<ZPMap>>& Maps() const { return maps_; }
    const std::vector<ZPMap*>& MapsOfKind(int kind) const;
    ZPMap* Singleton(int kind) const;

    ZPOpenMap* GlobalIdDB() const;
    ZPOpenMap* GlobalUnitDB() const;
    ZPOpenMap* GlobalQtyDB() const;
    ZPGlobalMapDB* GlobalMapDB() const;
    ZPGlobalErrorDB* GlobalErrorDB() const;
    ZPLocalErrorDB* LocalErrorDB() const;
    ZPProfileHeader* Header() const;
    ZPOpenMap* RootMenu() const;

    // A calibratable map (DIMENSION, BREAKPOINTS, MODE_SELECT, STRATEGY, OPAQUE_CAL_DATA) of that name.
    ZPMap* FindCalibratable(const std::string& name) const;
    // Set once an item index enumeration has been built; a later ITEM block then fails with `message`.
    void SetItemIndexEnumBuilt(const char* message) { itemIndexMessage_ = message; }

    void SetConditionChecker(ConditionChecker checker) { conditionChecker_ = std::move(checker); }
    const ConditionChecker& GetConditionChecker() const { return conditionChecker_; }

    // Image-form values, kept for the image loader.
    std::uint8_t MainVersion() const { return mainVersion_; }
    std::uint32_t DeviceFlags() const { return deviceFlags_; }
    void SetImageValues(std::uint8_t mainVersion, std::uint32_t deviceFlags) {
        mainVersion_ = mainVersion;
        deviceFlags_ = deviceFlags;
    }

    // A new, empty object of `kind` belonging to this profile (not yet added).
    std::unique_ptr<ZPMap> CreateMap(int kind);
    // Resolves the references of every object, as at the end of the text form; false with the message.
    bool FinishParse();

    // What the parser understood, in the stable text form of `zkprofile dump`.
    std::string Dump() const;

    // Nesting depth of the MENU block being parsed; blocks use it to cap recursion.
    int& MenuDepth() { return menuDepth_; }

private:
    bool ParseTopLevel();
    bool ParseBlock(const std::string& keyword, bool isTemplate, std::uint8_t flags);
    bool ParseUnitSection(int kind);
    bool CreateItemEnums();
    bool AddParsed(std::unique_ptr<ZPMap> map);
    ZPMap* FindWithTrait(unsigned trait, const std::string& name) const;
    bool CreatePinAssignmentMaps();
    bool CheckLogbookSlots();
    bool FinishRenamingGroups();
    bool CheckOpModeDashes();
    bool CheckMenu();
    bool CheckObjects();
    bool CheckIoFunctionGroups();

    std::vector<std::unique_ptr<ZPMap>> maps_;
    std::array<std::vector<ZPMap*>, ZP_KIND_COUNT> byKind_;
    std::array<std::unordered_map<std::string, ZPMap*>, ZP_KIND_COUNT> byName_;
    std::array<ZPMap*, ZP_KIND_COUNT> singletons_{};
    bool qtyUnitsDefined_ = false;
    bool localUnitsDefined_ = false;
    const char* itemIndexMessage_ = nullptr;
    int menuDepth_ = 0;
    std::uint8_t mainVersion_ = 0;
    std::uint32_t deviceFlags_ = 0;
    ConditionChecker conditionChecker_;
};
