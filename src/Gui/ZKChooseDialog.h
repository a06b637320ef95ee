#pragma once
// The toolkit's modal list chooser: a title (rich text), a list of text rows and the buttons "OK" and
// "Cancel". Typing narrows the list: the typed text is shown under the list ("Search :"), only the choices
// that contain it (in any case) stay, with the matching part highlighted; Backspace takes the last
// character back. A choice whose text equals the typed text becomes the current row. Disabled choices show
// as disabled rows that cannot be chosen; when nothing matches, one disabled row "EMPTY" stands in and "OK"
// is disabled.
//
// Enter (the character of "OK") chooses the current row, Escape (that of "Cancel") cancels; once one of
// them was pressed further keys are ignored. Other keys move the current row. A double click on a row
// chooses it. DoModal returns 1 with a choice made, 0 when cancelled; ChosenValue() is the caller's value
// of the chosen entry.
//
// ZKMultiSelectDialog lets several rows be chosen at once (Ctrl and Shift with the mouse and keys); their
// selection survives the filtering.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Gui/TZKListBox.h"
#include "Gui/ZKButton.h"
#include "Gui/ZKControlsDialog.h"
#include "Gui/ZKHighlightedTextListItem.h"
#include "Gui/ZKRichText.h"

class ZKChooseDialog : public ZKControlsDialog {
public:
    struct Choice {
        std::string text;
        std::intptr_t value = 0;  // the caller's own data for the entry
        bool enabled = true;
        std::optional<ZKRGB> colour = {};  // the row's text colour; slot 0 without one
    };
    // Where the dialog appears: kDefaultPlacement centres it over its owner; the others put a corner at the
    // anchor (screen coordinates): 0 its top-left, 1 its top-right, 2 its bottom-left, 3 its bottom-right.
    enum Placement {
        kBelowRight = 0,
        kBelowLeft = 1,
        kAboveRight = 2,
        kAboveLeft = 3,
        kDefaultPlacement = 4
    };
    enum ControlId : zk::UINT { kListId = 1, kOkId = 2, kCancelId = 3 };
    static constexpr char kOkKey = '\r';
    static constexpr char kCancelKey = 0x1B;
    static constexpr int kMargin = 10;
    static constexpr int kMinListWidth = 160;
    static constexpr int kMinRows = 3;
    static constexpr const char* kPlaceholder = "EMPTY";

    ZKChooseDialog(zk::HWND owner, std::string title);

    void AddChoice(Choice choice) { choices_.push_back(std::move(choice)); }
    void SetPlacement(zk::Point anchor, Placement mode);

    // After DoModal returned 1: the chosen entry.
    int ChosenIndex() const { return chosen_; }
    std::intptr_t ChosenValue() const;

    // For checks: the search text, the rows shown and the list.
    const std::string& SearchText() const { return search_; }
    const ZKListBoxContents& Rows() const { return rows_; }
    const ZKListBoxBase& List() const { return list_; }
    ZKButton& OkButton() { return ok_; }
    ZKButton& CancelButton() { return cancel_; }
    // The choice a row shows, or -1 for the placeholder.
    int ChoiceOfRow(int row) const;

    bool ProcessWindowMessage(zk::HWND hwnd, zk::UINT message, zk::WPARAM wParam, zk::LPARAM lParam,
                              zk::LRESULT& result) override;

protected:
    explicit ZKChooseDialog(zk::HWND owner, std::string title, zk::DWORD listStyle);

    // --- for derived choosers ---
    // Adds a button to the right of "Cancel" in the button row, before the added button at `before` (after
    // all of them by default); before the dialog is created. The button must outlive the dialog's window.
    void AddButton(ZKButton& button, std::size_t before = SIZE_MAX) {
        extraButtons_.insert(
            extraButtons_.begin() + static_cast<std::ptrdiff_t>(std::min(before, extraButtons_.size())),
            &button);
    }
    // The gap between the button row and the bottom edge (half the margin by default).
    void SetBottomGap(int gap) { bottomGap_ = gap; }
    void ClearChoices() { choices_.clear(); }
    // The choice to make current when no row equals the search text (-1: the first selectable row).
    void SetPreferredChoice(int choice) { preferredChoice_ = choice; }
    // Rebuilds the rows and lays the dialog out again, as after a change of the search text.
    void Refill();
    // Whether "OK" can be pressed with `row` current: any row but the placeholder.
    virtual bool OkEnabledFor(int row) const { return ChoiceOfRow(row) >= 0; }

    // --- operations added here ---
    // Rebuilds the rows from the choices and the search text.
    virtual void Fill();
    // Sizes and places the dialog and its controls.
    virtual void LayOut();
    // The current row was chosen (OK or the list's choose notice): ends the dialog with 1.
    virtual void ChooseCurrent();

    bool OnKeyDown(int vk) override;
    void OnControlNotify(ZKControl& control) override;
    void PaintDialog(ZKDC& dc, const zk::Rect& rect) override;
    void Place() override;

    // Whether the current row can be chosen: a row of an enabled choice.
    bool CurrentChoosable() const;
    const std::vector<Choice>& Choices() const { return choices_; }
    // For each row, the choice it shows (empty for the placeholder).
    const std::vector<int>& RowChoices() const { return rowChoices_; }
    ZKListBoxContents& MutableRows() { return rows_; }

private:
    void OnCreate(zk::HWND hwnd);
    void OnChar(int ch);
    int TitleHeight(int lines) const;
    // OK, Cancel and the added buttons, in row order.
    std::vector<ZKButton*> RowButtons();

    std::string titleText_;
    ZKRichText title_;
    zk::Size titleExtent_;
    std::vector<Choice> choices_;
    std::vector<int> rowChoices_;
    ZKListBoxContents rows_;
    TZKListBox<ZKHighlightedTextListItem> list_;
    std::string search_;
    int preselected_ = -1;
    bool closing_ = false;
    zk::Point anchor_;
    Placement placement_ = kDefaultPlacement;
    int chosen_ = -1;
    zk::Rect titleRect_;
    int searchTop_ = 0;
    ZKButton ok_{"OK", 0, kOkId};
    ZKButton cancel_{"Cancel", 0, kCancelId};
    std::vector<ZKButton*> extraButtons_;
    int bottomGap_ = kMargin / 2;
    int preferredChoice_ = -1;
};

class ZKMultiSelectDialog : public ZKChooseDialog {
public:
    ZKMultiSelectDialog(zk::HWND owner, std::string title);

    // After DoModal returned 1: the selected entries in list order, or the current one when none was
    // selected.
    const std::vector<int>& ChosenIndices() const { return chosenIndices_; }
    std::vector<std::intptr_t> ChosenValues() const;

protected:
    void Fill() override;
    void ChooseCurrent() override;

private:
    // Takes the rows' selection into the choices before the rows are rebuilt.
    void KeepSelection();

    std::vector<bool> selected_;
    std::vector<int> chosenIndices_;
};
