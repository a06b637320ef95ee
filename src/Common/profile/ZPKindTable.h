#pragma once
// The kind table: one row per object kind with everything the profile needs to know about it.
//
// A row gives the kind's keyword (its block keyword in the text form, its name in messages), the factory of
// its objects, its traits and, for the kinds read by the generic block (ZPOpenMap), the keyword grammar of
// the body. For those kinds the grammar is also the record of the object stream: each entry is written as its
// grammar index and its arguments by their signature. The kinds with a class of their own (enumerations, the
// map, error and header blocks, the calibratable maps) parse, save and load in that class; their row names it
// through the factory. A new kind is one new row (and a class when the generic block does not fit).

#include <cstdint>
#include <memory>
#include <span>

class ZPMap;
class ZPProfile;

enum ZPKindTrait : unsigned {
    ZPK_SINGLETON = 1u << 0,      // at most one per profile, kept in a singleton slot
    ZPK_ENUM = 1u << 1,           // an enumeration kind
    ZPK_REFERENCABLE = 1u << 2,   // other blocks may name it
    ZPK_TEMPLATABLE = 1u << 3,    // may be a TEMPLATE and derived FROM one
    ZPK_GLOBAL_MAP_ID = 1u << 4,  // its name is a GLOBAL_MAP_DATABASE entry (stored in the calibration)
    ZPK_DATABASE = 1u << 5,       // an unnamed block "KEYWORD() {", named after its keyword
    ZPK_CALIBRATABLE = 1u << 6,   // a calibratable map the root menu must list
    ZPK_UNIT_SECTION = 1u << 7,   // parsed into the GLOBAL_UNIT_DATABASE, never an object of its own
};

// One keyword of a generic block. Signature letters: L label, S quoted string, I integer, R real, E a word of
// `words`, W a word list "( ... )"; an empty signature is a flag without arguments. A record-only keyword is
// never read from the text: it stands for entries another block adds (the unit sections' QTY_UNIT).
struct ZPKeywordSpec {
    const char* keyword;
    const char* signature;
    const char* const* words = nullptr;
    int wordCount = 0;
    bool recordOnly = false;
};

using ZPMapFactory = std::unique_ptr<ZPMap> (*)(ZPProfile* profile, int kind);

struct ZPKindInfo {
    const char* keyword;
    ZPMapFactory create;
    unsigned traits;
    std::span<const ZPKeywordSpec> grammar;  // generic blocks only; empty for the kinds with a class

    bool Has(ZPKindTrait trait) const { return (traits & trait) != 0; }
};

// The row of `kind`; a code outside 0..40 answers a row with keyword "?", no factory and no traits.
const ZPKindInfo& ZPKindInfoOf(int kind);
