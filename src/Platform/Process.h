#pragma once
// Process helpers: the program's own path and starting other programs without a shell.

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace zk {

// Full path of the running executable; empty if it cannot be read.
std::string ExecutablePath();
// Folder of the running executable, without a trailing slash.
std::string ExecutableFolder();

// Finds a program: a name containing "/" is taken as it is; otherwise it is looked for next to the running
// executable, then in the folders of PATH. Returns the path of an executable file, or nothing.
std::optional<std::string> FindProgram(const std::string& name);

struct SpawnResult {
    bool started = false;
    pid_t pid = -1;   // the started process
    int error = 0;    // errno of the failed step when not started
    int output = -1;  // SpawnOutput::Pipe: the read end (close-on-exec), which the caller closes
};

// What a detached process writes: to our standard output and error, nowhere (background jobs whose
// failures are silent), or into a pipe whose read end the caller gets (to hear why a start failed; the
// pipe ends when the process and whatever it started have closed their output).
enum class SpawnOutput { Inherit, Discard, Pipe };

// Starts `path` with `args` (argv[1..]) as a detached process: own session, not a child of ours (nothing to
// wait for, no zombie), standard input from /dev/null. No shell is involved, so arguments are passed exactly.
// `started` is false when the program could not be executed.
SpawnResult SpawnDetached(const std::string& path, const std::vector<std::string>& args,
                          SpawnOutput output = SpawnOutput::Inherit);

}  // namespace zk
