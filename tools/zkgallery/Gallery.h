#pragma once
// zkgallery: windows that show what the drawing layer draws (the five fonts, gradients, frames, ellipses, an
// underlined access letter, the colour slots of every scheme), one that reacts to the mouse and keys, and a
// scrollable rich text, a message log, and a window with a menu bar. Outside snapshots it follows the maker's
// global display options and their change notices, and its dialogs window opens the options dialog.

#include <iosfwd>
#include <optional>
#include <string>

struct GalleryOptions {
    // Runs on the headless backend, paints every window, writes DIR/<window>.png and DIR/menu.png (the
    // menu window's File menu, open) and returns.
    std::optional<std::string> snapshotDir;
    // Runs on the headless backend (no display needed) until copy-data command 0 arrives; command 1 writes
    // every window's picture into the folder its argument names. For tests of programs that talk to
    // each other.
    bool headless = false;
};

// Exit code: 0, or 1 when the window system cannot start or a snapshot cannot be written.
int RunGallery(const GalleryOptions& options, std::ostream& out, std::ostream& err);
