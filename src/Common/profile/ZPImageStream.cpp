#include "Common/profile/ZPImageStream.h"

#include "Common/MemFile.h"
#include "Common/profile/ZPKindTable.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"

namespace {

constexpr std::size_t kFrameSize = 9;  // kind, flag word, record length

void PatchU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void WriteObject(const ZPMap& map, std::vector<std::uint8_t>& bytes) {
    ZPRecordWriter out(bytes);
    out.U32(static_cast<std::uint32_t>(map.Kind()));
    out.U8(static_cast<std::uint8_t>(map.Flags() | (map.IsTemplate() ? ZP_STREAM_TEMPLATE : 0)));
    const std::size_t lengthAt = bytes.size();
    out.U32(0);
    map.Save(out);
    PatchU32(bytes, lengthAt, static_cast<std::uint32_t>(bytes.size() - lengthAt - 4));
}

// One object: its frame and record. False when the object cannot be loaded; an unknown kind that may be
// skipped is passed over.
bool ReadObject(ZPRecordReader& in, ZPProfile& profile) {
    const std::uint32_t kind = in.U32();
    const std::uint8_t flags = in.U8();
    ZPRecordReader record(in.Bytes(in.U32()));
    if (!in.Ok()) return false;
    const ZPKindInfo& info = ZPKindInfoOf(kind < ZP_KIND_COUNT ? static_cast<int>(kind) : -1);
    if (!info.create || info.Has(ZPK_UNIT_SECTION)) return (flags & ZP_STREAM_SKIPPABLE) != 0;
    std::unique_ptr<ZPMap> map = profile.CreateMap(static_cast<int>(kind));
    map->SetFlags(flags & (ZP_FLAG_VIRTUAL | ZP_FLAG_LOGBOOK | ZP_FLAG_LEARNING));
    map->SetTemplate((flags & ZP_STREAM_TEMPLATE) != 0);
    if (!map->Load(record) || !record.Ok() || !record.AtEnd() || !map->IsValid()) return false;
    if (profile.Find(map->Kind(), map->Name())) return false;
    return profile.AddMap(std::move(map));
}

}  // namespace

std::vector<std::uint8_t> ZPImageStream::Write(const ZPProfile& profile, std::uint8_t version,
                                               std::span<const std::uint8_t> tail) {
    std::vector<std::uint8_t> bytes;
    ZPRecordWriter out(bytes);
    out.U8(version);
    const std::size_t tailOffsetAt = bytes.size();
    if (version >= kTailVersion) out.U32(0);
    out.U32(profile.DeviceFlags());
    out.Count(profile.Maps().size());
    for (const auto& map : profile.Maps())
        WriteObject(*map, bytes);
    if (version >= kTailVersion) {
        PatchU32(bytes, tailOffsetAt, static_cast<std::uint32_t>(bytes.size()));
        bytes.insert(bytes.end(), tail.begin(), tail.end());
    }
    return bytes;
}

bool ZPImageStream::Read(std::span<const std::uint8_t> stream, ZPProfile& profile, MemFile* tail,
                         const Hooks& hooks, std::string& error) {
    error = "Internal Corruption";
    ZPRecordReader head(stream);
    const std::uint8_t version = head.U8();
    if (!head.Ok()) return false;
    if (version < kMinVersion || version > kMaxVersion) {
        error = "Unknown main profile version";
        return false;
    }
    std::span<const std::uint8_t> objects = stream.subspan(1);
    if (version >= kTailVersion) {
        const std::uint32_t offset = head.U32();
        if (!head.Ok() || offset < 5 || offset > stream.size()) return false;
        if (tail) *tail = MemFile(std::vector<unsigned char>(stream.begin() + offset, stream.end()));
        objects = stream.subspan(5, offset - 5);
    }
    ZPRecordReader in(objects);
    const std::uint32_t flags = in.U32();
    if (!in.Ok()) return false;
    if (flags & ~std::uint32_t{DF_KNOWN}) {
        error = "Unknown device flag in profile";
        return false;
    }
    profile.SetImageValues(version, flags);
    const std::size_t count = in.Count(kFrameSize);
    if (!in.Ok()) return false;
    for (std::size_t index = 0; index < count; ++index) {
        if (hooks.cancelled && hooks.cancelled()) {
            error = "Load cancelled";
            return false;
        }
        if (!ReadObject(in, profile)) return false;
        if (hooks.progress) hooks.progress(static_cast<int>((index + 1) * 100 / count));
    }
    if (!in.AtEnd() || !profile.FinishParse()) return false;
    error.clear();
    return true;
}
