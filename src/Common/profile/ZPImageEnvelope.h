#pragma once
// The cipher envelope around the compressed object stream of a profile image: AES-256 in GCM mode, with the
// image's 64-byte header as associated data, so that a header changed after sealing fails authentication.
//
//     0   u8   envelope format, 1
//     1   u8   key id (ZPImageKeys)
//     2   u16  0
//     4   u32  length of the enciphered data (the compressed object stream)
//     8   12   nonce
//    20   ...  enciphered data
//    ...  16   authentication tag
//    ...  0..3 zero bytes to the image's next whole word
//
// Numbers are big-endian. The nonce is the first 12 bytes of SHA-256 over header and data, so that sealing
// the same profile twice gives the same image.
//
// Opening checks, in order, each failing with its own text:
//     "Decryption Error 1"  the payload is shorter than the envelope's 36 fixed bytes
//     "Decryption Error 2"  unknown envelope format (or the reserved word is not 0)
//     "Decryption Error 3"  no key with the envelope's key id
//     "Decryption Error 4"  the data length disagrees with the payload (more than it holds, or more than
//     three
//                           bytes, or non-zero bytes, after the tag)
//     "Decryption Error 5"  authentication failed (payload or header changed, wrong key)

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class ZPImageKeys;

class ZPImageEnvelope {
public:
    static constexpr std::size_t kHeaderSize = 20;
    static constexpr std::size_t kTagSize = 16;
    static constexpr std::size_t kOverhead = kHeaderSize + kTagSize;
    static constexpr std::uint8_t kFormat = 1;

    // The envelope around `data` with the key `keyId` (which `keys` must hold) and the image header `header`.
    // Its size is data.size() + kOverhead; the caller pads it to a whole word.
    static std::vector<std::uint8_t> Seal(std::span<const std::uint8_t> header,
                                          std::span<const std::uint8_t> data, const ZPImageKeys& keys,
                                          std::uint8_t keyId);

    // The enciphered data of `payload` (everything between the image header and the check word). False with
    // `error` set to one of the texts above.
    static bool Open(std::span<const std::uint8_t> header, std::span<const std::uint8_t> payload,
                     const ZPImageKeys& keys, std::vector<std::uint8_t>& data, std::string& error);
};
