// `tunedeck export`: the rows of a playlist file or folder written in one of
// the export forms of the playlist window (File, Export).
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/source_loader.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "playlist/export.h"
#include "playlist/m3u_pls.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "settings/settings.h"

namespace td::cli {

const char kExportHelp[] =
    "Usage: tunedeck export --format FORMAT [--settings FILE] [-o OUT] [-r] SOURCE\n"
    "\n"
    "Loads SOURCE as `tunedeck list` does (a .kq3, .m3u or .pls playlist or a\n"
    "folder of .mp3 and .mp2 files) and writes its rows as the playlist window's\n"
    "File > Export would. FORMAT is one of:\n"
    "  html          HTML page, table format, styled by the chosen CSS template\n"
    "  html-listing  HTML page, listing format\n"
    "  m3u, pls      playlists\n"
    "  txt           text, columns separated by tabs\n"
    "  txt-aligned   text, columns padded to their widest text\n"
    "  csv           semicolon-separated values\n"
    "  xml           XML (sizes in bytes, lengths in seconds)\n"
    "\n"
    "Reports are 8-bit text in the ANSI code page (windows-1252 outside Windows)\n"
    "with CR LF line ends; M3U and PLS use the encoding of file names.\n"
    "\n"
    "  --settings FILE  the plug-in's settings file (gen_Tunedeck.ini): its\n"
    "                   columns, tag source, export options and HTML template\n"
    "                   are used (default: a fresh installation's settings).\n"
    "                   With \"only selected items\" set nothing is selected, so\n"
    "                   no row is written.\n"
    "  -o OUT           write OUT (replaced whole, or left as it was when the\n"
    "                   export fails); without it the export goes to standard\n"
    "                   output\n"
    "  -r, --recursive  with a folder, enter its subfolders too\n"
    "\n"
    "Exit status: 0 on success, 1 when SOURCE could not be read completely or the\n"
    "export could not be written, 2 on a usage error.\n";

namespace {

struct FormatName {
    const char* name;
    ExportFormat format;
};

const FormatName kFormats[] = {
    {"html", ExportFormat::HtmlTable}, {"html-listing", ExportFormat::HtmlListing},
    {"m3u", ExportFormat::M3u},        {"pls", ExportFormat::Pls},
    {"txt", ExportFormat::TextTabs},   {"txt-aligned", ExportFormat::TextAligned},
    {"csv", ExportFormat::Csv},        {"xml", ExportFormat::Xml},
};

bool ParseFormat(const std::string& name, ExportFormat& format) {
    for (const FormatName& f : kFormats) {
        if (name == f.name) {
            format = f.format;
            return true;
        }
    }
    return false;
}

}  // namespace

int RunExport(const std::vector<std::string>& args) {
    std::string source;
    std::string output;
    std::string settingsFile;
    std::string formatName;
    bool recursive = false;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue =
            options && (a == "--format" || a == "--settings" || a == "-o" || a == "--output");
        if (takesValue && i + 1 >= args.size()) {
            ReportError("export: " + a + " needs a value");
            return kExitUsage;
        }
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "-r" || a == "--recursive")) {
            recursive = true;
        } else if (options && a == "--format") {
            formatName = args[++i];
        } else if (options && a == "--settings") {
            settingsFile = args[++i];
        } else if (options && (a == "-o" || a == "--output")) {
            output = args[++i];
        } else if (options && a.size() > 1 && a[0] == '-') {
            ReportError("export: unknown option '" + a + "'; see 'tunedeck help export'");
            return kExitUsage;
        } else if (source.empty()) {
            source = a;
        } else {
            ReportError("export: one SOURCE only; see 'tunedeck help export'");
            return kExitUsage;
        }
    }
    ExportFormat format = ExportFormat::HtmlTable;
    if (formatName.empty() || !ParseFormat(formatName, format)) {
        ReportError(formatName.empty() ? std::string("export: needs --format FORMAT")
                                       : "export: unknown format '" + formatName + "'");
        return kExitUsage;
    }
    if (source.empty()) {
        ReportError("export: needs a SOURCE; see 'tunedeck help export'");
        return kExitUsage;
    }

    LangTable::useBuiltinEnglish();
    Settings settings;
    if (!settingsFile.empty()) {
        std::string bytes;
        if (!ReadWholeFile(settingsFile, bytes)) {
            ReportError("export: cannot read the settings file '" + text::PathToUtf8(settingsFile) + "'");
            return kExitFailure;
        }
        if (!settings.fromBytes(bytes.data(), bytes.size())) {
            ReportError("export: '" + text::PathToUtf8(settingsFile) +
                        "' is no settings file (it has fewer than 5528 bytes)");
            return kExitFailure;
        }
    }
    Playlist playlist;
    PlaylistView view(playlist);
    view.applyOptions(settings);
    view.buildColumns(settings);

    const SourceLoad load = LoadSource("export", source, recursive, playlist, view);
    if (load == SourceLoad::Missing) return kExitFailure;
    if (load == SourceLoad::NotSource) return kExitUsage;

    const ExportOptions exportOptions = exportOptionsFrom(settings);
    if (format == ExportFormat::M3u || format == ExportFormat::Pls) {
        for (const std::string& name : unwritablePlaylistNames(view, exportOptions.selectedOnly)) {
            ReportError("export: '" + text::PathToUtf8(name) +
                        "' left out: a playlist line cannot hold a name with a line break");
        }
    }
    if (load != SourceLoad::Loaded && !output.empty()) {
        // The export fails: OUT keeps what it had rather than a partial report.
        ReportError("export: '" + text::PathToUtf8(output) + "' left as it was");
        return kExitFailure;
    }
    if (output.empty()) {
        // The page is named after the source then.
        std::string name = source;
        while (name.size() > 1 && (name.back() == '/' || name.back() == kPathSeparator)) {
            name.pop_back();
        }
        WriteOut(formatExport(format, view, exportOptions, name));
    } else if (!writeExport(format, output, view, exportOptions)) {
        ReportError("export: cannot write '" + text::PathToUtf8(output) + "': " + LastFileError());
        return kExitFailure;
    }
    return load == SourceLoad::Loaded ? kExitOk : kExitFailure;
}

}  // namespace td::cli
