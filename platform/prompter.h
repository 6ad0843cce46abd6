// The one way the system asks the user something or tells a result: message
// boxes, the file choosers (open one or several files, save), the folder
// chooser and the colour chooser. The window layer shows real dialogs; tests and the command line
// install their own answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace td {

// YesNoDefaultNo: Yes and No, with No the default button (Enter answers No).
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class PromptIcon { None, Error, Question, Warning, Information };
enum class PromptAnswer { Ok, Cancel, Yes, No };

enum class FileDialogKind {
    Open,      // one existing file
    OpenMany,  // one or several existing files
    Save,      // a file to write; replacing one is confirmed by the dialog
};

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;
    // Pairs of name and pattern, each ended by the filter's last character,
    // as the language table writes them: "MP3 files (*.mp3)|*.mp3|".
    std::string filter;
    int filterIndex = 1;   // 1-based: the pair shown first
    std::string fileName;  // proposed name; "" for none
    std::string folder;    // "" for the process's current folder
};

enum class FileDialogOutcome {
    Chosen,
    Cancelled,
    TooManyFiles,  // more names chosen than the dialog's buffer holds
};

struct FileDialogResult {
    FileDialogOutcome outcome = FileDialogOutcome::Cancelled;
    std::vector<std::string> paths;  // full paths, in the order chosen
    int filterIndex = 1;             // 1-based: the pair chosen
};

struct FolderDialogRequest {
    std::string title;
    std::string folder;      // opened on; "" for the current folder
    std::string checkLabel;  // a check box below the tree; "" for none
    bool checked = true;     // its state when the dialog opens
};

struct FolderDialogResult {
    bool chosen = false;
    std::string path;  // without a trailing separator
    bool checked = true;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer Message(const std::string& text, const std::string& caption, PromptButtons buttons,
                                 PromptIcon icon) = 0;
    // A file chooser. Without one (the command line) nothing is chosen.
    virtual FileDialogResult ChooseFiles(const FileDialogRequest&) { return {}; }
    // A folder chooser. Without one nothing is chosen.
    virtual FolderDialogResult ChooseFolder(const FolderDialogRequest&) { return {}; }
    // A colour chooser opened on `color` (0x00BBGGRR); true with the colour
    // chosen in `color`, false (and `color` untouched) when none was.
    virtual bool PickColor(uint32_t& /*color*/) { return false; }
};

}  // namespace td
