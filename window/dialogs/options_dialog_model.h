// The "Option" dialog (template 137): export, HTML, start-up and double-click
// choices.
#pragma once

#include "window/dialogs/dialog_model.h"

namespace td {

class Settings;

class OptionsDialogModel {
public:
    explicit OptionsDialogModel(const Settings& settings);

    int exportSelectedOnly;  // radio: 0 all items, 1 only the selected ones
    int htmlListing;         // radio: 0 table, 1 listing
    bool htmlHyperlink;
    bool exportBothTags;
    int loadOnStartup;      // radio: 0 own playlist, 1 the host's playlist
    int doubleClickAction;  // radio: 0 play, 1 enqueue, 2 edit the tag

    // A choice outside its radio group is refused (false, nothing stored):
    // the controls cannot give one, a caller can.
    bool ok(Settings& settings, Prompter& prompter) const;
};

}  // namespace td
