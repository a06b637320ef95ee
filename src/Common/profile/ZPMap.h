#pragma once
// The common part of every profile object, and the kind table.
//
// Every object of a profile is a map of one of 41 kinds; the kind's keyword opens its block in the text form
// and names it in messages. A map parses its own block from the tokens of its owner profile, following one
// pattern: declaration, optional FROM template, a body of keywords up to "}", then its validity check.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ZPProfile;
class ZPRecordReader;
class ZPRecordWriter;

enum ZPKind : int {
    ZP_ENUM = 0,
    ZP_GLOBAL_ID_DATABASE = 1,
    ZP_GLOBAL_UNIT_DATABASE = 2,
    ZP_QTY_UNIT_DATABASE = 3,
    ZP_LOCAL_UNIT_DATABASE = 4,
    ZP_GLOBAL_QTY_DATABASE = 5,
    ZP_GLOBAL_MAP_DATABASE = 6,
    ZP_PROFILE_HEADER = 7,
    ZP_DATA_LOGGING = 8,
    ZP_PIN = 9,
    ZP_PIN_GROUP = 10,
    ZP_PIN_ASSIGNMENT_GROUP = 11,
    ZP_UNIT_GROUP = 12,
    ZP_REPRESENTATION = 13,
    ZP_MAP_CELL = 14,
    ZP_ITEM = 15,
    ZP_DIMENSION = 16,
    ZP_BREAKPOINTS = 17,
    ZP_MODE_SELECT = 18,
    ZP_STRATEGY = 19,
    ZP_OM_DASH = 20,
    ZP_MAP_DASH = 21,
    ZP_MENU = 22,
    ZP_OPAQUE_CAL_DATA = 23,
    ZP_ANALOGUE_SENSOR = 24,
    ZP_GLOBAL_ERROR_DATABASE = 25,
    ZP_LOCAL_ERROR_DATABASE = 26,
    ZP_HELP = 27,
    ZP_SUB_ENUM = 28,
    ZP_TAGGED_ENUM = 29,
    ZP_SECURE_ENUM = 30,
    ZP_FEATURE_DATABASE = 31,
    ZP_LOGBOOK_INFO = 32,
    ZP_LOGBOOK_HEADER_MENU = 33,
    ZP_LOGBOOK_ENTRY_MENU = 34,
    ZP_IOFUNCTION_REQUIREMENT_GROUP = 35,
    ZP_IOFUNCTION_SHARING_GROUP = 36,
    ZP_SECURE_TAGGED_ENUM = 37,
    ZP_RENAMING_GROUP = 38,
    ZP_CASE_SELECT_RENAMING_GROUP = 39,
    ZP_ITEM_SELECT_RENAMING_GROUP = 40,
    ZP_KIND_COUNT = 41
};

// Modifier flags given before a block.
enum ZPMapFlag : std::uint8_t { ZP_FLAG_VIRTUAL = 1, ZP_FLAG_LOGBOOK = 2, ZP_FLAG_LEARNING = 4 };

// Lookups in the kind table (ZPKindTable.h).
// The keyword of a kind, or "?" for a code outside the table.
const char* ZPKindKeyword(int kind);
// The kind of a keyword (exact, case-sensitive), or -1.
int ZPKindOfKeyword(const std::string& keyword);
// True for the kinds of which a profile holds at most one (the singleton slots).
bool ZPIsSingletonKind(int kind);
// True for the enumeration kinds (ENUM, SUB_ENUM, TAGGED_ENUM, SECURE_ENUM, SECURE_TAGGED_ENUM).
bool ZPIsEnumKind(int kind);

class ZPMap {
public:
    ZPMap(ZPProfile* profile, int kind, std::string name = {});
    virtual ~ZPMap();
    // Copies the fields, not the validity cache and not the objects the block created.
    ZPMap(const ZPMap& other);
    ZPMap& operator=(const ZPMap&) = delete;

    // The validity check; once it has passed it is not run again.
    bool IsValid();
    // Parses the block after its keyword (the keyword has been taken). False on the first error, with the
    // message in the profile's error list.
    virtual bool Parse();
    // A deep copy owned by the caller; references to other objects of the profile are shared.
    virtual std::unique_ptr<ZPMap> Clone() const = 0;
    // Resolves references that may name objects defined later; called once at the end of the file and after
    // the last object of an image.
    virtual bool ResolveReferences() { return true; }
    // Writes the object's record for the image's object stream: its name, then the fields of its kind.
    virtual void Save(ZPRecordWriter& out) const;
    // Reads the record that Save wrote; false when it is malformed or names what the profile does not hold.
    // The objects before this one are already in the profile.
    virtual bool Load(ZPRecordReader& in);
    // Appends what the parser understood, one "  " indented line per field, for `zkprofile dump`.
    virtual void Dump(std::string& out) const;

    // The kind's traits, from the kind table.
    bool IsReferencable() const;
    bool IsTemplatable() const;
    // Maps stored in the device calibration; they carry a GLOBAL_MAP_DATABASE entry.
    bool HasGlobalMapId() const;

    ZPProfile* Profile() const { return profile_; }
    void SetProfile(ZPProfile* profile) { profile_ = profile; }
    int Kind() const { return kind_; }
    const char* Keyword() const { return ZPKindKeyword(kind_); }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    bool IsTemplate() const { return template_; }
    void SetTemplate(bool isTemplate) { template_ = isTemplate; }
    std::uint8_t Flags() const { return flags_; }
    void SetFlags(std::uint8_t flags) { flags_ = flags; }
    int UseCount() const { return useCount_; }
    void AddUse() { ++useCount_; }
    // Objects made by the block itself (item index enumerations, internal calibration regions); the profile
    // adds them after the block.
    std::vector<std::unique_ptr<ZPMap>> TakeCreatedMaps() { return std::move(created_); }

protected:
    // Kind-specific validity; the common part (kind code and a non-empty name) is checked by IsValid.
    virtual bool CheckValid() { return true; }

    enum class KeywordResult { Handled, Failed, Unknown };
    // One keyword of the body; Unknown makes the body fail with "Unexpected token".
    virtual KeywordResult ParseKeyword(const std::string& /*token*/) { return KeywordResult::Unknown; }
    // Called at "}" (or end of input) before the validity check.
    virtual bool FinishBody() { return true; }
    // Adds the "parsed OK but is not valid" message.
    virtual void ReportInvalid();
    // Copies the contents of a template of the same class; false when the class cannot be templated.
    virtual bool CopyContentsFrom(const ZPMap& /*source*/) { return false; }

    // "(" label ")" and the duplicate check.
    bool ParseNamedDeclaration();
    // "(" ")" "{" and the singleton check.
    bool ParseUnnamedDeclaration();
    // "{" or "FROM" template "{".
    bool ParseBodyStart();
    // Keywords up to "}", FinishBody, then the validity check.
    bool ParseBody();
    // Named block: declaration, global map id, body start and body.
    bool ParseNamedBlock();
    // Unnamed database block: "(" ")" "{" and body.
    bool ParseUnnamedBlock() { return ParseUnnamedDeclaration() && ParseBody(); }

    // Looks `mapName` up in the GLOBAL_MAP_DATABASE and counts a use of the entry; adds the message if
    // absent.
    bool CheckGlobalMapEntry(const std::string& mapName);
    // Keeps an object made by this block for the profile.
    void AddCreatedMap(std::unique_ptr<ZPMap> map) { created_.push_back(std::move(map)); }
    const std::vector<std::unique_ptr<ZPMap>>& CreatedMaps() const { return created_; }

    ZPProfile& P() const { return *profile_; }

private:
    ZPProfile* profile_;
    int kind_;
    std::string name_;
    bool valid_ = false;
    bool template_ = false;
    std::uint8_t flags_ = 0;
    int useCount_ = 0;
    std::vector<std::unique_ptr<ZPMap>> created_;
};

// Copies one map: a helper for the Clone of classes whose members copy by value.
template <class T>
std::unique_ptr<ZPMap> ZPCloneOf(const T& map) {
    auto copy = std::unique_ptr<T>(new T(map));
    return copy;
}

// Maps that other blocks may name (the kind table says which kinds).
class ZPReferencableMap : public ZPMap {
public:
    using ZPMap::ZPMap;
};

// Maps that may be defined as a TEMPLATE and derived FROM one (the kind table says which kinds).
class ZPTemplatableMap : public ZPReferencableMap {
public:
    using ZPReferencableMap::ZPReferencableMap;
};
