#include "window/dialogs/options_dialog_model.h"

#include "settings/settings.h"

namespace td {

OptionsDialogModel::OptionsDialogModel(const Settings& settings)
    : exportSelectedOnly(settings.exportSelectedOnly != 0 ? 1 : 0),
      htmlListing(settings.htmlListing != 0 ? 1 : 0),
      htmlHyperlink(settings.htmlHyperlink != 0),
      exportBothTags(settings.exportBothTags != 0),
      loadOnStartup(settings.loadOnStartup != 0 ? 1 : 0),
      doubleClickAction(inRange(settings.doubleClickAction, 0, 2) ? settings.doubleClickAction : 0) {}

bool OptionsDialogModel::ok(Settings& settings, Prompter&) const {
    if (!inRange(exportSelectedOnly, 0, 1) || !inRange(htmlListing, 0, 1) || !inRange(loadOnStartup, 0, 1) ||
        !inRange(doubleClickAction, 0, 2)) {
        return false;
    }
    settings.exportSelectedOnly = exportSelectedOnly;
    settings.htmlListing = htmlListing;
    settings.htmlHyperlink = htmlHyperlink ? 1 : 0;
    settings.exportBothTags = exportBothTags ? 1 : 0;
    settings.loadOnStartup = loadOnStartup;
    settings.doubleClickAction = doubleClickAction;
    return true;
}

}  // namespace td
