#include "Common/profile/ZPLocalErrorDB.h"

#include <gtest/gtest.h>

#include "ProfileTestSupport.h"

namespace {

using zptest::ErrorOf;

const std::string kGlobal =
    "GLOBAL_ERROR_DATABASE() {\n"
    " SOURCE(1, S1, \"One\") SOURCE(2, S2, \"Two\") SOURCE(3, S3, \"Three\")\n"
    " CAUSE(1, C1, \"Short\") CAUSE(2, C2, \"Open\")\n"
    "}\n";

std::string Local(const std::string& body) {
    return kGlobal + "LOCAL_ERROR_DATABASE() {\n" + body + "\n}\n";
}

TEST(ZPLocalErrorDBParse, GroupsListSourcesAndCauseBits) {
    ZPProfile profile;
    profile.ParseText(
        Local("CAUSE(10, L1, \"Stuck\")\n"
              "GROUP(G1, \"First\") { SOURCES(S1, S3) CAUSES(C2, L1, C1) }\n"
              "GROUP(G2, \"Second\") { SOURCES(S2) }"));
    const ZPLocalErrorDB* db = profile.LocalErrorDB();
    ASSERT_NE(nullptr, db);
    ASSERT_EQ(2u, db->Groups().size());
    const auto& group = db->Groups()[0];
    EXPECT_EQ("First", group.name);
    ASSERT_EQ(2u, group.sources.size());
    EXPECT_EQ("S3", group.sources[1]->symbol);
    ASSERT_EQ(3u, group.causes.size());
    EXPECT_EQ(1, group.CauseBit(db->Causes()[0].get()));
    EXPECT_EQ(2, group.CauseBit(profile.GlobalErrorDB()->Causes()[0].get()));
    EXPECT_EQ(-1, db->Groups()[1].CauseBit(db->Causes()[0].get()));
}

TEST(ZPLocalErrorDBParse, CauseAndSourceMessages) {
    EXPECT_EQ("GLOBAL_ERROR_DB not defined\n", ErrorOf("LOCAL_ERROR_DATABASE() { }"));
    EXPECT_EQ("CAUSE ID 1 is duplicated\n", ErrorOf(Local("CAUSE(1, L1, \"x\")")));
    EXPECT_EQ("CAUSE SYMBOL L1 is duplicated\n", ErrorOf(Local("CAUSE(10, L1, \"x\") CAUSE(11, L1, \"y\")")));
    EXPECT_EQ("Cant find CAUSE(L1)\n", ErrorOf(Local("GROUP(G, \"g\") { CAUSES(L1) } CAUSE(10, L1, \"x\")")));
    EXPECT_EQ("SOURCE(S1) alread used in this group\n",
              ErrorOf(Local("GROUP(G, \"g\") { SOURCES(S1, S1) }")));
    EXPECT_EQ("SOURCE(S1) alread used in GROUP(G)\n",
              ErrorOf(Local("GROUP(G, \"g\") { SOURCES(S1) } GROUP(H, \"h\") { SOURCES(S2, S1) }")));
    EXPECT_EQ("Cant find SOURCE())\n", ErrorOf(Local("GROUP(G, \"g\") { SOURCES() }")));
    EXPECT_EQ("Unexpected token \"S2\"\n", ErrorOf(Local("GROUP(G, \"g\") { SOURCES(S1 S2) }")));
    EXPECT_EQ("Unexpected token \"OTHER\"\n", ErrorOf(Local("GROUP(G, \"g\") { OTHER }")));
    EXPECT_EQ("GROUP(G) parsed OK but is not valid\n", ErrorOf(Local("GROUP(G, \"\") { }")));
}

TEST(ZPLocalErrorDBClone, GroupsReferToTheCopiedLocalCauses) {
    ZPProfile profile;
    profile.ParseText(Local("CAUSE(10, L1, \"Stuck\") GROUP(G1, \"First\") { SOURCES(S1) CAUSES(C1, L1) }"));
    const ZPLocalErrorDB* original = profile.LocalErrorDB();
    ASSERT_NE(nullptr, original);
    auto copy = original->Clone();
    const auto& db = static_cast<const ZPLocalErrorDB&>(*copy);
    EXPECT_EQ(db.Causes()[0].get(), db.Groups()[0].causes[1]);
    EXPECT_EQ(original->Groups()[0].causes[0], db.Groups()[0].causes[0]);  // global record shared
    EXPECT_EQ(original->Groups()[0].sources[0], db.Groups()[0].sources[0]);
}

}  // namespace
