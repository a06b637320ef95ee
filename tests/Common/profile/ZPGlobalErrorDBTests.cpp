#include "Common/profile/ZPGlobalErrorDB.h"

#include <gtest/gtest.h>

#include "ProfileTestSupport.h"

namespace {

using zptest::ErrorOf;

std::string Global(const std::string& body) {
    return "GLOBAL_ERROR_DATABASE() {\n" + body + "\n}\n";
}

TEST(ZPGlobalErrorDBParse, SourcesAndCausesInOrder) {
    ZPProfile profile;
    profile.ParseText(Global("SOURCE(1, S1, \"One\") CAUSE(7, C1, \"Short\") SOURCE(2, S2, \"Two\")"));
    const ZPGlobalErrorDB* db = profile.GlobalErrorDB();
    ASSERT_NE(nullptr, db);
    ASSERT_EQ(2u, db->Sources().size());
    EXPECT_EQ("S2", db->Sources()[1]->symbol);
    EXPECT_EQ("Two", db->Sources()[1]->name);
    ASSERT_EQ(1u, db->Causes().size());
    EXPECT_EQ(7, db->Causes()[0]->id);
    EXPECT_EQ(db->Sources()[1].get(), ZPFindErrorInfo(db->Sources(), std::string("S2")));
    EXPECT_EQ(db->Sources()[0].get(), ZPFindErrorInfo(db->Sources(), std::uint16_t{1}));
    EXPECT_EQ(nullptr, ZPFindErrorInfo(db->Causes(), std::string("S1")));
}

TEST(ZPGlobalErrorDBParse, MirdenRangeOnlyWarns) {
    for (const auto& [id, warned] : {std::pair{50000, true}, {54999, true}, {49999, false}, {55000, false}}) {
        ZPProfile profile;
        profile.ParseText(Global("SOURCE(" + std::to_string(id) + ", S1, \"a\")"));
        ASSERT_NE(nullptr, profile.GlobalErrorDB()) << id;
        EXPECT_EQ(warned ? 1u : 0u, profile.Warnings().size()) << id;
        if (warned) {
            EXPECT_NE(std::string::npos,
                      profile.Warnings()[0].find("ERROR_INFO(S1) ID(" + std::to_string(id) +
                                                 ") is in MIRDEN range 50000..54999\n"));
        }
    }
}

TEST(ZPGlobalErrorDBParse, DuplicatesAreReportedIdFirst) {
    EXPECT_EQ("SOURCE ID 1 is duplicated\n", ErrorOf(Global("SOURCE(1, S1, \"a\") SOURCE(1, S1, \"b\")")));
    EXPECT_EQ("SOURCE SYMBOL S1 is duplicated\n",
              ErrorOf(Global("SOURCE(1, S1, \"a\") SOURCE(2, S1, \"a\")")));
    EXPECT_EQ("SOURCE NAME a is duplicated\n", ErrorOf(Global("SOURCE(1, S1, \"a\") SOURCE(2, S2, \"a\")")));
    EXPECT_EQ("CAUSE ID 3 is duplicated\n", ErrorOf(Global("CAUSE(3, C1, \"a\") CAUSE(3, C2, \"b\")")));
    // Sources and causes are separate lists.
    EXPECT_EQ("GLOBAL_ID_DATABASE not defined\n",
              ErrorOf(Global("SOURCE(1, S1, \"a\") CAUSE(1, S1, \"a\")")));
    EXPECT_EQ("Unexpected token \"GROUP\"\n", ErrorOf(Global("GROUP")));
    EXPECT_EQ("GLOBAL_ERROR_DATABASE already exists\n", ErrorOf(Global("") + Global("")));
}

TEST(ZPGlobalErrorDBClone, CopiesEveryRecord) {
    ZPProfile profile;
    profile.ParseText(Global("SOURCE(1, S1, \"a\") CAUSE(2, C1, \"b\")"));
    auto copy = profile.GlobalErrorDB()->Clone();
    const auto& db = static_cast<const ZPGlobalErrorDB&>(*copy);
    ASSERT_EQ(1u, db.Sources().size());
    EXPECT_NE(profile.GlobalErrorDB()->Sources()[0].get(), db.Sources()[0].get());
    EXPECT_EQ("C1", db.Causes()[0]->symbol);
}

}  // namespace
