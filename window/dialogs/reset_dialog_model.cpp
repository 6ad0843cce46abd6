#include "window/dialogs/reset_dialog_model.h"

#include "settings/settings.h"

namespace td {

unsigned ResetDialogModel::categories() const {
    unsigned c = 0;
    if (html) c |= kResetHtml;
    if (columns) c |= kResetColumns;
    if (tools) c |= kResetTools;
    if (options) c |= kResetOptions;
    if (theme) c |= kResetTheme;
    return c;
}

int ResetDialogModel::ok(Settings& settings, Prompter& prompter) const {
    return settings.confirmReset(categories(), prompter);
}

}  // namespace td
