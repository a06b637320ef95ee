#pragma once
// Profile images for the image tests: a small valid profile, its image, and ways to spoil one.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "Common/profile/ZKProfilePlus.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPImageLoader.h"
#include "Common/profile/ZPImageStream.h"
#include "Common/profile/ZPImageWriter.h"

namespace zptest {

using Bytes = std::vector<std::uint8_t>;

// A valid profile of `helps` HELP blocks besides what every profile needs.
inline std::string SmallProfile(int helps = 3) {
    std::string text =
        "GLOBAL_ID_DATABASE() { ID(ID_A, 1) }\n"
        "GLOBAL_UNIT_DATABASE() { UNIT(U_V, \"V\") }\n"
        "GLOBAL_QTY_DATABASE() { QTY(Q_V, \"Voltage\", U_V) }\n"
        "GLOBAL_MAP_DATABASE() { }\n"
        "PROFILE_HEADER() {\n"
        " DEV_TYPE(\"ZK Test\") BYTE_ORDER(BIG_ENDIAN) PROFILE_ADDRESS(0x2000)\n"
        " CODE_BRANCH(1) CODE_VERSION(4) CODE_REVISION(12) FROM_CODE_REVISION(10) PROFILE_REVISION(3)\n"
        "}\n"
        "MENU(Root) { TITLE(\"Test\") }\n";
    for (int i = 0; i < helps; ++i)
        text += "HELP(Help" + std::to_string(i) + ") { TEXT(\"help text " + std::to_string(i) + "\") }\n";
    return text;
}

inline void ParseOrFail(ZPProfile& profile, const std::string& text) {
    if (!profile.ParseText(text, "t.txt")) throw std::runtime_error(ZPProfile::FormatList(profile.Errors()));
}

inline ZPImageIdentity IdentityOf(const std::string& text) {
    ZPProfile profile;
    ParseOrFail(profile, text);
    return *ZPImageWriter::IdentityOf(profile);
}

// The object stream of a profile text.
inline Bytes StreamOf(const std::string& text, std::uint8_t version = ZPImageStream::kMaxVersion) {
    ZPProfile profile;
    ParseOrFail(profile, text);
    return ZPImageStream::Write(profile, version);
}

inline Bytes ImageOf(const std::string& text = SmallProfile()) {
    return ZPImageWriter::Build(IdentityOf(text), StreamOf(text));
}

// Loads `image` into a fresh profile; the error text, or "" on success.
inline std::string LoadError(std::span<const std::uint8_t> image, ZKProfilePlus* into = nullptr) {
    ZKProfilePlus local;
    std::string error;
    return ZPImageLoader::Load(image, into ? *into : local, {}, error, ZPImageKeys()) ? std::string() : error;
}

inline void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

}  // namespace zptest
