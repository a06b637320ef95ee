#include "Gui/ZKFileBrowser.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <set>
#include <utility>

#include "Common/ZKRegistry.h"
#include "Common/ZKText.h"
#include "Platform/Cp1252.h"
#include "Platform/ShellFolders.h"

namespace {

using Kind = ZKFileKind;
using Clock = std::chrono::steady_clock;

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string ParentOf(const std::string& folder) {
    const std::size_t slash = folder.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The real path of a link's target; empty when it leads nowhere.
std::string Resolved(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

bool MayOpen(const std::string& folder) {
    return ::access(folder.c_str(), R_OK | X_OK) == 0;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

// One entry of a folder as the choosers see it: a folder, a file, or nothing (hidden, a dangling link, a
// socket or the like). Links are followed to their targets.
struct Found {
    Kind kind = Kind::None;
    std::string path;
};

Found Classify(const std::string& folder, const dirent& e) {
    const std::string name = e.d_name;
    if (name.empty() || name[0] == '.') return {};
    std::string path = Join(folder, name);
    unsigned char type = e.d_type;
    if (type == DT_LNK || type == DT_UNKNOWN) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return {};
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        if (e.d_type == DT_LNK) path = Resolved(path);
        if (path.empty()) return {};
    }
    if (type == DT_DIR) return {MayOpen(path) ? Kind::Folder : Kind::LockedFolder, std::move(path)};
    if (type == DT_REG) return {Kind::File, std::move(path)};
    return {};
}

bool LabelLess(const ZKFileEntry& a, const ZKFileEntry& b) {
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    const auto& x = a.label;
    const auto& y = b.label;
    const auto [ix, iy] = std::mismatch(x.begin(), x.end(), y.begin(), y.end(), [&](char p, char q) {
        return lower(static_cast<unsigned char>(p)) == lower(static_cast<unsigned char>(q));
    });
    if (ix == x.end() || iy == y.end()) return ix == x.end() && (iy != y.end() || x < y);
    return lower(static_cast<unsigned char>(*ix)) < lower(static_cast<unsigned char>(*iy));
}

std::vector<std::string> MountedDrives() {
    std::vector<std::string> drives{"/"};
    std::unique_ptr<FILE, decltype(&std::fclose)> mounts(std::fopen("/proc/self/mounts", "r"), &std::fclose);
    if (!mounts) return drives;
    char device[4096];
    char point[4096];
    while (std::fscanf(mounts.get(), "%4095s %4095s %*[^\n]", device, point) == 2) {
        const std::string p = point;
        if (p.starts_with("/media/") || p.starts_with("/mnt/") || p.starts_with("/run/media/"))
            drives.push_back(p);
    }
    return drives;
}

}  // namespace

ZKFileBrowserSettings ZKFileBrowserSettings::FromRegistry(ZKRegistry& registry, bool reverseFolderOrder) {
    ZKFileBrowserSettings settings;
    registry.GetWorkingDirectory(settings.workingDirectory);
    registry.GetRecentFiles(settings.recentFiles);
    std::uint32_t timeout = 0;
    registry.GetChooseFileTimeout(timeout);
    settings.searchTimeout = std::chrono::milliseconds(timeout);
    settings.reverseFolderOrder = reverseFolderOrder;
    return settings;
}

ZKFileBrowser::ZKFileBrowser(Mode mode, ZKFileBrowserSettings settings)
    : mode_(mode), settings_(std::move(settings)) {
    Refill();
}

std::string ZKFileBrowser::Label(const std::string& name) {
    return ZKIsUtf8(name) ? zk::Cp1252FromUtf8(name) : name;
}

bool ZKFileBrowser::Browse(const std::string& folder) {
    const std::string path = WithoutTrailingSlash(folder);
    if (path.empty() || path[0] != '/' || !MayOpen(path)) return false;
    Dir dir(::opendir(path.c_str()));
    if (!dir) return false;
    dir.reset();
    place_ = Place::Folder;
    folder_ = path;
    Refill();
    return true;
}

void ZKFileBrowser::ShowDrives() {
    place_ = Place::Drives;
    folder_.clear();
    Refill();
}

void ZKFileBrowser::ShowRecent() {
    place_ = Place::Recent;
    folder_.clear();
    Refill();
}

void ZKFileBrowser::ShowFound(std::vector<ZKFileEntry> found) {
    place_ = Place::Found;
    found_ = std::move(found);
    Refill();
}

void ZKFileBrowser::AddFixedRows() {
    if (mode_ == Mode::Folders && place_ == Place::Folder) {
        rows_.push_back({"SELECT", folder_, Kind::Select});
        rows_.push_back({"CREATE", folder_, Kind::Create});
    }
    rows_.push_back({"DESKTOP", "", Kind::Desktop});
    if (!settings_.workingDirectory.empty())
        rows_.push_back({"WORKING DIRECTORY", settings_.workingDirectory, Kind::WorkingDirectory});
    rows_.push_back({"RECENT FILES", "", Kind::RecentFiles});
    if (place_ == Place::Folder) rows_.push_back({"SEARCH", folder_, Kind::Search});
}

void ZKFileBrowser::Refill() {
    rows_.clear();
    AddFixedRows();
    if (place_ == Place::Drives) {
        for (const std::string& drive : MountedDrives())
            rows_.push_back({Label(drive), drive, Kind::Drive});
        return;
    }
    if (place_ == Place::Recent) {
        std::set<std::string> seen;
        for (const std::string& file : settings_.recentFiles) {
            struct stat st {};
            if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            const std::string path = mode_ == Mode::Files ? file : ParentOf(file);
            if (!seen.insert(path).second) continue;
            rows_.push_back({Label(path), path, mode_ == Mode::Files ? Kind::File : Kind::Folder});
        }
        return;
    }
    if (place_ == Place::Found) {
        rows_.push_back({"..", folder_, Kind::Parent});
        rows_.insert(rows_.end(), found_.begin(), found_.end());
        return;
    }
    rows_.push_back({"..", folder_ == "/" ? std::string() : ParentOf(folder_), Kind::Parent});
    std::vector<ZKFileEntry> folders;
    std::vector<ZKFileEntry> files;
    if (Dir dir{::opendir(folder_.c_str())}) {
        while (const dirent* e = ::readdir(dir.get())) {
            Found found = Classify(folder_, *e);
            if (found.kind == Kind::None || (found.kind == Kind::File && mode_ == Mode::Folders)) continue;
            auto& to = found.kind == Kind::File ? files : folders;
            to.push_back({Label(e->d_name), std::move(found.path), found.kind});
        }
    }
    std::sort(folders.begin(), folders.end(), LabelLess);
    if (settings_.reverseFolderOrder) std::reverse(folders.begin(), folders.end());
    std::sort(files.begin(), files.end(), LabelLess);
    std::move(folders.begin(), folders.end(), std::back_inserter(rows_));
    std::move(files.begin(), files.end(), std::back_inserter(rows_));
}

ZKFileBrowser::Outcome ZKFileBrowser::Open(const ZKFileEntry& row) {
    const auto browsed = [](bool ok) { return ok ? Outcome::Browsed : Outcome::Refused; };
    switch (row.kind) {
        case Kind::Select:
            chosen_ = folder_;
            return Outcome::Chosen;
        case Kind::Create:
            return Outcome::Create;
        case Kind::Search:
            return Outcome::Search;
        case Kind::Desktop:
            return browsed(Browse(zk::DesktopFolder()));
        case Kind::RecentFiles:
            ShowRecent();
            return Outcome::Browsed;
        case Kind::Parent:
            if (row.path.empty()) {
                ShowDrives();
                return Outcome::Browsed;
            }
            return browsed(Browse(row.path));
        case Kind::WorkingDirectory:
        case Kind::Drive:
        case Kind::Folder:
            return browsed(Browse(row.path));
        case Kind::File:
            chosen_ = row.path;
            return Outcome::Chosen;
        case Kind::LockedFolder:
        case Kind::None:
            break;
    }
    return Outcome::Refused;
}

ZKFileBrowser::CreateResult ZKFileBrowser::CreateFolder(const std::string& name) {
    CreateResult result;
    result.path = Join(folder_, name);
    const bool plainName =
        !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
    const int error = place_ != Place::Folder || !plainName     ? EINVAL
                      : ::mkdir(result.path.c_str(), 0777) == 0 ? 0
                                                                : errno;
    if (error == EEXIST) {
        result.status = CreateResult::Status::Exists;
        result.message = "Error\nDirectory already exists";
    } else if (error != 0) {
        result.status = CreateResult::Status::Failed;
        result.message = "Cannot create :\n" + result.path;
    } else {
        result.status = CreateResult::Status::Created;
        Browse(result.path);
    }
    return result;
}

ZKFileBrowser::SearchResult ZKFileBrowser::Search() const {
    SearchResult result;
    if (place_ != Place::Folder) return result;
    const Clock::time_point deadline = Clock::now() + settings_.searchTimeout;
    // Folders still to walk, with the name they are shown by (relative to the shown folder). A folder that
    // links lead to twice is walked once.
    struct Pending {
        std::string path;
        std::string shown;
    };
    std::vector<Pending> pending{{folder_, ""}};
    std::set<std::pair<dev_t, ino_t>> walked;
    while (!pending.empty()) {
        const Pending at = std::move(pending.back());
        pending.pop_back();
        struct stat st {};
        if (::stat(at.path.c_str(), &st) != 0 || !walked.insert({st.st_dev, st.st_ino}).second) continue;
        Dir dir{::opendir(at.path.c_str())};
        while (dir && Clock::now() < deadline) {
            const dirent* e = ::readdir(dir.get());
            if (!e) break;
            Found found = Classify(at.path, *e);
            if (found.kind == Kind::None) continue;
            std::string shown = at.shown.empty() ? e->d_name : at.shown + "/" + e->d_name;
            if (found.kind == Kind::Folder) pending.push_back({found.path, shown});
            if ((found.kind == Kind::File) != (mode_ == Mode::Files)) continue;
            result.found.push_back({Label(shown), std::move(found.path), found.kind});
        }
        if (Clock::now() >= deadline) {
            result.found.clear();
            result.message = kSearchFailed;
            return result;
        }
    }
    std::sort(result.found.begin(), result.found.end(), LabelLess);
    result.completed = true;
    return result;
}
