#include "Common/profile/ZPEnum.h"

#include <gtest/gtest.h>

#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPSubEnum.h"
#include "Common/profile/ZPTaggedEnum.h"
#include "ProfileTestSupport.h"

namespace {

using zptest::ErrorOf;

std::vector<int> Values(const ZPEnum& e) {
    std::vector<int> values;
    for (std::size_t i = 0; i < e.Count(); ++i)
        values.push_back(e.At(i).value);
    return values;
}

TEST(ZPEnumParse, ValuesFollowThePreviousElement) {
    ZPProfile profile;
    profile.ParseText(
        "ENUM(e) { ELEMENT(A, \"a\") ELEMENT(B, \"b\", 10) ELEMENT(C, \"c\") OVERRIDABLE(TRUE) }");
    const ZPEnum* e = profile.FindEnum("e");
    ASSERT_NE(nullptr, e);
    EXPECT_EQ((std::vector<int>{0, 10, 11}), Values(*e));
    EXPECT_TRUE(e->Overridable());
    EXPECT_EQ("b", e->TextOf(10));
    EXPECT_EQ("C", e->ByValue(11)->symbol);
    EXPECT_EQ(nullptr, e->BySymbol("c"));  // symbols are case-sensitive
    EXPECT_FALSE(e->IsSimple());
}

TEST(ZPEnumParse, Messages) {
    EXPECT_EQ("A already exists\n", ErrorOf("ENUM(e) { ELEMENT(A, \"a\") ELEMENT(A, \"b\") }"));
    EXPECT_EQ("Unexpected token \";\"\n", ErrorOf("ENUM(e) { ELEMENT(A, \"a\"; }"));
    EXPECT_EQ("Unexpected token \"VALUE\"\n", ErrorOf("ENUM(e) { VALUE }"));
    EXPECT_EQ("ALTERNATE_NAMES must be at least 2 in length\n",
              ErrorOf("GLOBAL_MAP_DATABASE() { MAP(N, 1, 8) }\nENUM(e) { ALTERNATE_NAMES(N, 1) }"));
    EXPECT_EQ("Cant find \"N\" in GLOBAL_MAP_DATABASE\n", ErrorOf("ENUM(e) { ALTERNATE_NAMES(N, 2) }"));
}

TEST(ZPEnumParse, AlternateNamesMakeAnInternalRegion) {
    ZPProfile profile;
    profile.ParseText(
        "GLOBAL_MAP_DATABASE() { MAP(N, 1, 40) }\nENUM(e) { ALTERNATE_NAMES(N, 8) ELEMENT(A, \"a\") "
        "ELEMENT(B, \"b\") ELEMENT(C, \"c\") ELEMENT(D, \"d\") ELEMENT(E, \"e\") }");
    const auto* region = dynamic_cast<const ZPCalData*>(profile.Find(ZP_OPAQUE_CAL_DATA, "N"));
    ASSERT_NE(nullptr, region);
    EXPECT_EQ(40u, region->Size());
    EXPECT_TRUE(region->IsInternal());
}

TEST(ZPEnumTemplates, DerivedEnumStartsWithTheTemplateElements) {
    ZPProfile profile;
    profile.ParseText("TEMPLATE ENUM(t) { ELEMENT(A, \"a\", 5) }\nENUM(e) FROM t { ELEMENT(B, \"b\") }");
    const ZPEnum* e = profile.FindEnum("e");
    ASSERT_NE(nullptr, e);
    EXPECT_EQ((std::vector<int>{5, 6}), Values(*e));
    EXPECT_TRUE(profile.FindEnum("t")->IsTemplate());
}

TEST(ZPSubEnumParse, CopiesElementsOfItsBase) {
    const std::string base = "ENUM(b) { ELEMENT(A, \"a\") ELEMENT(B, \"b\", 7) }\n";
    ZPProfile profile;
    profile.ParseText(base + "SUB_ENUM(s) { BASE_ENUM(b) ELEMENT(B) }");
    const auto* sub = dynamic_cast<const ZPSubEnum*>(profile.FindEnum("s"));
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(profile.FindEnum("b"), sub->Base());
    ASSERT_EQ(1u, sub->Count());
    EXPECT_EQ("b", sub->At(0).text);
    EXPECT_EQ(7, sub->At(0).value);

    EXPECT_EQ("Must define BASE_ENUM before ELEMENTs\n", ErrorOf(base + "SUB_ENUM(s) { ELEMENT(A) }"));
    EXPECT_EQ("C is not menmber of ENUM(b)\n", ErrorOf(base + "SUB_ENUM(s) { BASE_ENUM(b) ELEMENT(C) }"));
}

TEST(ZPTaggedEnumParse, TagsComeFromTheTagEnum) {
    const std::string tags = "ENUM(k) { ELEMENT(K1, \"k1\") ELEMENT(K2, \"k2\") }\n";
    ZPProfile profile;
    profile.ParseText(tags + "TAGGED_ENUM(t) { TAG_ENUM(k) ELEMENT(A, \"a\", K2) ELEMENT(B, \"b\", K2, 4) }");
    const auto* tagged = dynamic_cast<const ZPTaggedEnum*>(profile.FindEnum("t"));
    ASSERT_NE(nullptr, tagged);
    EXPECT_EQ(1, tagged->At(0).tag);
    EXPECT_EQ((std::vector<int>{0, 4}), Values(*tagged));

    EXPECT_EQ("TAG_ENUM must be defined before ELEMENT\n",
              ErrorOf("TAGGED_ENUM(t) { ELEMENT(A, \"a\", K1) }"));
    EXPECT_EQ("TAG(K9) is not a member of ENUM(k)\n",
              ErrorOf(tags + "TAGGED_ENUM(t) { TAG_ENUM(k) ELEMENT(A, \"a\", K9) }"));
    EXPECT_EQ("TAG_ENUM not defined\n", [] {
        ZPProfile p;
        p.ParseText("TAGGED_ENUM(t) { }");
        const std::string& e = p.Errors()[0];
        return e.substr(e.find(" - ") + 3);
    }());
    ZPProfile unique;
    EXPECT_FALSE(unique.ParseText(
        tags + "TAGGED_ENUM(t) { TAG_ENUM(k) UNIQUE_TAGS ELEMENT(A, \"a\", K1) ELEMENT(B, \"b\", K1) }"));
    EXPECT_NE(std::string::npos, unique.Errors()[0].find("Cant use TAG(K1) more than once\n"));
}

}  // namespace
