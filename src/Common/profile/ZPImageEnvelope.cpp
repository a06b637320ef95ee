#include "Common/profile/ZPImageEnvelope.h"

#include <cryptopp/aes.h>
#include <cryptopp/gcm.h>
#include <cryptopp/sha.h>

#include <algorithm>

#include "Common/profile/ZPImageKeys.h"

namespace {

constexpr std::size_t kNonceSize = 12;

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

}  // namespace

std::vector<std::uint8_t> ZPImageEnvelope::Seal(std::span<const std::uint8_t> header,
                                                std::span<const std::uint8_t> data, const ZPImageKeys& keys,
                                                std::uint8_t keyId) {
    const ZPImageKeys::Key* key = keys.Find(keyId);
    std::vector<std::uint8_t> envelope(kOverhead + data.size(), 0);
    envelope[0] = kFormat;
    envelope[1] = keyId;
    const auto length = static_cast<std::uint32_t>(data.size());
    for (int i = 0; i < 4; ++i)
        envelope[4 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));

    std::uint8_t digest[CryptoPP::SHA256::DIGESTSIZE];
    CryptoPP::SHA256 sha;
    sha.Update(header.data(), header.size());
    sha.Update(data.data(), data.size());
    sha.Final(digest);
    std::copy_n(digest, kNonceSize, envelope.begin() + 8);

    CryptoPP::GCM<CryptoPP::AES>::Encryption cipher;
    cipher.SetKeyWithIV(key->data(), key->size(), envelope.data() + 8, kNonceSize);
    cipher.EncryptAndAuthenticate(envelope.data() + kHeaderSize, envelope.data() + kHeaderSize + data.size(),
                                  kTagSize, envelope.data() + 8, kNonceSize, header.data(), header.size(),
                                  data.data(), data.size());
    return envelope;
}

bool ZPImageEnvelope::Open(std::span<const std::uint8_t> header, std::span<const std::uint8_t> payload,
                           const ZPImageKeys& keys, std::vector<std::uint8_t>& data, std::string& error) {
    auto fail = [&error](const char* text) {
        error = text;
        return false;
    };
    if (payload.size() < kOverhead) return fail("Decryption Error 1");
    if (payload[0] != kFormat || payload[2] != 0 || payload[3] != 0) return fail("Decryption Error 2");
    const ZPImageKeys::Key* key = keys.Find(payload[1]);
    if (!key) return fail("Decryption Error 3");
    const std::uint64_t length = U32(payload, 4);
    const std::size_t room = payload.size() - kOverhead;
    if (length > room || room - length > 3 ||
        std::any_of(payload.begin() + static_cast<std::ptrdiff_t>(kOverhead + length), payload.end(),
                    [](std::uint8_t b) { return b != 0; }))
        return fail("Decryption Error 4");
    data.resize(length);
    CryptoPP::GCM<CryptoPP::AES>::Decryption cipher;
    cipher.SetKeyWithIV(key->data(), key->size(), payload.data() + 8, kNonceSize);
    const std::uint8_t* enciphered = payload.data() + kHeaderSize;
    if (!cipher.DecryptAndVerify(data.data(), enciphered + length, kTagSize, payload.data() + 8, kNonceSize,
                                 header.data(), header.size(), enciphered, length)) {
        data.clear();
        return fail("Decryption Error 5");
    }
    return true;
}
