#pragma once
// zkgallery: windows that show what the drawing layer draws (the five fonts, gradients, frames, ellipses, an
// underlined access letter, the colour slots of every scheme), one that reacts to the mouse and keys, and a
// scrollable rich text, a message log, and a window with a menu bar.

#include <iosfwd>
#include <optional>
#include <string>

struct GalleryOptions {
    // Runs on the headless backend, paints every window, writes DIR/<window>.png and DIR/menu.png (the
    // menu window's File menu, open) and returns.
    std::optional<std::string> snapshotDir;
};

// Exit code: 0, or 1 when the window system cannot start or a snapshot cannot be written.
int RunGallery(const GalleryOptions& options, std::ostream& out, std::ostream& err);
