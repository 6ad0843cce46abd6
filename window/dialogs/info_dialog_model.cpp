#include "window/dialogs/info_dialog_model.h"

#include "platform/clipboard.h"
#include "playlist/statistics.h"

namespace td {

InfoDialogModel::InfoDialogModel(const Playlist& playlist, const PlaylistView& view, bool wholePlaylist,
                                 const GenreTable& genres)
    : caption_(playlistReportCaption(wholePlaylist)),
      report_(playlistReport(playlist, view, wholePlaylist, genres)) {}

bool InfoDialogModel::copyReport(Clipboard& clipboard, Prompter& prompter) const {
    // These three texts are fixed: they are not in the language table.
    switch (clipboard.SetText(report_)) {
    case ClipboardResult::Ok: return true;
    case ClipboardResult::CannotOpen: showDialogError(prompter, "Cannot open the Clipboard"); break;
    case ClipboardResult::CannotEmpty: showDialogError(prompter, "Cannot empty the Clipboard"); break;
    case ClipboardResult::CannotSet: showDialogError(prompter, "Unable to set Clipboard data"); break;
    }
    return false;
}

}  // namespace td
