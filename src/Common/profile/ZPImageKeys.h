#pragma once
// The keys that open the cipher envelope of profile images, by key id.
//
// Key id 0 is the built-in development key that our demo and test images use. Further keys come from a key
// file, named by the setting "ProfileKeyFile" (REG_SZ, HKEY_CURRENT_USER\Software\Zelkor): one key per line,
//
//     # comment
//     7  0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef
//
// a key id 1..255 and 32 key bytes as 64 hexadecimal digits. A file key never replaces the development key.

#include <array>
#include <cstdint>
#include <map>
#include <string>

class ZPImageKeys {
public:
    using Key = std::array<std::uint8_t, 32>;
    static constexpr std::uint8_t kDevelopmentKeyId = 0;

    // Only the development key.
    ZPImageKeys();

    // The development key plus the keys of the file named by the setting, when there is one. A key file that
    // does not read leaves only the development key.
    static ZPImageKeys Installed();

    // Adds the keys of `path`; false with `error` (file and line) when the file cannot be read or a line is
    // bad, and then no key of the file is added.
    bool AddKeyFile(const std::string& path, std::string& error);
    void Add(std::uint8_t id, const Key& key);
    // The key of `id`, or null.
    const Key* Find(std::uint8_t id) const;

private:
    std::map<std::uint8_t, Key> keys_;
};
