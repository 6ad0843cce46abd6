// The real dialogs behind the Prompter interface: message boxes, the common
// open and save dialogs, the folder browser with an optional check box and
// the colour chooser, all owned by one window (a dialog that asks something
// makes itself the owner while it is open).
#pragma once

#include <windows.h>

#include "platform/prompter.h"

namespace td {

class Win32Prompter : public Prompter {
public:
    explicit Win32Prompter(HWND owner = nullptr) : owner_(owner) {}
    void setOwner(HWND owner) { owner_ = owner; }
    HWND owner() const { return owner_; }

    PromptAnswer Message(const std::string& text, const std::string& caption, PromptButtons buttons,
                         PromptIcon icon) override;
    FileDialogResult ChooseFiles(const FileDialogRequest& request) override;
    FolderDialogResult ChooseFolder(const FolderDialogRequest& request) override;
    bool PickColor(uint32_t& color) override;

private:
    HWND owner_;
};

// A language-table filter ("name|pattern|...", its last character the
// separator) as the common dialogs want it: every separator a NUL, and the
// list ended by two NULs.
std::string CommonDialogFilter(const std::string& filter);

// The names a multiple-selection open dialog left in its buffer: the folder,
// then each name, each ended by a NUL, the list by a second NUL; or one full
// path when one file was chosen. Full paths, in the buffer's order.
std::vector<std::string> SplitOpenDialogBuffer(const char* buffer, size_t size);

}  // namespace td
