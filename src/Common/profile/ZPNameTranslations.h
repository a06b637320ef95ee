#pragma once
// The user's own names and redefinitions for the objects of a profile, kept in the calibration region named
// by the header's RENAMING_DEFINITIONS (the internal OPAQUE_CAL_DATA "UserSensorDefinitions").
//
// Region, 32-bit big-endian words:
//
//     0  format, 1        4  compressed size C        8  text size T
//    12  C bytes of zlib data, then zero bytes; the region's last word is its check word
//
// A region of zero bytes only holds no translations. Otherwise the region is a whole number of words and
// checks to zero with the check-word rule of profile images, and the data inflates to the text of one
// section:
//
//     USER_DEFINE {
//         FLAGS(USER_ITEM_NAMES, USER_ERROR_NAMES)      // USER_ITEM_NAMES, USER_MAP_NAMES, USER_MENU_NAMES,
//                                                       // USER_ERROR_NAMES, USER_ENUM_STRINGS
//         ITEM_RENAME(EngineSpeed, "Crank speed")       // ITEM, new name
//         ITEM_REDEFINE(OilPressure, 0.5, -10)          // ITEM, new scale and offset
//         ITEM_REDEFINE_DELTA(OilPressure, 1.02, 0.3)   // ITEM, factor on its scale, addition to its offset
//         UNIT_GROUP(OilPressure, UgPressure)           // ITEM, a UNIT_GROUP
//         REPRESENTATION(OilPressure, RepBar)           // ITEM, a REPRESENTATION
//         MAP_CELL(IdleSpeedTarget, Word16)             // calibratable map, a MAP_CELL
//         MAP_CELL_DELTA(IdleSpeedTarget, 1.0, 50)      // calibratable map, factor and addition
//         MAP_NAME(IdleSpeedTarget, "Idle target")      // calibratable map, new name
//         MENU_NAME("Engine", "Motor")                  // a menu title, new title
//         ERROR_SOURCE(SRC_OIL_PRESSURE, "Oil sender")  // GLOBAL_ERROR_DATABASE source, new name
//         ENUM_STRING(eRunMode, MODE_LIMP, "Limp")      // enumeration, element, new text
//     }
//
// Every keyword names the object it changes, which must exist. The translations are kept beside the profile;
// callers that show a name ask here first.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

class ZPProfile;

class ZPNameTranslations {
public:
    enum Flag : std::uint32_t {
        USER_ITEM_NAMES = 1,
        USER_MAP_NAMES = 2,
        USER_MENU_NAMES = 4,
        USER_ERROR_NAMES = 8,
        USER_ENUM_STRINGS = 16
    };
    struct Scaling {
        double scale = 1;
        double offset = 0;
        bool delta = false;  // factor and addition on the object's own scaling
    };

    // Reads `region` against `profile`. False with `error` ("bad crc", "Renaming cal : size mismatch",
    // "Renaming cal : could not read", ...); the section's own message, when there is one, is in `detail`.
    bool Read(const ZPProfile& profile, std::span<const std::uint8_t> region, std::string& error,
              std::string* detail = nullptr);
    // Writes the translations into the profile's region, sized as UserSensorDefinitions: "Renaming cal does
    // not exist" without one, "Renaming cal : too big" when the compressed text does not fit, "Renaming cal :
    // could not write" when the text cannot be made.
    bool Write(const ZPProfile& profile, std::vector<std::uint8_t>& region, std::string& error) const;
    // A region of `regionSize` bytes holding `text` (the format above); errors as Write.
    static bool Pack(const std::string& text, std::size_t regionSize, std::vector<std::uint8_t>& region,
                     std::string& error);
    // The text of the USER_DEFINE section (empty without translations).
    std::string Text() const;
    bool Empty() const;
    void Clear() { *this = ZPNameTranslations(); }

    std::uint32_t Flags() const { return flags_; }
    // The user's name for an object, or null when it has none.
    const std::string* ItemName(const std::string& item) const { return Lookup(itemNames_, item); }
    const std::string* MapName(const std::string& map) const { return Lookup(mapNames_, map); }
    const std::string* MenuName(const std::string& title) const { return Lookup(menuNames_, title); }
    const std::string* ErrorSourceName(const std::string& symbol) const {
        return Lookup(errorSources_, symbol);
    }
    const std::string* EnumString(const std::string& enumName, const std::string& element) const {
        return Lookup(enumStrings_, enumName + "\n" + element);
    }
    const Scaling* ItemScaling(const std::string& item) const;
    const Scaling* MapCellScaling(const std::string& map) const;
    const std::string* ItemUnitGroup(const std::string& item) const { return Lookup(unitGroups_, item); }
    const std::string* ItemRepresentation(const std::string& item) const {
        return Lookup(representations_, item);
    }
    const std::string* MapCell(const std::string& map) const { return Lookup(mapCells_, map); }

    // Setters for the program's own edits; Write stores them.
    void SetFlags(std::uint32_t flags) { flags_ = flags; }
    void SetItemName(const std::string& item, const std::string& name) { itemNames_[item] = name; }
    void SetErrorSourceName(const std::string& symbol, const std::string& name) {
        errorSources_[symbol] = name;
    }
    void SetEnumString(const std::string& enumName, const std::string& element, const std::string& text) {
        enumStrings_[enumName + "\n" + element] = text;
    }

private:
    friend class ZPUserDefineParser;
    using Names = std::map<std::string, std::string>;
    static const std::string* Lookup(const Names& names, const std::string& key) {
        const auto it = names.find(key);
        return it == names.end() ? nullptr : &it->second;
    }

    std::uint32_t flags_ = 0;
    Names itemNames_;
    Names mapNames_;
    Names menuNames_;
    Names errorSources_;
    Names enumStrings_;  // "enum\nelement"
    Names unitGroups_;
    Names representations_;
    Names mapCells_;
    std::map<std::string, Scaling> itemScalings_;
    std::map<std::string, Scaling> mapCellScalings_;
};
