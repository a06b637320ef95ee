#pragma once
// SDL's keyboard events in the window system's terms: virtual-key numbers and the characters of keys
// that SDL's text input leaves out.

#include <SDL_keycode.h>

namespace zk::detail {

// The virtual-key number of an SDL key, 0 for keys the window system does not know.
int VirtualKeyFromSdl(SDL_Keycode key);
// The character a key press types that SDL's text input leaves out: Enter, Backspace, Tab, Escape and
// Ctrl+letter (1..26). 0 when there is none.
unsigned char ControlCharFromSdl(SDL_Keycode key, SDL_Keymod mods);

}  // namespace zk::detail
