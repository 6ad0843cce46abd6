// The one way the system asks the user something or tells a result: message
// boxes (and later file and folder choosers). The window layer shows real
// dialogs; tests and the command line install their own answers.
#pragma once

#include <string>

namespace td {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptIcon { None, Error, Question, Warning, Information };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer Message(const std::string& text, const std::string& caption,
                                 PromptButtons buttons, PromptIcon icon) = 0;
};

}  // namespace td
