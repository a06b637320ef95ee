#pragma once
// Raw input as a backend delivers it: the window system queues it and routes each event when the GUI thread
// takes it from the queue (so capture and drag state set by earlier messages apply). Tests on the headless
// backend inject input through the same entry points. GUI thread only.

#include "Platform/WindowTypes.h"

namespace zk::input {

enum class Button { Left, Right, Middle };

void MouseMove(Point screen);
void MouseDown(Button button, Point screen);
void MouseUp(Button button, Point screen);
void Click(Button button, Point screen);  // move, down, up
void Wheel(int delta, Point screen);
void KeyDown(int vk);
void KeyUp(int vk);
void Char(unsigned char ch);
void KeyPress(int vk, unsigned char ch = 0);  // down, the character (if any), up
// Another application took (false) or gave back (true) the keyboard focus. Losing it ends a drag and
// releases the mouse capture (the captured window gets WM_CAPTURECHANGED).
void ApplicationActive(bool active);
// The desktop minimised (true) or restored (false) a top-level window, for example from the task bar. A
// restored window is painted again, takes input and is activated.
void DesktopMinimized(HWND hwnd, bool minimized);

}  // namespace zk::input
