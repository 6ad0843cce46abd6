// The "Playlist information" / "Properties of the selection" dialog
// (template 136): a read-only report and "&Copy to Clipboard".
#pragma once

#include <string>

#include "window/dialogs/dialog_model.h"

namespace td {

class Clipboard;
class Playlist;
class PlaylistView;
struct GenreTable;

class InfoDialogModel {
public:
    // The report is built once, when the dialog opens: the whole Playlist
    // (with the genre breakdown) or the selected rows of the view.
    InfoDialogModel(const Playlist& playlist, const PlaylistView& view, bool wholePlaylist,
                    const GenreTable& genres);

    const std::string& caption() const { return caption_; }
    const std::string& report() const { return report_; }

    // "&Copy to Clipboard": the report as shown, CR LF line ends. A failure
    // shows "Cannot open the Clipboard", "Cannot empty the Clipboard" or
    // "Unable to set Clipboard data" (caption "Error", stop icon); the
    // dialog stays open either way.
    bool copyReport(Clipboard& clipboard, Prompter& prompter) const;

private:
    std::string caption_;
    std::string report_;
};

}  // namespace td
