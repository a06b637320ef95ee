#include "Common/profile/ZPImageLoader.h"

#include <gtest/gtest.h>

#include "Common/profile/ZPImageCompression.h"
#include "Common/profile/ZPImageEnvelope.h"
#include "Common/profile/ZPProfileHeader.h"
#include "ImageTestSupport.h"

using namespace zptest;

namespace {

constexpr std::size_t kEnvelopeAt = ZPImageIdentity::kHeaderSize;

// An image of exactly `size` bytes around zero payload bytes (envelope format 0).
Bytes ImageOfSize(std::size_t size) {
    return IdentityOf(SmallProfile()).BuildImage(Bytes(size - ZPImageIdentity::kHeaderSize - 4, 0));
}

// The image of an object stream given byte by byte.
Bytes ImageOfStream(const Bytes& stream) {
    return ZPImageWriter::Build(IdentityOf(SmallProfile()), stream);
}

// Changes one byte and seals the check word again.
Bytes Patched(Bytes image, std::size_t at, std::uint8_t value) {
    image[at] = value;
    ZPImageIdentity::Seal(image);
    return image;
}

}  // namespace

TEST(ZPImageLoader, LoadsACompiledImageWithItsHeader) {
    ZKProfilePlus profile;
    ASSERT_EQ("", LoadError(ImageOf(), &profile));
    ASSERT_NE(nullptr, profile.Header());
    EXPECT_EQ("ZK Test", profile.Header()->DevType());
    EXPECT_EQ(12, profile.Header()->CodeRevision());
    EXPECT_EQ(ZPImageStream::kMaxVersion, profile.MainVersion());
    EXPECT_EQ(3u, profile.MapsOfKind(ZP_HELP).size());
}

TEST(ZPImageLoader, SizeChecksComeFirst) {
    Bytes image = ImageOf();
    Bytes notMod4 = image;
    PutU32(notMod4, 8, static_cast<std::uint32_t>(0x2000 + image.size()));  // one byte longer
    EXPECT_EQ("invalid size - not mod 4", LoadError(notMod4));

    EXPECT_EQ("invalid size - too big", LoadError(ImageOfSize(ZPImageLoader::kMaxImageSize + 4)));
    // Exactly the limit passes the size and check word checks and fails only at the envelope.
    EXPECT_EQ("Decryption Error 2", LoadError(ImageOfSize(ZPImageLoader::kMaxImageSize)));
}

TEST(ZPImageLoader, CheckWordThenHeaderFormat) {
    Bytes badCrc = ImageOf();
    badCrc[kEnvelopeAt + 30] ^= 1;
    EXPECT_EQ("Invalid CRC", LoadError(badCrc));
    Bytes cut = ImageOf();
    cut.resize(cut.size() - 4);  // the header's size no longer matches
    EXPECT_EQ("Invalid CRC", LoadError(cut));

    EXPECT_EQ("Incompatible Profile Version", LoadError(Patched(ImageOf(), 3, 4)));   // image format 4
    EXPECT_EQ("Incompatible Profile Version", LoadError(Patched(ImageOf(), 50, 0)));  // header flag
}

TEST(ZPImageLoader, EachDecryptionErrorHasItsCondition) {
    EXPECT_EQ("Decryption Error 1", LoadError(IdentityOf(SmallProfile()).BuildImage(Bytes(32, 0))));
    EXPECT_EQ("Decryption Error 2", LoadError(Patched(ImageOf(), kEnvelopeAt, 2)));
    EXPECT_EQ("Decryption Error 3", LoadError(Patched(ImageOf(), kEnvelopeAt + 1, 9)));
    // The data length claims one byte more than the payload holds.
    const Bytes image = ImageOf();
    const std::size_t length = (image[kEnvelopeAt + 6] << 8) | image[kEnvelopeAt + 7];
    Bytes longer = image;
    PutU32(longer, kEnvelopeAt + 4, static_cast<std::uint32_t>(length + 5));
    ZPImageIdentity::Seal(longer);
    EXPECT_EQ("Decryption Error 4", LoadError(longer));
    EXPECT_EQ("Decryption Error 5",
              LoadError(Patched(image, kEnvelopeAt + 25, image[kEnvelopeAt + 25] ^ 0x40)));
    // The header is authenticated too: a changed identity value fails although the check word is good.
    EXPECT_EQ("Decryption Error 5", LoadError(Patched(image, 13, image[13] ^ 1)));
    // A key the loader does not have.
    ZPImageKeys keys;
    keys.Add(5, ZPImageKeys::Key{1, 2, 3});
    const Bytes otherKey =
        ZPImageWriter::Build(IdentityOf(SmallProfile()), StreamOf(SmallProfile()), keys, 5);
    EXPECT_EQ("Decryption Error 3", LoadError(otherKey));
}

TEST(ZPImageLoader, EachDecompressionErrorHasItsCondition) {
    const ZPImageIdentity identity = IdentityOf(SmallProfile());
    EXPECT_EQ("Decompression Error 1",
              LoadError(ZPImageWriter::BuildCompressed(identity, Bytes{0x78, 0x00, 1, 2})));
    Bytes damaged = ZPImageCompression::Deflate(StreamOf(SmallProfile()));
    damaged.back() ^= 1;  // the Adler-32
    EXPECT_EQ("Decompression Error 2", LoadError(ZPImageWriter::BuildCompressed(identity, damaged)));
    Bytes cut = ZPImageCompression::Deflate(StreamOf(SmallProfile()));
    cut.resize(cut.size() / 2);
    EXPECT_EQ("Decompression Error 2", LoadError(ZPImageWriter::BuildCompressed(identity, cut)));
    Bytes trailing = ZPImageCompression::Deflate(StreamOf(SmallProfile()));
    trailing.push_back(0);
    EXPECT_EQ("Decompression Error 2", LoadError(ZPImageWriter::BuildCompressed(identity, trailing)));
    const Bytes huge = ZPImageCompression::Deflate(Bytes(ZPImageCompression::kMaxInflated + 1, 0), 1);
    EXPECT_EQ("Decompression Error 3", LoadError(ZPImageWriter::BuildCompressed(identity, huge)));
}

TEST(ZPImageLoader, ObjectStreamFailures) {
    EXPECT_EQ("Unknown main profile version", LoadError(ImageOfStream({0, 0, 0, 0, 0, 0, 0, 0, 0})));
    EXPECT_EQ("Unknown main profile version", LoadError(ImageOfStream({7, 0, 0, 0, 0, 0, 0, 0, 0})));

    ZPProfile flagged;
    ParseOrFail(flagged, SmallProfile());
    flagged.SetImageValues(6, DF_SENSOR_ERRORS | 0x100);
    EXPECT_EQ("Unknown device flag in profile",
              LoadError(ZPImageWriter::Build(IdentityOf(SmallProfile()), ZPImageStream::Write(flagged, 3))));

    // Version 3, no device flags, one PROFILE_HEADER whose one-byte record does not load.
    const Bytes badRecord{3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, ZP_PROFILE_HEADER, 0, 0, 0, 0, 1, 0xEE};
    EXPECT_EQ("Internal Corruption", LoadError(ImageOfStream(badRecord)));
    // An unknown kind is skipped when its flag word allows it, else the load fails.
    Bytes unknown = StreamOf(SmallProfile(), 3);
    const Bytes skippable{0, 0, 0, 99, ZP_STREAM_SKIPPABLE, 0, 0, 0, 2, 0xAB, 0xCD};
    unknown.insert(unknown.end(), skippable.begin(), skippable.end());
    unknown[8]++;  // object count (after version and device flags)
    EXPECT_EQ("", LoadError(ImageOfStream(unknown)));
    unknown[unknown.size() - 7] = 0;  // the same record without the skippable flag
    EXPECT_EQ("Internal Corruption", LoadError(ImageOfStream(unknown)));
}

TEST(ZPImageLoader, HeaderMustAgreeWithTheLoadedProfile) {
    ZPImageIdentity identity = IdentityOf(SmallProfile());
    identity.profileRevision = 4;
    EXPECT_EQ("Invalid Code and Revision versions",
              LoadError(ZPImageWriter::Build(identity, StreamOf(SmallProfile()))));
}

TEST(ZPImageLoader, TailOfAVersion4StreamIsKeptApart) {
    ZPProfile source;
    ParseOrFail(source, SmallProfile());
    const Bytes tail{1, 2, 3, 4, 5};
    ZKProfilePlus profile;
    ASSERT_EQ(
        "", LoadError(ZPImageWriter::Build(IdentityOf(SmallProfile()), ZPImageStream::Write(source, 4, tail)),
                      &profile));
    EXPECT_EQ(tail, Bytes(profile.Tail().Bytes().begin(), profile.Tail().Bytes().end()));
}
