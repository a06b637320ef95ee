#include "Common/profile/ZPProfileTool.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <vector>

#include "Common/profile/ZKProfilePlus.h"
#include "Common/profile/ZPImageIdentity.h"
#include "Common/profile/ZPImageLoader.h"
#include "Common/profile/ZPImageWriter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The bytes of `path`; false with a message on err for a folder or a file that cannot be read.
bool ReadBytes(const std::string& path, Bytes& bytes, std::ostream& err) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        err << "zkprofile: \"" << path << "\" is a folder, not a profile file\n";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        err << "zkprofile: cannot open \"" << path << "\"\n";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        err << "zkprofile: cannot read \"" << path << "\"\n";
        return false;
    }
    return true;
}

bool IsImage(const Bytes& bytes) {
    return bytes.size() >= 2 && bytes[0] == (ZPImageIdentity::kMagic >> 8) &&
           bytes[1] == (ZPImageIdentity::kMagic & 0xFF);
}

bool ParseText(const std::string& path, const Bytes& bytes, ZPProfile& profile) {
    return profile.ParseText(std::string(bytes.begin(), bytes.end()), path);
}

void PrintMessages(const ZPProfile& profile, std::ostream& out) {
    out << ZPProfile::FormatList(profile.Warnings()) << ZPProfile::FormatList(profile.Errors());
}

// check and dump of a text or an image.
int CheckOrDump(const ZPProfileToolOptions& options, std::ostream& out, std::ostream& err) {
    Bytes bytes;
    if (!ReadBytes(options.file, bytes, err)) return 1;
    const bool dump = options.command == "dump";
    ZKProfilePlus profile;
    if (IsImage(bytes)) {
        std::string error;
        const bool loaded = ZPImageLoader::Load(bytes, profile, {}, error);
        if (loaded && dump) out << profile.Dump();
        if (!loaded) out << error << "\n";
        return loaded ? 0 : 1;
    }
    const bool parsed = ParseText(options.file, bytes, profile);
    if (parsed && dump) out << profile.Dump();
    PrintMessages(profile, out);
    return parsed ? 0 : 1;
}

int Compile(const ZPProfileToolOptions& options, std::ostream& out, std::ostream& err) {
    if (options.output.empty()) {
        err << "zkprofile: compile needs an output file (-o IMAGE)\n";
        return 1;
    }
    Bytes bytes;
    if (!ReadBytes(options.file, bytes, err)) return 1;
    if (IsImage(bytes)) {
        err << "zkprofile: \"" << options.file << "\" is already an image\n";
        return 1;
    }
    ZPProfile profile;
    const bool parsed = ParseText(options.file, bytes, profile);
    PrintMessages(profile, out);
    if (!parsed) return 1;
    ZPImageKeys keys = ZPImageKeys::Installed();
    if (!keys.Find(options.keyId)) {
        err << "zkprofile: no key with id " << unsigned{options.keyId} << "\n";
        return 1;
    }
    const auto image = ZPImageWriter::Compile(profile, options.startAddress, keys, options.keyId);
    if (!image) {
        err << "zkprofile: the profile has no PROFILE_HEADER\n";
        return 1;
    }
    if (image->size() > ZPImageLoader::kMaxImageSize) {
        err << "zkprofile: the image would be " << image->size() << " bytes, more than "
            << ZPImageLoader::kMaxImageSize << "\n";
        return 1;
    }
    std::ofstream file(options.output, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image->data()), static_cast<std::streamsize>(image->size()));
    file.close();
    if (!file) {
        err << "zkprofile: cannot write \"" << options.output << "\"\n";
        return 1;
    }
    return 0;
}

void PrintIdentity(const ZPImageIdentity& id, std::ostream& out) {
    char line[160];
    std::snprintf(line, sizeof line, "start address: 0x%08X\nend address: 0x%08X\nidentity value: 0x%08X\n",
                  id.startAddress, id.endAddress, id.identityValue);
    out << line << "device type: " << id.typeName << "\n"
        << "code branch: " << id.codeBranch << "\ncode version: " << id.codeVersion
        << "\ncode revision: " << id.codeRevision << "\nfrom code revision: " << id.fromCodeRevision
        << "\nprofile revision: " << id.profileRevision << "\n";
}

int Inspect(const ZPProfileToolOptions& options, std::ostream& out, std::ostream& err) {
    Bytes bytes;
    if (!ReadBytes(options.file, bytes, err)) return 1;
    if (!IsImage(bytes)) {
        err << "zkprofile: \"" << options.file << "\" is not a profile image\n";
        return 1;
    }
    const auto identity = ZPImageIdentity::Check(bytes);
    out << "size: " << bytes.size() << "\nidentity: " << (identity ? "good" : "bad") << "\n";
    if (bytes.size() >= ZPImageIdentity::kHeaderSize)
        PrintIdentity(ZPImageIdentity::FromHeader(std::span<const std::uint8_t>(bytes).first(64)), out);
    ZKProfilePlus profile;
    std::string error;
    const bool loaded = ZPImageLoader::Load(bytes, profile, {}, error);
    if (loaded) {
        out << "main version: " << unsigned{profile.MainVersion()} << "\n";
        char flags[32];
        std::snprintf(flags, sizeof flags, "0x%08X", profile.DeviceFlags());
        out << "device flags: " << flags << "\ntrailing bytes: " << profile.Tail().Size() << "\n";
        out << "objects: " << profile.Maps().size() << "\n";
        for (int kind = 0; kind < ZP_KIND_COUNT; ++kind)
            if (const std::size_t count = profile.MapsOfKind(kind).size())
                out << "  " << ZPKindKeyword(kind) << ": " << count << "\n";
    }
    out << "load: " << (loaded ? std::string("OK") : error) << "\n";
    return loaded ? 0 : 1;
}

}  // namespace

int ZPRunProfileTool(const ZPProfileToolOptions& options, std::ostream& out, std::ostream& err) {
    if (options.command == "check" || options.command == "dump") return CheckOrDump(options, out, err);
    if (options.command == "compile") return Compile(options, out, err);
    if (options.command == "inspect") return Inspect(options, out, err);
    err << "zkprofile: unknown command \"" << options.command << "\"\n";
    return 1;
}
