#pragma once
// What the file and folder choosers browse, without any window: the rows of one place (a folder, the list
// of drives, the recent files) and what opening a row does. The popup file menus show these rows and ask
// the user for what a row needs (a new folder's name, a search result).
//
// Every listing starts with the fixed rows, in this order:
//
//   SELECT, CREATE                 folder choosers, while a folder is shown: choose it / make one in it
//   DESKTOP                        the user's desktop folder
//   WORKING DIRECTORY              the working-directory setting, when there is one
//   RECENT FILES                   the recent-files setting (folder choosers: the folders of those files)
//   SEARCH                         every file (folder) below the shown folder, bounded in time; what it
//                                  found is shown as a place of its own
//
// then ".." (the parent folder; from "/" the list of drives), the folders, the files (none in a folder
// chooser). Folders and files are sorted by name without regard to case; the reverse-folder-order option
// reverses the folders only. Names starting with "." are hidden, as the system's hidden files.
//
// Symbolic links are the system's shortcuts: a link is listed under its own name with the kind and the path
// of its target; a link that leads nowhere is left out. Folders that may not be read are listed with their
// own kind and do not open. A name's bytes are kept for opening; the label shows them as Windows-1252, the
// drawing layer's code page (a UTF-8 name is converted, other bytes are shown as they are).

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class ZKRegistry;

enum class ZKFileKind : std::uint32_t {
    None = 0,
    Select,
    Create,
    Desktop,
    WorkingDirectory,
    RecentFiles,
    Search,
    Drive,
    Parent,
    Folder,
    LockedFolder,  // may not be read: shown, never opened
    File,
};

struct ZKFileEntry {
    std::string label;  // Windows-1252, as drawn
    std::string path;   // the bytes the system knows it by; the target of a link
    ZKFileKind kind = ZKFileKind::None;
    friend bool operator==(const ZKFileEntry&, const ZKFileEntry&) = default;
};

struct ZKFileBrowserSettings {
    std::string workingDirectory;  // empty: no such row
    std::vector<std::string> recentFiles;
    std::chrono::milliseconds searchTimeout{5000};
    bool reverseFolderOrder = false;

    // The working directory, the recent files and "ChooseFileTimeout" from the settings store.
    static ZKFileBrowserSettings FromRegistry(ZKRegistry& registry, bool reverseFolderOrder);
};

class ZKFileBrowser {
public:
    enum class Mode { Files, Folders };
    enum class Place { Folder, Drives, Recent, Found };

    // What opening a row led to.
    enum class Outcome {
        Browsed,  // another place is shown
        Chosen,   // a file (a folder in a folder chooser) was chosen: see Chosen()
        Refused,  // the row cannot be opened (a locked or vanished folder, no working directory)
        Create,   // the caller asks for a name and calls CreateFolder
        Search,   // the caller runs Search and offers what it found
    };

    // What CreateFolder did, and the message for the user when it did not.
    struct CreateResult {
        enum class Status { Created, Exists, Failed } status = Status::Failed;
        std::string path;
        std::string message;  // "Error\nDirectory already exists" or "Cannot create :\n<path>"
    };

    struct SearchResult {
        bool completed = false;  // false: the time ran out; message holds the text for the user
        std::vector<ZKFileEntry> found;
        std::string message;
    };

    static constexpr const char* kNewFolderPrompt = "Enter new directory name...";
    static constexpr const char* kSearchFailed = "SEARCH failed!\nTook too long to browse folders";

    ZKFileBrowser(Mode mode, ZKFileBrowserSettings settings);

    // Shows `folder`; false (nothing changes) when it cannot be read.
    bool Browse(const std::string& folder);
    void ShowDrives();
    void ShowRecent();
    // Shows what a search of the shown folder found, with ".." leading back to that folder.
    void ShowFound(std::vector<ZKFileEntry> found);

    Mode GetMode() const { return mode_; }
    Place GetPlace() const { return place_; }
    // The shown folder (empty for the drives and the recent files; the searched one for a search's finds).
    const std::string& Folder() const { return folder_; }
    const std::vector<ZKFileEntry>& Rows() const { return rows_; }

    Outcome Open(const ZKFileEntry& row);
    const std::string& Chosen() const { return chosen_; }

    // Makes the folder `name` in the shown folder and shows it.
    CreateResult CreateFolder(const std::string& name);
    // Everything below the shown folder that this chooser offers, found within the search timeout.
    SearchResult Search() const;

    // The label of a name as it is drawn.
    static std::string Label(const std::string& name);

private:
    void Refill();
    void AddFixedRows();

    Mode mode_;
    ZKFileBrowserSettings settings_;
    Place place_ = Place::Drives;
    std::string folder_;
    std::vector<ZKFileEntry> rows_;
    std::string chosen_;
    std::vector<ZKFileEntry> found_;
};
