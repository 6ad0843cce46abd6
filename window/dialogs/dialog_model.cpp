#include "window/dialogs/dialog_model.h"

#include "platform/prompter.h"
#include "settings/lang_table.h"

namespace td {

void showDialogError(Prompter& prompter, const std::string& text) {
    prompter.Message(text, LangTable::getString(kLangError), PromptButtons::Ok, PromptIcon::Error);
}

}  // namespace td
