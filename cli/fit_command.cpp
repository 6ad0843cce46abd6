// `tunedeck fit`: the songs of a playlist file or folder that the media
// wizard selects to fill a playing time, shortest first.
#include <string>
#include <vector>

#include "cli/analysis_cli.h"
#include "cli/commands.h"
#include "cli/source_loader.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "wizards/media_wizard.h"

namespace td::cli {

const char kFitHelp[] =
    "Usage: tunedeck fit MINUTES [--view 0-3] [-r] SOURCE\n"
    "\n"
    "Loads SOURCE as `tunedeck list` does and prints the songs the media wizard\n"
    "selects to fill MINUTES (1 to 999) of playing time: shortest first, as long\n"
    "as the total stays below the time. The songs are printed in the source's\n"
    "order, one per line: artist, title, time, size and file name, separated by\n"
    "tabs. A last line on standard error gives their number and total length.\n"
    "\n"
    "  --view N         tag the artist and title are read from: 0 ID3v1 (default),\n"
    "                   1 ID3v2, 2 ID3v2 then ID3v1, 3 ID3v1 then ID3v2\n"
    "  -r, --recursive  with a folder, enter its subfolders too\n"
    "\n"
    "Exit status: 0 when the source was read, 1 when it could not be read or is\n"
    "damaged, 2 on a usage error.\n";

int RunFit(const std::vector<std::string>& args) {
    AnalysisArgs parsed;
    const int status = ParseAnalysisArgs("fit", args, 2, nullptr, parsed);
    if (status != kExitOk) return status;

    LangTable::useBuiltinEnglish();
    CommandPrompter prompter("fit");
    const int target = wizardTargetSeconds(kWizardCustomChoice, parsed.operands[0], prompter);
    if (target == 0) return kExitUsage;

    Playlist playlist;
    PlaylistView view(playlist);
    view.setViewSource(parsed.viewSource);
    const SourceLoad load = LoadSource("fit", parsed.operands[1], parsed.recursive, playlist, view);
    if (load == SourceLoad::Missing) return kExitFailure;
    if (load == SourceLoad::NotSource) return kExitUsage;

    applyMediaWizard(view, target);
    WriteSongLines(view, true);
    WriteErr("fit: " + std::to_string(view.selectedCount()) + " songs, " +
             shortTimeText(view.selectedLength()) + " of " + shortTimeText(target) + "\n");
    return load == SourceLoad::Loaded ? kExitOk : kExitFailure;
}

}  // namespace td::cli
