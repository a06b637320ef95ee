#pragma once
// The zlib layer of a profile image (Crypto++'s ZlibCompressor and ZlibDecompressor): the object stream is
// compressed before it is enciphered and inflated after it is deciphered.
//
// Inflating fails with
//     "Decompression Error 1"  not a zlib stream: a bad header, another method than deflate, a preset
//     dictionary "Decompression Error 2"  damaged: a bad block, data cut short, a wrong Adler-32, bytes after
//     the stream "Decompression Error 3"  the inflated stream would exceed kMaxInflated bytes

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class ZPImageCompression {
public:
    // An image holds at most 1,000,000 bytes; a real object stream inflates to a few times that.
    static constexpr std::size_t kMaxInflated = 16u << 20;

    // `level` 1 (fastest) to 9 (smallest).
    static std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> data, unsigned level = 9);
    // False with `error` set to one of the texts above; `limit` lowers the cap for tests.
    static bool Inflate(std::span<const std::uint8_t> compressed, std::vector<std::uint8_t>& data,
                        std::string& error, std::size_t limit = kMaxInflated);
};
