// zkgallery: shows what the drawing layer and the window system do, on the screen or as PNG snapshots.

#include <CLI/CLI.hpp>

#include <iostream>

#include "Gallery.h"

// fontconfig and pango keep process-wide caches that they never free; they are not our leaks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libpango\nleak:libharfbuzz\nleak:libglib\nleak:libgobject\nleak:"
           "libdbus\n";
}

int main(int argc, char** argv) {
    GalleryOptions options;
    CLI::App app{
        "Opens windows that show the toolkit's fonts, shapes, gradients and colour slots, and one that "
        "reacts to the mouse and keys. Drag a window by its title strip; Esc quits. ZK_BACKEND=sdl|headless "
        "chooses where the windows appear.",
        "zkgallery"};
    app.add_option("--snapshot", options.snapshotDir,
                   "paint every window on the headless backend, write DIR/<window>.png and exit")
        ->type_name("DIR");
    app.add_flag("--headless", options.headless,
                 "run on the headless backend until copy-data command 0 arrives; command 1 writes every "
                 "window's PNG into the folder it names")
        ->excludes("--snapshot");
    CLI11_PARSE(app, argc, argv);
    return RunGallery(options, std::cout, std::cerr);
}
