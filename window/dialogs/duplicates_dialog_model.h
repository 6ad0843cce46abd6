// The "Find duplicates" options dialog (template 157) and the duplicates mode
// of the list it leads to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "window/dialogs/dialog_model.h"

namespace td {

class Playlist;
class PlaylistView;
class Settings;
class SongRecord;

class DuplicatesDialogModel {
public:
    // The five check boxes from duplicateFields, the two number boxes from
    // duplicateSeconds and duplicatePercent.
    explicit DuplicatesDialogModel(const Settings& settings);

    uint32_t fields;          // bit 0 artist & title ... bit 4 size
    std::string secondsText;  // "Sec.", 0 to 60
    std::string percentText;  // "%", 95 to 100

    // A number box and its up-down control follow their check box.
    bool secondsEnabled() const;
    bool percentEnabled() const;

    // OK: with no box checked, "Choose at least 1 field must be present
    // !!!"; a checked box whose number is not one, "Bad number format !!!";
    // out of range, the time or size range message (caption "Information").
    // On a fault nothing is stored, not even the check boxes. Otherwise the
    // boxes and the numbers of the checked boxes are stored.
    bool ok(Settings& settings, Prompter& prompter) const;
};

// The list's duplicates mode: a toggle, checked in the context menu while on.
class DuplicatesMode {
public:
    bool shown() const { return shown_; }

    // The command while the mode is off: asks for the options; `accepted` is
    // whether the options dialog ended with OK. On OK the selection is
    // remembered, the view shows only the entries that resemble another one
    // (all of the Playlist, whatever the filter) and the mode is on; on
    // Cancel the mode stays off and the view is not touched.
    void turnOn(bool accepted, const Playlist& playlist, PlaylistView& view, const Settings& settings);
    // The command while the mode is on: the mode is off; the caller
    // refilters so the full list returns, then restores the selection.
    void turnOff() { shown_ = false; }
    // Selects exactly the rows of the entries that were selected when the
    // mode came on (entries since removed are simply not found). Returns the
    // first such row or -1. The remembered selection is then forgotten.
    int restoreSelection(PlaylistView& view);
    // Another command rebuilt the view (filter, search, load): the mode ends
    // and the remembered selection no longer applies.
    void viewRebuilt();

private:
    bool shown_ = false;
    std::vector<const SongRecord*> selection_;
};

}  // namespace td
