// The shape every dialog of the playlist window follows.
//
// A dialog is a Win32 template plus one portable model object that holds the
// dialog's data:
//   - the constructor takes the values from the Settings (values in on open);
//   - the controls edit the model's public fields, never the Settings;
//   - `ok(settings, prompter)` checks the values; on a fault it shows the
//     dialog's message through the prompter and returns false (the dialog
//     stays open with the user's input), otherwise it stores the values and
//     returns true;
//   - Cancel simply drops the model: nothing was changed.
// The Win32 dialog procedure only moves values between controls and model.
#pragma once

#include <string>

namespace td {

class Prompter;

// Shows `text` with the caption "Error" and the stop icon (the caption taken
// from the language table).
void showDialogError(Prompter& prompter, const std::string& text);

// Whether `value` is within first..last.
inline bool inRange(int value, int first, int last) { return value >= first && value <= last; }

}  // namespace td
