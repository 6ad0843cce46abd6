// Data exports: the view's rows in display order written as a report in one
// of seven forms (HTML table or listing styled by a template, tab-separated
// or column-aligned text, semicolon-separated CSV, XML) or as an M3U or PLS
// playlist. Exports write the texts the list shows, column by column, and are
// never read back.
//
// Every form is 8-bit text in the ANSI code page with CR LF line ends; the
// XML declaration and the pages' <meta charset> name that code page
// (ansiCharsetName). Tag texts are outside input: HTML and XML escape every
// text they write (see playlist/export_markup.h). Files are written through a
// temporary file and an atomic replace: an export either writes the whole file
// or leaves the old one untouched and reports false.
#pragma once

#include <string>

#include "settings/settings.h"

namespace td {

class PlaylistView;

enum class ExportFormat : int {
    HtmlTable,
    HtmlListing,
    M3u,
    Pls,
    TextTabs,
    TextAligned,
    Csv,
    Xml,
};

// The settings an export reads, taken apart so that a caller (or a test) can
// choose them; exportOptionsFrom gives the user's.
struct ExportOptions {
    bool selectedOnly = false;  // exportSelectedOnly: only the selected rows
    bool hyperlink = false;     // htmlHyperlink: Artist cells link to the file
    bool bothTags = false;      // exportBothTags: tag columns from ID3v1 and ID3v2
    HtmlTemplate style = kBuiltinHtmlTemplates[0];
    // The "Date: %s" text of the pages; empty: the current local date and time.
    std::string date;
};

ExportOptions exportOptionsFrom(const Settings& settings);

// The export dialog's choice: filter 1 to 7 of LangTable 111 gives the
// format (filter 1 the listing when `htmlListing` is 1, else the table).
// False for any other filter.
bool exportFormatForFilter(int filter, bool htmlListing, ExportFormat& format);
// ".html", ".m3u", ".pls", ".txt", ".csv" or ".xml".
const char* exportExtension(ExportFormat format);
// `name` with the format's extension appended unless it already ends with it
// (compared without regard to case).
std::string ensureExportExtension(const std::string& name, ExportFormat format);
// The CSS texts of a font name index (0 to 3) and a font size index (0 to
// 6) of an HTML style class; "" outside.
const char* htmlFontNameText(int index);
const char* htmlFontSizeText(int index);
// The page name of an HTML export: the file name without its directory and
// without its extension (cut at the last ".").
std::string exportPageName(const std::string& path);

// The bytes of each form. The view's text options (tag source, seconds
// switch, size unit) are changed while a form is built, as the form needs,
// and restored before returning. `path` gives the pages their name.
std::string formatHtmlTable(PlaylistView& view, const ExportOptions& options, const std::string& path);
std::string formatHtmlListing(PlaylistView& view, const ExportOptions& options, const std::string& path);
std::string formatTextTabs(PlaylistView& view, const ExportOptions& options);
std::string formatTextAligned(PlaylistView& view, const ExportOptions& options);
std::string formatCsv(PlaylistView& view, const ExportOptions& options);
std::string formatXml(PlaylistView& view, const ExportOptions& options);
// Any form, M3U and PLS (playlist/m3u_pls.h) included.
std::string formatExport(ExportFormat format, PlaylistView& view, const ExportOptions& options,
                         const std::string& path);

// The export entry: writes `path` in `format`. False when the file could not
// be written completely.
bool writeExport(ExportFormat format, const std::string& path, PlaylistView& view,
                 const ExportOptions& options);

}  // namespace td
