#pragma once
// The platform's own message box, for what must be said before the toolkit runs (start-up failures): on a
// display, SDL's simple message box; without one, the text on standard error. A presenter installed by the
// program (a console front-end, tests) takes every box instead.

#include <functional>
#include <string>

#include "Platform/WindowTypes.h"

namespace zk {

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a box and returns the button pressed: IDOK for MB_OK; IDYES or IDNO for MB_YESNO (IDNO when the box
// cannot be shown). Blocks until it is answered. The owner may be null.
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

using MessageBoxPresenter =
    std::function<int(const std::string& text, const std::string& caption, UINT type)>;
// Replaces how boxes are shown; an empty presenter restores the default.
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

}  // namespace zk
