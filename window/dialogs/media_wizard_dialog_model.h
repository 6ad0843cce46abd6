// The "Media Wizard (Match Time)" dialog (template 148): a playing time to
// fill, one of six fixed lengths or a custom number of minutes.
#pragma once

#include <string>

#include "window/dialogs/dialog_model.h"

namespace td {

class Settings;

class MediaWizardDialogModel {
public:
    // The radio button of the remembered choice; the custom box starts empty.
    explicit MediaWizardDialogModel(const Settings& settings);

    int choice;              // 0 to 5 the fixed lengths, 6 "Custom"
    std::string customText;  // the custom box: digits, at most three

    bool customEnabled() const;
    // OK: the target length in seconds; with "Custom" and an empty, zero or
    // malformed box, "Please custom time must be a number not null !!!"
    // (caption "Error") and false. The choice is remembered only here, so
    // Cancel leaves `wizardLength` as it was.
    bool ok(Settings& settings, Prompter& prompter);
    int targetSeconds() const { return targetSeconds_; }

private:
    int targetSeconds_ = 0;
};

}  // namespace td
