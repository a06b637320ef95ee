#pragma once
// Focus and keyboard navigation among the toolkit controls of one dialog.
//
//   Tab / Shift+Tab   the next / previous control (list order, wrapping) that can take the focus
//   other keys        first to the focused control; if it does not use them, an arrow key moves the focus
//                     to the nearest control in that direction, and a function key (F1 and above) presses
//                     the control of its hot key
//   characters        first to the focused control; then the hot key of the character, in either case,
//                     gets the focus and is pressed
//
// A control can take the focus when it is enabled and its window is visible. The arrow move looks first
// among the controls that overlap the focused one across the direction of travel, then among all of them;
// the nearest one at a distance of 0 or more wins, the earlier one in the list on a tie:
//
//     +------+                  Down from A: B (overlaps A horizontally), although C is nearer;
//     |  A   |     +---+        Right from A: C (overlaps A vertically).
//     +------+     | C |
//       +----+     +---+
//       | B  |
//       +----+
//
// The manager does not own the controls; they must outlive it or be removed first.

#include <vector>

#include "Gui/ZKControl.h"

class ZKControlsManager {
public:
    // Adds a control at the end of the Tab order.
    void AddControl(ZKControl* control);
    void RemoveControl(ZKControl* control);
    // A character (an access letter; matched in either case) that presses the control.
    void AddHotKey(char ch, ZKControl* control);
    // A function-key code (VK_F1 and above) that presses the control.
    void AddFunctionHotKey(int vk, ZKControl* control);

    // A key went down; true when it was used.
    bool KeyDown(int vk);
    // A character was typed; true when it was used.
    bool Char(int ch);
    // Moves the focus to `control` (null: no control has the focus).
    void SetFocus(ZKControl* control);
    ZKControl* Focus() const { return focus_; }
    // The control of the list whose address is `control` (as WMU_CONTROL_ACTIVATE carries it), or null.
    ZKControl* Find(const void* control) const;

    const std::vector<ZKControl*>& Controls() const { return controls_; }
    static bool CanTakeFocus(const ZKControl& control);

private:
    struct HotKey {
        int key = 0;
        bool function = false;
        ZKControl* control = nullptr;
    };

    void Tab(bool backwards);
    bool MoveFocus(int vk);
    ZKControl* Nearest(int vk, bool overlapOnly) const;
    bool PressHotKey(int key, bool function);

    std::vector<ZKControl*> controls_;
    std::vector<HotKey> hotKeys_;
    ZKControl* focus_ = nullptr;
};
