#pragma once
// Loads a profile image into a profile, with the checks in this order, each failing with its own text:
//
//     size (end - start + 1) a whole number of words     "invalid size - not mod 4"
//     size at most 1,000,000 bytes                        "invalid size - too big"
//     the image is that size and its check word is good  "Invalid CRC"
//     header format (magic, format 3, header size, flags) "Incompatible Profile Version"
//     the cipher envelope                                 "Decryption Error 1" .. "Decryption Error 5"
//     zlib                                                "Decompression Error 1" .. "Decompression Error 3"
//     the object stream                                   "Unknown main profile version",
//                                                         "Unknown device flag in profile", "Internal
//                                                         Corruption", "Load cancelled"
//     the loaded header's code branch, version and revisions equal the image header's
//                                                         "Invalid Code and Revision versions"
//
// A failed load leaves the target partly filled; callers discard it.

#include <cstdint>
#include <span>
#include <string>

#include "Common/profile/ZPImageKeys.h"
#include "Common/profile/ZPImageStream.h"

class ZKProfilePlus;

class ZPImageLoader {
public:
    static constexpr std::size_t kMaxImageSize = 1000000;

    // Empties `profile` and loads `image` into it (the trailing section of a version 4+ stream into its
    // tail).
    static bool Load(std::span<const std::uint8_t> image, ZKProfilePlus& profile,
                     const ZPImageStream::Hooks& hooks, std::string& error,
                     const ZPImageKeys& keys = ZPImageKeys::Installed());
};
