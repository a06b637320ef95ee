#pragma once
// How the device layer asks the user something (a firmware warning, whether to download an update). The
// application installs its prompt at start-up (message boxes of the main window); without one nothing is
// shown and every question gets its safe answer, No.
//
// Install and the questions belong to the GUI thread.

#include <string>

class ZKUserPrompt {
public:
    virtual ~ZKUserPrompt() = default;

    // Shows `text` with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Asks `text` with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;

    // The prompt used from now on; null removes it. The caller keeps it alive while it is installed.
    static void Install(ZKUserPrompt* prompt);
    // Through the installed prompt; without one nothing is shown.
    static void Inform(const std::string& text);
    // Through the installed prompt; without one the answer is No.
    static bool Ask(const std::string& text);
};
