#include "Common/profile/ZPImageKeys.h"

#include <fstream>
#include <sstream>

#include "Platform/Registry.h"

namespace {

// Published with the program: it keeps demo images opaque to casual reading, not secret.
constexpr ZPImageKeys::Key kDevelopmentKey = {
    0x5a, 0x65, 0x6c, 0x6b, 0x4d, 0x73, 0x67, 0x20, 0x64, 0x65, 0x76, 0x20, 0x6b, 0x65, 0x79, 0x21,
    0x3c, 0x91, 0x0e, 0xa7, 0x52, 0xd8, 0x6b, 0x14, 0xf3, 0x2e, 0x89, 0xc5, 0x70, 0x1b, 0xe6, 0x4d};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseKey(const std::string& hex, ZPImageKeys::Key& key) {
    if (hex.size() != 2 * key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const int high = HexDigit(hex[2 * i]);
        const int low = HexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        key[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

}  // namespace

ZPImageKeys::ZPImageKeys() {
    keys_[kDevelopmentKeyId] = kDevelopmentKey;
}

ZPImageKeys ZPImageKeys::Installed() {
    ZPImageKeys keys;
    const auto key = zk::RegKey::Open(zk::RegHive::CurrentUser, "Software\\Zelkor");
    const auto value = key ? key->QueryValue("ProfileKeyFile") : std::nullopt;
    if (!value || value->type != zk::REG_SZ) return keys;
    const std::string path = zk::RegStringFromBytes(value->data);
    std::string error;
    if (!path.empty()) keys.AddKeyFile(path, error);
    return keys;
}

bool ZPImageKeys::AddKeyFile(const std::string& path, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "Cant open key file \"" + path + "\"";
        return false;
    }
    std::map<std::uint8_t, Key> found;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string content = line.substr(0, line.find('#'));
        std::istringstream words(content);
        std::string idText;
        std::string hex;
        std::string extra;
        if (!(words >> idText)) continue;
        Key key{};
        char* end = nullptr;
        const long id = std::strtol(idText.c_str(), &end, 10);
        if (*end != '\0' || id < 1 || id > 255 || !(words >> hex) || (words >> extra) ||
            !ParseKey(hex, key)) {
            error = path + " line " + std::to_string(number) + ": expected a key id 1..255 and 64 hex digits";
            return false;
        }
        found[static_cast<std::uint8_t>(id)] = key;
    }
    keys_.insert(found.begin(), found.end());
    return true;
}

void ZPImageKeys::Add(std::uint8_t id, const Key& key) {
    keys_[id] = key;
}

const ZPImageKeys::Key* ZPImageKeys::Find(std::uint8_t id) const {
    const auto it = keys_.find(id);
    return it == keys_.end() ? nullptr : &it->second;
}
