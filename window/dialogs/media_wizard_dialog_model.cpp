#include "window/dialogs/media_wizard_dialog_model.h"

#include "settings/settings.h"
#include "wizards/media_wizard.h"

namespace td {

MediaWizardDialogModel::MediaWizardDialogModel(const Settings& settings)
    : choice(inRange(settings.wizardLength, 0, kWizardChoiceCount - 1) ? settings.wizardLength : 0) {}

bool MediaWizardDialogModel::customEnabled() const { return choice == kWizardCustomChoice; }

bool MediaWizardDialogModel::ok(Settings& settings, Prompter& prompter) {
    targetSeconds_ = 0;
    if (!inRange(choice, 0, kWizardChoiceCount - 1)) return false;
    const int seconds = wizardTargetSeconds(choice, customText, prompter);
    if (seconds <= 0) return false;
    settings.wizardLength = choice;
    targetSeconds_ = seconds;
    return true;
}

}  // namespace td
