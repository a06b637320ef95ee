#pragma once
// The interface of every toolkit control that a dialog manages, and the state that picks a control's
// colours: focused, hovered and enabled flags, its identifier, its access letter and its window.
//
// Colours come in threes (face, edge, mark) from the control slots of the colour table: disabled when the
// control is disabled or its dialog is not the active window, focused when it has the focus, hovered when the
// mouse is over it, normal otherwise; while one of its actions runs, hovered and focused become pressed.
//
// A dialog's ZKControlsManager drives the operations below (focus, keys, characters, press, rectangles);
// the control tells its parent window what happened with posted notices.

#include <functional>
#include <string>

#include "Platform/Window.h"

// Posted to the parent when the control asks for the focus: wParam the control's identifier, lParam the
// control (ZKControl*, for comparison by the receiver).
constexpr zk::UINT WMU_CONTROL_ACTIVATE = zk::WM_USER + 7;
// Posted to the parent when a control was pressed (a button click and each repeat) or changed its state (a
// check box): wParam the control's identifier, lParam the control (ZKControl*).
constexpr zk::UINT WMU_CONTROL_NOTIFY = zk::WM_USER + 4;

class ZKControl {
public:
    enum class Look { Disabled, Normal, Hovered, Focused, Pressed };

    explicit ZKControl(zk::UINT id = 0, char accessLetter = 0) : id_(id), accessLetter_(accessLetter) {}
    virtual ~ZKControl() = default;
    ZKControl(const ZKControl&) = delete;
    ZKControl& operator=(const ZKControl&) = delete;

    // --- operations, in slot order ---
    // The control gains or loses the focus; redraws it.
    virtual void FocusChanged(bool focused);
    // A disabled control ignores input and presses; redraws it.
    virtual void SetEnabled(bool enabled);
    // A key went down while the control has the focus; true when the key was used.
    virtual bool KeyDown(int vk);
    // A character was typed while the control has the focus; true when it was used.
    virtual bool Char(int ch);
    virtual int State() const { return 0; }
    // Activates the control as if it was clicked.
    virtual void Press() {}
    virtual zk::Rect ScreenRect() const;
    // The control's rectangle in the client coordinates of its top-level window (its dialog).
    virtual zk::Rect DialogRect() const;
    virtual zk::LRESULT Query(zk::WPARAM, zk::LPARAM) { return 0; }
    virtual zk::Size PreferredSize() const { return {}; }

    bool Focused() const { return focused_; }
    bool Hovered() const { return hovered_; }
    bool Enabled() const { return enabled_; }
    zk::UINT Id() const { return id_; }
    char AccessLetter() const { return accessLetter_; }
    zk::HWND ControlWindow() const { return window_; }

    // The look the control is drawn with now; `actionRunning` turns hovered and focused into pressed.
    Look CurrentLook(bool actionRunning) const;
    // The first of the three colour slots (face, edge, mark) of a look.
    static int FirstSlot(Look look);

    // Where controls read the floating-mouse-focus option (a control takes the focus when the mouse moves
    // over it); without a source the option is off.
    static void SetFloatingFocusSource(std::function<bool()> source);
    static bool FloatingFocus();

protected:
    void SetControlWindow(zk::HWND hwnd) { window_ = hwnd; }
    void SetAccessLetter(char letter) { accessLetter_ = letter; }
    // The index of the access letter's first occurrence in `text` (either case), or -1: the character a
    // label underlines.
    int AccessLetterIndex(const std::string& text) const;
    // Sets hovered; redraws on a change. Returns whether it changed.
    bool SetHovered(bool hovered);
    // Posts WMU_CONTROL_ACTIVATE to the parent window.
    void PostActivate() const;
    // Posts `message` to the parent window with the identifier and the control.
    void PostNotice(zk::UINT message) const;
    void Redraw() const;

    zk::Point lastMouse_;

private:
    bool focused_ = false;
    bool hovered_ = false;
    bool enabled_ = true;
    zk::UINT id_;
    char accessLetter_;
    zk::HWND window_;
};
