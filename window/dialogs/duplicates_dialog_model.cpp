#include "window/dialogs/duplicates_dialog_model.h"

#include <unordered_set>

#include "playlist/view.h"
#include "settings/settings.h"
#include "wizards/duplicates.h"

namespace td {

DuplicatesDialogModel::DuplicatesDialogModel(const Settings& settings)
    : fields(settings.duplicateFields & kDuplicateFieldMask),
      secondsText(std::to_string(settings.duplicateSeconds)),
      percentText(std::to_string(settings.duplicatePercent)) {}

bool DuplicatesDialogModel::secondsEnabled() const { return (fields & kDuplicateLength) != 0; }

bool DuplicatesDialogModel::percentEnabled() const { return (fields & kDuplicateSize) != 0; }

bool DuplicatesDialogModel::ok(Settings& settings, Prompter& prompter) const {
    // The check runs on a scratch copy so that a refused OK stores nothing.
    Settings scratch = settings;
    if (!duplicatesDialogOk(fields, secondsText, percentText, scratch, prompter)) return false;
    settings.duplicateFields = scratch.duplicateFields;
    settings.duplicateSeconds = scratch.duplicateSeconds;
    settings.duplicatePercent = scratch.duplicatePercent;
    return true;
}

void DuplicatesMode::turnOn(bool accepted, const Playlist& playlist, PlaylistView& view,
                            const Settings& settings) {
    if (!accepted) return;
    const std::vector<SongRecord*> selected = view.selectedEntries();
    selection_.assign(selected.begin(), selected.end());
    view.setRows(findDuplicates(playlist, settings.viewSource(), DuplicateOptions::fromSettings(settings)));
    shown_ = true;
}

int DuplicatesMode::restoreSelection(PlaylistView& view) {
    const std::unordered_set<const SongRecord*> wanted(selection_.begin(), selection_.end());
    selection_.clear();
    return view.selectEntries(wanted);
}

void DuplicatesMode::viewRebuilt() {
    shown_ = false;
    selection_.clear();
}

}  // namespace td
