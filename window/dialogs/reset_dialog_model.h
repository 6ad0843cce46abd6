// The "Reset Default Options" dialog (template 138): five check boxes, one
// per group of settings.
#pragma once

#include "window/dialogs/dialog_model.h"

namespace td {

class Settings;

class ResetDialogModel {
public:
    // Every box starts unchecked.
    ResetDialogModel() = default;

    bool html = false;     // "&HTML Template Styles"
    bool columns = false;  // "&View, Columns..."
    bool tools = false;    // "&ID3 Tools settings"
    bool options = false;  // "&Option, configure settings"
    bool theme = false;    // "&Theme color"

    unsigned categories() const;
    // The dialog's result: 0 when nothing is checked (nothing asked) or when
    // the user answers Cancel to "Are your sure to reset settings ?"; 1 after
    // the checked groups were restored. The window then saves the settings,
    // applies the theme and rebuilds its columns.
    int ok(Settings& settings, Prompter& prompter) const;
};

}  // namespace td
