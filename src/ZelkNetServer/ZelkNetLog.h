#pragma once
// The server's log: one line "zelknetserver: <text>" per event, on standard error. A detached server points
// standard error at its log file (ZelkNetLogToFile); the file is then kept small by rotation: past the
// limit it becomes FILE.1 (replacing the previous one) and a new file starts. Thread-safe.

#include <cstddef>
#include <string>

void ZelkNetLog(const std::string& text);

// Sends standard output and error to the log file at `path` (its folder is created), rotating it first
// when it is already past the limit. False with the reason when the file cannot be opened.
bool ZelkNetLogToFile(const std::string& path, std::string& error, std::size_t limit = 1u << 20);

// $XDG_STATE_HOME/zelkor/netserver.log (default ~/.local/state/zelkor/netserver.log).
std::string ZelkNetLogPath();
