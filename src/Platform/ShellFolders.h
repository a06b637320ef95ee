#pragma once
// Well-known folders of the user. Every one can be moved by environment variables, so tests and several
// installations never touch a real user's files. Folders are returned without a trailing slash.

#include <string>

namespace zk {

// Local application data: $XDG_DATA_HOME, default ~/.local/share.
std::string LocalAppDataFolder();
// Configuration: $XDG_CONFIG_HOME, default ~/.config.
std::string ConfigFolder();
// Per-user runtime folder of the maker's programs (sockets, locks): $XDG_RUNTIME_DIR/zelkor, default
// /tmp/zelkor-<uid>. Not created here.
std::string RuntimeFolder();
// The user's home: $HOME, else the password database.
std::string HomeFolder();
// The user's desktop: what `xdg-user-dir DESKTOP` prints (it reads the user's folder settings), else
// $HOME/Desktop.
std::string DesktopFolder();

// Creates the runtime folder (mode 0700) when it is missing and checks that it is a real folder owned by
// us with no group or other permissions. False with a message otherwise: a folder that someone else could
// have prepared is never used.
bool PrepareRuntimeFolder(const std::string& folder, std::string& error);

// Creates a folder and every missing level above it. True when the folder exists afterwards.
bool CreateFolderTree(const std::string& path, unsigned mode = 0755);

}  // namespace zk
