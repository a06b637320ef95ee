#pragma once
// SDL's keyboard and text events in the window system's terms: virtual-key numbers and 8-bit
// (Windows-1252) characters.

#include <SDL_keycode.h>

#include <string>

namespace zk::detail {

// The virtual-key number of an SDL key, 0 for keys the window system does not know.
int VirtualKeyFromSdl(SDL_Keycode key);
// The character a key press types that SDL's text input leaves out: Enter, Backspace, Tab, Escape and
// Ctrl+letter (1..26). 0 when there is none.
unsigned char ControlCharFromSdl(SDL_Keycode key, SDL_Keymod mods);
// UTF-8 text as Windows-1252 bytes; characters without a Windows-1252 form are left out.
std::string Cp1252FromUtf8(const std::string& utf8);

}  // namespace zk::detail
