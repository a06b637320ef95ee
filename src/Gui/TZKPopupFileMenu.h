#pragma once
// A popup menu for choosing a file or a folder (ZKFileBrowser lists what it shows). Opening a folder row
// shows that folder in the open popup; choosing a file (in a folder chooser: SELECT) ends the run with the
// choice in Chosen(). CREATE asks for a folder name and SEARCH walks the shown folder; the popup then opens
// again, in the new folder or with what the search found. A failure is told in a message box.
//
// TItem is the row class; it is made from a ZKFileEntry and gives it back by Entry().

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Gui/ZKFileBrowser.h"
#include "Gui/ZKMessageBox.h"
#include "Gui/ZKPopupMenu.h"

template <class TItem>
class TZKPopupFileMenu : public ZKPopupMenu {
public:
    // `title`: a first row with the prompt, none when empty.
    TZKPopupFileMenu(ZKFileBrowser browser, zk::HWND owner, zk::Point anchor, std::string title = {},
                     int placement = kBelowRight)
        : ZKPopupMenu(items_, owner, anchor, placement),
          browser_(std::move(browser)),
          title_(std::move(title)) {}

    // Runs the chooser until something is chosen (kChosen) or it is closed without a choice.
    int DoModal() override {
        chosen_.clear();
        for (;;) {
            Fill();
            const int result = ZKPopupMenu::DoModal();
            if (result != kChosen) return result;
            if (outcome_ == ZKFileBrowser::Outcome::Chosen) {
                chosen_ = browser_.Chosen();
                return result;
            }
            if (outcome_ == ZKFileBrowser::Outcome::Create) Create();
            if (outcome_ == ZKFileBrowser::Outcome::Search) Search();
        }
    }

    const std::string& Chosen() const { return chosen_; }
    const ZKFileBrowser& Browser() const { return browser_; }

protected:
    // Opens the current row: a folder is shown in place; a choice, CREATE and SEARCH close the popup.
    void ChooseCurrent(int result) override {
        const int current = items_.Current();
        if (result != kChosen || current == ZKListBoxContents::kNone || !items_.At(current).Enabled()) return;
        outcome_ = browser_.Open(static_cast<const TItem&>(items_.At(current)).Entry());
        if (outcome_ == ZKFileBrowser::Outcome::Browsed) {
            Fill();
            ShowRows(items_);
        } else if (outcome_ != ZKFileBrowser::Outcome::Refused) {
            ZKPopupMenu::ChooseCurrent(result);
        }
    }

    // The name of a new folder; nothing when the user cancelled.
    virtual std::optional<std::string> AskFolderName() = 0;
    // Tells the user of a failure (a message box over the owner).
    virtual void Tell(const std::string& message);

private:
    void Fill() {
        items_.Clear();
        if (!title_.empty())
            items_.Append(std::make_unique<TItem>(ZKFileEntry{title_, "", ZKFileKind::None}));
        for (const ZKFileEntry& entry : browser_.Rows())
            items_.Append(std::make_unique<TItem>(entry));
    }

    void Create() {
        const std::optional<std::string> name = AskFolderName();
        if (!name) return;
        const ZKFileBrowser::CreateResult made = browser_.CreateFolder(*name);
        if (made.status != ZKFileBrowser::CreateResult::Status::Created) Tell(made.message);
    }

    void Search() {
        ZKFileBrowser::SearchResult found = browser_.Search();
        if (found.completed)
            browser_.ShowFound(std::move(found.found));
        else
            Tell(found.message);
    }

    ZKListBoxContents items_;
    ZKFileBrowser browser_;
    std::string title_;
    ZKFileBrowser::Outcome outcome_ = ZKFileBrowser::Outcome::Refused;
    std::string chosen_;
};

template <class TItem>
void TZKPopupFileMenu<TItem>::Tell(const std::string& message) {
    ZKMessageBox(OwnerWindow(), message, ZKMessageBox::kOk).DoModal();
}
