#include "Common/profile/ZPImageIdentity.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

ZPImageIdentity SampleIdentity() {
    ZPImageIdentity id;
    id.startAddress = 0x1000;
    id.identityValue = 0x11223344;
    id.typeName = "ECU-M4";
    id.codeBranch = 3;
    id.codeVersion = 1;
    id.codeRevision = 7;
    id.fromCodeRevision = 5;
    id.profileRevision = 2;
    return id;
}

const Bytes kPayload{'A', 'B', 'C', 'D'};

}  // namespace

TEST(ZPImageIdentity, BuiltImageChecksAndGivesItsIdentityBack) {
    const Bytes image = SampleIdentity().BuildImage(kPayload);
    ASSERT_EQ(72u, image.size());  // header, one payload word, check word
    EXPECT_EQ((Bytes{0xC0, 0xDE, 0x00, 0x03, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x47}),
              Bytes(image.begin(), image.begin() + 12));
    EXPECT_EQ((Bytes{'E', 'C', 'U', '-', 'M', '4', 0}), Bytes(image.begin() + 16, image.begin() + 23));
    EXPECT_EQ((Bytes{0, 3, 0, 1, 0, 7}), Bytes(image.begin() + 52, image.begin() + 58));
    // The check word as the rule computed bit by bit gives it.
    EXPECT_EQ((Bytes{0xCD, 0xB5, 0x1A, 0xC5}), Bytes(image.end() - 4, image.end()));

    ZPImageIdentity expected = SampleIdentity();
    expected.endAddress = 0x1047;
    EXPECT_EQ(expected, ZPImageIdentity::Check(image));

    // An odd payload is padded to whole words.
    const Bytes odd = SampleIdentity().BuildImage(Bytes{1, 2, 3, 4, 5});
    EXPECT_EQ(76u, odd.size());
    EXPECT_TRUE(ZPImageIdentity::Check(odd));
}

TEST(ZPImageIdentity, DamagedOrMisdescribedImagesFail) {
    const Bytes good = SampleIdentity().BuildImage(kPayload);
    // Each case keeps the check word right, so that only the named fault can make it fail.
    const auto resealed = [&](auto change) {
        Bytes image = good;
        change(image);
        ZPImageIdentity::Seal(image);
        return image;
    };

    Bytes flipped = good;
    flipped[65] ^= 0x10;
    EXPECT_FALSE(ZPImageIdentity::Check(flipped)) << "one payload bit";
    EXPECT_FALSE(ZPImageIdentity::Check(resealed([](Bytes& b) { b[11] = 0x4B; }))) << "size field too large";
    EXPECT_FALSE(ZPImageIdentity::Check(Bytes(good.begin(), good.end() - 2))) << "not whole words";
    EXPECT_FALSE(ZPImageIdentity::Check(Bytes(good.begin(), good.begin() + 64))) << "header only";
    EXPECT_FALSE(ZPImageIdentity::Check(resealed([](Bytes& b) { b[1] = 0xDF; }))) << "magic";
    EXPECT_FALSE(ZPImageIdentity::Check(resealed([](Bytes& b) { b[3] = 2; }))) << "format";
    EXPECT_FALSE(ZPImageIdentity::Check(resealed([](Bytes& b) { b[50] = 0; }))) << "header flag";
    EXPECT_FALSE(ZPImageIdentity::Check(resealed([](Bytes& b) {
        std::fill(b.begin() + 16, b.begin() + 48, 'X');
    }))) << "unterminated type name";
    EXPECT_TRUE(ZPImageIdentity::Check(resealed([](Bytes& b) { b[62] = 9; }))) << "an unread field";
    EXPECT_FALSE(ZPImageIdentity::Check(Bytes(100, 0)));
}
