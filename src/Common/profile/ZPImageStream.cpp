#include "Common/profile/ZPImageStream.h"

#include <stdexcept>

#include "Common/MemFile.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPProfileHeader.h"

namespace {

class Writer {
public:
    void U8(std::uint8_t value) { bytes_.push_back(value); }
    void U16(std::uint16_t value) {
        U8(static_cast<std::uint8_t>(value >> 8));
        U8(static_cast<std::uint8_t>(value));
    }
    void U32(std::uint32_t value) {
        U16(static_cast<std::uint16_t>(value >> 16));
        U16(static_cast<std::uint16_t>(value));
    }
    void Text(const std::string& text) {
        U16(static_cast<std::uint16_t>(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
    }
    void Bytes(std::span<const std::uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }
    void PatchU32(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes_[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
    std::size_t Size() const { return bytes_.size(); }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

// Reading past the end throws; the stream reader turns that into "Internal Corruption".
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t U8() {
        Need(1);
        return bytes_[at_++];
    }
    std::uint16_t U16() {
        const std::uint16_t high = U8();
        return static_cast<std::uint16_t>((high << 8) | U8());
    }
    std::uint32_t U32() {
        const std::uint32_t high = U16();
        return (high << 16) | U16();
    }
    std::string Text() {
        const std::size_t size = U16();
        Need(size);
        std::string text(reinterpret_cast<const char*>(bytes_.data() + at_), size);
        at_ += size;
        return text;
    }
    std::span<const std::uint8_t> Take(std::size_t size) {
        Need(size);
        const auto part = bytes_.subspan(at_, size);
        at_ += size;
        return part;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    void Need(std::size_t size) const {
        if (size > bytes_.size() - at_) throw std::runtime_error("Internal Corruption");
    }
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace

// Placeholder records: the object's name, and for the header its identity and versions.
class ZPImageStreamRecords {
public:
    static void SaveHeader(const ZPProfileHeader& header, Writer& out) {
        out.Text(header.devType_);
        out.U8(header.byteOrder_);
        out.U32(header.profileAddress_);
        for (std::uint16_t value : {header.codeBranch_, header.codeVersion_, header.codeRevision_,
                                    header.fromCodeRevision_, header.profileRevision_})
            out.U16(value);
    }
    static void LoadHeader(ZPProfileHeader& header, Reader& in) {
        header.devType_ = in.Text();
        header.byteOrder_ = in.U8();
        header.profileAddress_ = in.U32();
        for (std::uint16_t* field : {&header.codeBranch_, &header.codeVersion_, &header.codeRevision_,
                                     &header.fromCodeRevision_, &header.profileRevision_})
            *field = in.U16();
    }
};

namespace {

void SaveRecord(const ZPMap& map, Writer& out) {
    out.Text(map.Name());
    if (map.Kind() == ZP_PROFILE_HEADER)
        ZPImageStreamRecords::SaveHeader(static_cast<const ZPProfileHeader&>(map), out);
}

bool LoadRecord(ZPMap& map, Reader& in) {
    map.SetName(in.Text());
    if (map.Kind() == ZP_PROFILE_HEADER)
        ZPImageStreamRecords::LoadHeader(static_cast<ZPProfileHeader&>(map), in);
    return in.AtEnd();
}

void ReadObject(Reader& in, ZPProfile& profile) {
    const std::uint32_t kind = in.U32();
    const std::uint8_t flags = in.U8();
    Reader record(in.Take(in.U32()));
    if (kind >= ZP_KIND_COUNT || kind == ZP_QTY_UNIT_DATABASE || kind == ZP_LOCAL_UNIT_DATABASE) {
        if (flags & ZP_STREAM_SKIPPABLE) return;
        throw Failure("Internal Corruption");
    }
    std::unique_ptr<ZPMap> map = profile.CreateMap(static_cast<int>(kind));
    map->SetFlags(flags & (ZP_FLAG_VIRTUAL | ZP_FLAG_LOGBOOK | ZP_FLAG_LEARNING));
    map->SetTemplate((flags & ZP_STREAM_TEMPLATE) != 0);
    if (!LoadRecord(*map, record) || !map->IsValid() || !profile.AddMap(std::move(map)))
        throw Failure("Internal Corruption");
}

}  // namespace

std::vector<std::uint8_t> ZPImageStream::Write(const ZPProfile& profile, std::uint8_t version,
                                               std::span<const std::uint8_t> tail) {
    Writer out;
    out.U8(version);
    const std::size_t tailOffsetAt = out.Size();
    if (version >= kTailVersion) out.U32(0);
    out.U32(profile.DeviceFlags());
    out.U32(static_cast<std::uint32_t>(profile.Maps().size()));
    for (const auto& map : profile.Maps()) {
        out.U32(static_cast<std::uint32_t>(map->Kind()));
        out.U8(static_cast<std::uint8_t>(map->Flags() | (map->IsTemplate() ? ZP_STREAM_TEMPLATE : 0)));
        const std::size_t lengthAt = out.Size();
        out.U32(0);
        SaveRecord(*map, out);
        out.PatchU32(lengthAt, static_cast<std::uint32_t>(out.Size() - lengthAt - 4));
    }
    if (version >= kTailVersion) {
        out.PatchU32(tailOffsetAt, static_cast<std::uint32_t>(out.Size()));
        out.Bytes(tail);
    }
    return out.Take();
}

bool ZPImageStream::Read(std::span<const std::uint8_t> stream, ZPProfile& profile, MemFile* tail,
                         const Hooks& hooks, std::string& error) {
    try {
        Reader in(stream);
        const std::uint8_t version = in.U8();
        if (version < kMinVersion || version > kMaxVersion) throw Failure("Unknown main profile version");
        std::span<const std::uint8_t> objects = stream.subspan(1);
        if (version >= kTailVersion) {
            const std::uint32_t offset = in.U32();
            if (offset < 5 || offset > stream.size()) throw Failure("Internal Corruption");
            if (tail) *tail = MemFile(std::vector<unsigned char>(stream.begin() + offset, stream.end()));
            objects = stream.subspan(5, offset - 5);
        }
        Reader body(objects);
        const std::uint32_t flags = body.U32();
        if (flags & ~std::uint32_t{DF_KNOWN}) throw Failure("Unknown device flag in profile");
        profile.SetImageValues(version, flags);
        const std::uint32_t count = body.U32();
        for (std::uint32_t index = 0; index < count; ++index) {
            if (hooks.cancelled && hooks.cancelled()) throw Failure("Load cancelled");
            ReadObject(body, profile);
            if (hooks.progress) hooks.progress(static_cast<int>((std::uint64_t{index} + 1) * 100 / count));
        }
        if (!body.AtEnd() || !profile.FinishParse()) throw Failure("Internal Corruption");
        return true;
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    }
}
