#include "Platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace zk {

namespace {

std::mutex g_lock;
MessageBoxPresenter g_presenter;

bool DisplayExists() {
    const char* backend = std::getenv("ZK_BACKEND");
    if (backend && std::strcmp(backend, "headless") == 0) return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

int ShowWithSdl(const std::string& text, const std::string& caption, UINT type) {
    const bool yesNo = (type & MB_YESNO) == MB_YESNO;
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (yesNo) {
        buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        buttons[count++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
    } else {
        buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                            IDOK, "OK"};
    }
    const SDL_MessageBoxData data{(type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION,
                                  nullptr,
                                  caption.c_str(),
                                  text.c_str(),
                                  count,
                                  buttons,
                                  nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) return yesNo ? IDNO : IDOK;
    return pressed;
}

}  // namespace

int MessageBox(HWND, const std::string& text, const std::string& caption, UINT type) {
    MessageBoxPresenter presenter;
    {
        std::lock_guard guard(g_lock);
        presenter = g_presenter;
    }
    if (presenter) return presenter(text, caption, type);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (DisplayExists()) return ShowWithSdl(text, caption, type);
    return (type & MB_YESNO) == MB_YESNO ? IDNO : IDOK;
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    std::lock_guard guard(g_lock);
    g_presenter = std::move(presenter);
}

}  // namespace zk
