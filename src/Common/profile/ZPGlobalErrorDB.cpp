#include "Common/profile/ZPGlobalErrorDB.h"

#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPRecord.h"

const ZPErrorInfo* ZPFindErrorInfo(const ZPErrorInfoList& list, const std::string& symbol) {
    for (const auto& info : list)
        if (info->symbol == symbol) return info.get();
    return nullptr;
}

const ZPErrorInfo* ZPFindErrorInfo(const ZPErrorInfoList& list, std::uint16_t id) {
    for (const auto& info : list)
        if (info->id == id) return info.get();
    return nullptr;
}

const ZPErrorInfo* ZPGlobalErrorDB::ReferenceCause() const {
    for (const auto& cause : causes_)
        if (cause->id == 1 || cause->id == 50000) return cause.get();
    return nullptr;
}

namespace zp_error {

std::unique_ptr<ZPErrorInfo> ReadErrorInfo(ZPProfile& profile) {
    ParsableArgs args;
    if (!args.Char('(').Int().Char(',').Label().Char(',').String().Char(')').Read(profile)) return nullptr;
    auto info = std::make_unique<ZPErrorInfo>();
    info->id = static_cast<std::uint16_t>(args[1].integer);
    info->symbol = args[3].text;
    info->name = args[5].text;
    if (info->id >= 50000 && info->id <= 54999)
        profile.AddWarning("ERROR_INFO(%s) ID(%u) is in MIRDEN range 50000..54999\n", info->symbol.c_str(),
                           static_cast<unsigned>(info->id));
    return info;
}

bool CheckDuplicate(ZPProfile& profile, const ZPErrorInfoList& list, const ZPErrorInfo& info,
                    const char* what) {
    for (const auto& other : list) {
        if (other->id == info.id) {
            profile.AddError("%s ID %u is duplicated\n", what, static_cast<unsigned>(info.id));
            return false;
        }
        if (other->symbol == info.symbol) {
            profile.AddError("%s SYMBOL %s is duplicated\n", what, info.symbol.c_str());
            return false;
        }
        if (other->name == info.name) {
            profile.AddError("%s NAME %s is duplicated\n", what, info.name.c_str());
            return false;
        }
    }
    return true;
}

void DumpInfo(std::string& out, const char* keyword, const ZPErrorInfo& info) {
    out += std::string("  ") + keyword + "(" + std::to_string(info.id) + ", " + info.symbol + ", \"" +
           info.name + "\")\n";
}

ZPErrorInfoList CopyList(const ZPErrorInfoList& list) {
    ZPErrorInfoList copy;
    for (const auto& info : list)
        copy.push_back(std::make_unique<ZPErrorInfo>(*info));
    return copy;
}

void SaveList(ZPRecordWriter& out, const ZPErrorInfoList& list) {
    out.Count(list.size());
    for (const auto& info : list) {
        out.U16(info->id);
        out.String(info->symbol);
        out.String(info->name);
    }
}

bool LoadList(ZPRecordReader& in, ZPErrorInfoList& list, const ZPErrorInfoList* others) {
    list.clear();
    const std::size_t count = in.Count(10);
    for (std::size_t i = 0; i < count && in.Ok(); ++i) {
        auto info = std::make_unique<ZPErrorInfo>();
        info->id = in.U16();
        info->symbol = in.String();
        info->name = in.String();
        if (ZPFindErrorInfo(list, info->id) || (others && ZPFindErrorInfo(*others, info->id))) return false;
        list.push_back(std::move(info));
    }
    return in.Ok();
}

}  // namespace zp_error

ZPGlobalErrorDB::ZPGlobalErrorDB(const ZPGlobalErrorDB& other)
    : ZPMap(other),
      sources_(zp_error::CopyList(other.sources_)),
      causes_(zp_error::CopyList(other.causes_)) {}

ZPMap::KeywordResult ZPGlobalErrorDB::ParseKeyword(const std::string& token) {
    const bool source = token == "SOURCE";
    if (!source && token != "CAUSE") return KeywordResult::Unknown;
    auto info = zp_error::ReadErrorInfo(P());
    if (!info) return KeywordResult::Failed;
    ZPErrorInfoList& list = source ? sources_ : causes_;
    if (!zp_error::CheckDuplicate(P(), list, *info, source ? "SOURCE" : "CAUSE"))
        return KeywordResult::Failed;
    list.push_back(std::move(info));
    return KeywordResult::Handled;
}

void ZPGlobalErrorDB::ReportInvalid() {
    P().AddError("GLOBAL_ERROR_DATABASE parsed OK but is not valid\n");
}

void ZPGlobalErrorDB::Dump(std::string& out) const {
    for (const auto& info : sources_)
        zp_error::DumpInfo(out, "SOURCE", *info);
    for (const auto& info : causes_)
        zp_error::DumpInfo(out, "CAUSE", *info);
}

// Record: the name, the sources, the causes (each a record list of zp_error::SaveList).
void ZPGlobalErrorDB::Save(ZPRecordWriter& out) const {
    ZPMap::Save(out);
    zp_error::SaveList(out, sources_);
    zp_error::SaveList(out, causes_);
}

bool ZPGlobalErrorDB::Load(ZPRecordReader& in) {
    return ZPMap::Load(in) && Name() == Keyword() && zp_error::LoadList(in, sources_) &&
           zp_error::LoadList(in, causes_);
}
