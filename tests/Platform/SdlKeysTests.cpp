#include "Platform/sdl/SdlKeys.h"

#include <gtest/gtest.h>

#include "Platform/WindowTypes.h"

namespace {

using namespace zk;
using namespace zk::detail;

TEST(SdlKeysTest, KeysMapToTheirVirtualKeyNumbers) {
    EXPECT_EQ('A', VirtualKeyFromSdl(SDLK_a));
    EXPECT_EQ('Z', VirtualKeyFromSdl(SDLK_z));
    EXPECT_EQ('0', VirtualKeyFromSdl(SDLK_0));
    EXPECT_EQ('9', VirtualKeyFromSdl(SDLK_9));
    EXPECT_EQ(VK_F1, VirtualKeyFromSdl(SDLK_F1));
    EXPECT_EQ(VK_F12, VirtualKeyFromSdl(SDLK_F12));
    EXPECT_EQ(VK_F1 + 12, VirtualKeyFromSdl(SDLK_F13));
    EXPECT_EQ(VK_F24, VirtualKeyFromSdl(SDLK_F24));
    EXPECT_EQ(VK_NUMPAD0, VirtualKeyFromSdl(SDLK_KP_0));
    EXPECT_EQ(VK_NUMPAD0 + 9, VirtualKeyFromSdl(SDLK_KP_9));
    EXPECT_EQ(VK_RETURN, VirtualKeyFromSdl(SDLK_KP_ENTER));
    EXPECT_EQ(VK_LEFT, VirtualKeyFromSdl(SDLK_LEFT));
    EXPECT_EQ(VK_DOWN, VirtualKeyFromSdl(SDLK_DOWN));
    EXPECT_EQ(VK_PRIOR, VirtualKeyFromSdl(SDLK_PAGEUP));
    EXPECT_EQ(VK_DELETE, VirtualKeyFromSdl(SDLK_DELETE));
    // Both keys of a modifier pair are one virtual key.
    EXPECT_EQ(VK_SHIFT, VirtualKeyFromSdl(SDLK_RSHIFT));
    EXPECT_EQ(VK_CONTROL, VirtualKeyFromSdl(SDLK_LCTRL));
    EXPECT_EQ(VK_MENU, VirtualKeyFromSdl(SDLK_RALT));
    EXPECT_EQ(VK_OEM_MINUS, VirtualKeyFromSdl(SDLK_MINUS));
    EXPECT_EQ(VK_OEM_7, VirtualKeyFromSdl(SDLK_QUOTE));
    EXPECT_EQ(0, VirtualKeyFromSdl(SDLK_AUDIOPLAY));
    EXPECT_EQ(0, VirtualKeyFromSdl(SDLK_UNKNOWN));
}

TEST(SdlKeysTest, ControlKeysTypeTheirCharacters) {
    EXPECT_EQ('\r', ControlCharFromSdl(SDLK_RETURN, KMOD_NONE));
    EXPECT_EQ('\b', ControlCharFromSdl(SDLK_BACKSPACE, KMOD_NONE));
    EXPECT_EQ('\t', ControlCharFromSdl(SDLK_TAB, KMOD_SHIFT));
    EXPECT_EQ(0x1B, ControlCharFromSdl(SDLK_ESCAPE, KMOD_NONE));
    EXPECT_EQ(1, ControlCharFromSdl(SDLK_a, KMOD_LCTRL));
    EXPECT_EQ(26, ControlCharFromSdl(SDLK_z, KMOD_RCTRL));
    EXPECT_EQ(0, ControlCharFromSdl(SDLK_a, KMOD_NONE));  // text input types it
    EXPECT_EQ(0, ControlCharFromSdl(SDLK_a, static_cast<SDL_Keymod>(KMOD_LCTRL | KMOD_RALT)));  // AltGr
    EXPECT_EQ(0, ControlCharFromSdl(SDLK_1, KMOD_LCTRL));
}

}  // namespace
