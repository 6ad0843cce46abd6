// The media wizard: selects in the view as many songs as fit into a playing
// time (a CD-R, a cassette), shortest first. It changes no file and builds no
// list; its result is the view's selection.
#pragma once

#include <cstdint>
#include <string>

namespace td {

class PlaylistView;
class Prompter;

// wizardLength choices 0 to 5 and their minutes; choice 6 is "Custom".
constexpr int kWizardChoiceCount = 7;
constexpr int kWizardCustomChoice = 6;
extern const int kWizardMinutes[6];  // 45, 60, 74, 80, 90, 120
// The custom box takes digits only, at most this many.
constexpr size_t kWizardCustomDigits = 3;

// The dialog's OK: the target length in seconds for `choice` (minutes x 60).
// For "Custom" `customText` is the edit box's text; when it gives 0 minutes
// (empty, zero, or not a number of at most three digits) the error "Please
// custom time must be a number not null !!!" is shown (caption "Error", stop
// icon) and 0 is returned: the dialog stays open. A choice outside 0..6 counts
// as 0.
int wizardTargetSeconds(int choice, const std::string& customText, Prompter& prompter);

// Selects view rows, shortest song first, while the running total stays
// strictly below `targetSeconds`; the first song that would reach it ends the
// walk. Songs of equal length are taken in row order. Rows already selected
// stay selected. Returns the row of the shortest song (the one to scroll to
// and focus), or -1 for an empty view. The selected length is recomputed.
int selectToFit(PlaylistView& view, int64_t targetSeconds);

// The window command after the dialog returned `targetSeconds` (> 0): clears
// the selection, then selectToFit. Returns what selectToFit returns.
int applyMediaWizard(PlaylistView& view, int64_t targetSeconds);

}  // namespace td
