#include "playlist/export.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/file_system.h"
#include "playlist/export_markup.h"
#include "playlist/m3u_pls.h"
#include "playlist/text_format.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"

namespace td {

namespace {

constexpr char kEol[] = "\r\n";

constexpr int kLangDate = 108;         // "Date: %s"
constexpr int kLangTotalFiles = 115;   // "Total files: %i"
constexpr int kLangTotalSize = 116;    // "Total size: %u MB"
constexpr int kLangAverage = 119;      // "Avg length: %s"
constexpr int kLangTotalLength = 121;  // "Total length: %s"

const char* const kFontNames[kFontNameCount] = {
    "Arial, Helvetica, sans-serif",
    "\"Times New Roman\", Times, serif",
    "\"Courier New\", Courier, mono",
    "Verdana, Arial, Helvetica, sans-serif",
};
const char* const kFontSizes[kFontSizeCount] = {
    "xx-small", "x-small", "small", "medium", "large", "x-large", "xx-large",
};
// CSS font-style and font-weight of each font style index.
const char* const kFontStyles[kFontStyleCount][2] = {
    {"normal", "normal"},
    {"normal", "bold"},
    {"italic", "normal"},
    {"italic", "bold"},
};

// One exported column: a view column, or one half of a tag column in
// both-tags mode (`source` 0 ID3v1, 1 ID3v2; -1 the view's own choice).
struct ExportColumn {
    int position;
    int id;
    int source;
};

std::vector<ExportColumn> Columns(const PlaylistView& view, bool bothTags) {
    std::vector<ExportColumn> columns;
    for (int position = 0; position < view.columnCount(); ++position) {
        const int id = view.columnIdAt(position);
        if (id < 0) continue;
        if (bothTags && columnDef(id).tag == 1) {
            columns.push_back({position, id, 0});
            columns.push_back({position, id, 1});
        } else {
            columns.push_back({position, id, -1});
        }
    }
    return columns;
}

// The rows an export writes: entries in display order with their 1-based
// row numbers (numbers of rows left out are not reused).
struct ExportRow {
    const SongRecord* entry;
    int number;
};

std::vector<ExportRow> Rows(const PlaylistView& view, bool selectedOnly) {
    std::vector<ExportRow> rows;
    rows.reserve(view.rows().size());
    for (int row = 0; row < view.rowCount(); ++row) {
        const ViewRow& r = view.rows()[static_cast<size_t>(row)];
        if (!r.entry || (selectedOnly && !r.selected)) continue;
        rows.push_back({r.entry, row + 1});
    }
    return rows;
}

// Changes the view's text options for the duration of an export and puts
// the user's back afterwards.
class ViewOptionsScope {
public:
    explicit ViewOptionsScope(PlaylistView& view)
        : view_(view),
          source_(view.viewSource()),
          secondsOnly_(view.secondsOnly()),
          sizeUnit_(view.sizeUnit()) {}
    ~ViewOptionsScope() {
        view_.setViewSource(source_);
        view_.setSecondsOnly(secondsOnly_);
        view_.setSizeUnit(sizeUnit_);
    }
    ViewOptionsScope(const ViewOptionsScope&) = delete;
    ViewOptionsScope& operator=(const ViewOptionsScope&) = delete;

    int source() const { return source_; }

private:
    PlaylistView& view_;
    int source_;
    bool secondsOnly_;
    int sizeUnit_;
};

std::string CellText(PlaylistView& view, const ViewOptionsScope& scope, const SongRecord& entry,
                     const ExportColumn& column) {
    if (column.source < 0) return view.columnText(entry, column.position, -1);
    view.setViewSource(column.source);
    std::string text = view.columnText(entry, column.position, -1);
    view.setViewSource(scope.source());
    return text;
}

bool IsEmptyCell(const std::string& text) { return text.empty() || text == " "; }

const char* SourceSuffix(int source) { return source == 0 ? "id3v1" : "id3v2"; }

// --- HTML --------------------------------------------------------------------

class HtmlWriter {
public:
    explicit HtmlWriter(std::string& out) : out_(out) {}

    HtmlWriter& Raw(const char* text) {
        out_ += text;
        return *this;
    }
    HtmlWriter& Ansi(const std::string& text) {
        appendMarkupAnsi(out_, text, MarkupKind::Html, false);
        return *this;
    }
    HtmlWriter& Native(const std::string& text) {
        appendMarkupNative(out_, text, MarkupKind::Html, false);
        return *this;
    }
    HtmlWriter& Cell(const std::string& text, int id) {
        return columnDef(id).nativeText ? Native(text) : Ansi(text);
    }
    // A link's target: the file's URL as a double-quoted attribute value.
    HtmlWriter& Href(const std::string& path) {
        out_ += "<a href =\"";
        appendMarkupAnsi(out_, fileUrl(path), MarkupKind::Html, true);
        out_ += "\">";
        return *this;
    }
    HtmlWriter& Eol() {
        out_ += kEol;
        return *this;
    }

private:
    std::string& out_;
};

void AppendColor(std::string& out, uint32_t color) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", static_cast<unsigned>(color & 0xFF),
                  static_cast<unsigned>((color >> 8) & 0xFF), static_cast<unsigned>((color >> 16) & 0xFF));
    out += buffer;
}

int Clamp(int32_t value, int count) { return value >= 0 && value < count ? value : 0; }

void AppendStyleClass(std::string& out, const char* name, const HtmlStyleClass& style) {
    const int font = Clamp(style.fontName, kFontNameCount);
    const int size = Clamp(style.fontSize, kFontSizeCount);
    const int fontStyle = Clamp(style.fontStyle, kFontStyleCount);
    out += '.';
    out += name;
    out += " {font-family:";
    out += kFontNames[font];
    out += "; font-size:";
    out += kFontSizes[size];
    out += "; font-style:";
    out += kFontStyles[fontStyle][0];
    out += "; font-weight:";
    out += kFontStyles[fontStyle][1];
    out += "; color:";
    AppendColor(out, style.textColor);
    out += "; background-color:";
    AppendColor(out, style.backgroundColor);
    out += " }";
    out += kEol;
}

void AppendHtmlHead(std::string& out, const ExportOptions& options, const std::string& path) {
    const std::string page = exportPageName(path);
    HtmlWriter html(out);
    html.Raw("<html>").Eol().Raw("<head>").Eol();
    html.Raw("<meta charset=\"").Raw(ansiCharsetName()).Raw("\">").Eol();
    html.Raw("<title>").Native(page).Raw("</title>").Eol();
    html.Raw("<style type=\"text/css\">").Eol();
    const HtmlTemplate& style = options.style;
    AppendStyleClass(out, "TextPage", style.textPage);
    AppendStyleClass(out, "TitlePage", style.titlePage);
    AppendStyleClass(out, "ColumnHeader", style.columnHeader);
    AppendStyleClass(out, "ColumnText", style.columnText);
    html.Raw("</style>").Eol().Raw("</head>").Eol();
    html.Raw("<body class=\"TextPage\" link=");
    AppendColor(out, style.hyperlinkColor);
    html.Raw(">").Eol();
    html.Raw("<center><h1 class=\"TitlePage\">Playlist page:").Native(page).Raw("</h1></center>");
    html.Eol();
}

// Totals of the rows written, for the foot of the pages.
struct HtmlTotals {
    int files = 0;
    long long megabytes = 0;  // each file's size in MB, truncated, summed
    long long seconds = 0;

    void Add(const SongRecord& entry) {
        const MpegInfo& mpeg = entry.GetMpegInfo();
        ++files;
        megabytes += static_cast<uint32_t>(mpeg.fileSize) / 1048576u;
        seconds += mpeg.seconds > 0 ? mpeg.seconds : 0;
    }
};

void AppendHtmlFoot(std::string& out, const ExportOptions& options, const HtmlTotals& totals) {
    HtmlWriter html(out);
    html.Ansi(FormatLangText(LangTable::getString(kLangTotalFiles), {totals.files})).Raw("<br>").Eol();
    html.Ansi(FormatLangText(LangTable::getString(kLangTotalSize), {totals.megabytes})).Raw("<br>").Eol();
    html.Ansi(FormatLangText(LangTable::getString(kLangTotalLength), {longTimeText(totals.seconds)}))
        .Raw("<br>")
        .Eol();
    const long long average = totals.seconds / (totals.files > 0 ? totals.files : 1);
    html.Ansi(FormatLangText(LangTable::getString(kLangAverage), {shortTimeText(average)}))
        .Raw("<br>")
        .Eol()
        .Eol();
    html.Raw("Exported by Tunedeck<br>").Eol();
    const std::string date = options.date.empty() ? localDateTimeText() : options.date;
    html.Ansi(FormatLangText(LangTable::getString(kLangDate), {date})).Raw("<br>").Eol();
    html.Raw("</body></html>").Eol();
}

// The heading line's texts: Artist and Title as the tags give them (empty
// when they lack them), read from `source`.
void ArtistAndTitle(const SongRecord& entry, int source, std::string& artist, std::string& title) {
    const TagFieldReader reader(source);
    artist.clear();
    title.clear();
    reader.GetField(entry, columnDef(kColumnArtist).frameType, artist);
    reader.GetField(entry, columnDef(kColumnTitle).frameType, title);
}

// --- text --------------------------------------------------------------------

// A cell of a plain text export as ANSI text (`native`: it comes in the file
// system's encoding); with `flatten` every control character (a tab or line
// break inside a tag would start a new cell or row) becomes a blank.
std::string PlainText(const std::string& text, bool native, bool flatten) {
    std::string plain = native ? nativeToAnsiText(text) : text;
    if (flatten) {
        for (char& c : plain) {
            if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        }
    } else {
        plain.erase(std::remove(plain.begin(), plain.end(), '\0'), plain.end());
    }
    return plain;
}

// The titles and the cells of every row written, as plain text.
struct TextTable {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;
};

TextTable BuildTextTable(PlaylistView& view, const ExportOptions& options, bool flatten) {
    ViewOptionsScope scope(view);
    TextTable table;
    const std::vector<ExportColumn> columns = Columns(view, false);
    for (const ExportColumn& column : columns) {
        table.titles.push_back(PlainText(columnTitle(column.id), false, flatten));
    }
    const std::vector<ExportRow> rows = Rows(view, options.selectedOnly);
    table.rows.reserve(rows.size());
    for (const ExportRow& row : rows) {
        std::vector<std::string> cells;
        cells.reserve(columns.size());
        for (const ExportColumn& column : columns) {
            const std::string text = CellText(view, scope, *row.entry, column);
            cells.push_back(PlainText(text, columnDef(column.id).nativeText, flatten));
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

void AppendCsvLine(std::string& out, const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ';';
        out += '"';
        const std::string& cell = cells[i];
        for (size_t k = 0; k < cell.size(); ++k) {
            const char c = cell[k];
            if (c == '\r' || c == '\n') {
                // Quoted, a line break stays in its cell; as CR LF like every other.
                out += kEol;
                if (c == '\r' && k + 1 < cell.size() && cell[k + 1] == '\n') ++k;
                continue;
            }
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    out += kEol;
}

void AppendTabLine(std::string& out, const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += '\t';
        out += cells[i];
    }
    out += kEol;
}

void AppendAlignedLine(std::string& out, const std::vector<std::string>& cells,
                       const std::vector<size_t>& widths) {
    for (size_t i = 0; i < cells.size(); ++i) {
        out += cells[i];
        out.append(widths[i] - std::min(widths[i], cells[i].size()), ' ');
        out += "  | ";
    }
    out += kEol;
}

bool Write(const std::string& path, const std::string& bytes) {
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace

const char* htmlFontNameText(int index) {
    return index >= 0 && index < kFontNameCount ? kFontNames[index] : "";
}

const char* htmlFontSizeText(int index) {
    return index >= 0 && index < kFontSizeCount ? kFontSizes[index] : "";
}

ExportOptions exportOptionsFrom(const Settings& settings) {
    ExportOptions options;
    options.selectedOnly = settings.exportSelectedOnly == 1;
    options.hyperlink = settings.htmlHyperlink == 1;
    options.bothTags = settings.exportBothTags == 1;
    options.style = settings.currentHtmlTemplate();
    return options;
}

bool exportFormatForFilter(int filter, bool htmlListing, ExportFormat& format) {
    switch (filter) {
    case 1: format = htmlListing ? ExportFormat::HtmlListing : ExportFormat::HtmlTable; break;
    case 2: format = ExportFormat::M3u; break;
    case 3: format = ExportFormat::Pls; break;
    case 4: format = ExportFormat::TextTabs; break;
    case 5: format = ExportFormat::TextAligned; break;
    case 6: format = ExportFormat::Csv; break;
    case 7: format = ExportFormat::Xml; break;
    default: return false;
    }
    return true;
}

const char* exportExtension(ExportFormat format) {
    switch (format) {
    case ExportFormat::HtmlTable:
    case ExportFormat::HtmlListing: return ".html";
    case ExportFormat::M3u: return ".m3u";
    case ExportFormat::Pls: return ".pls";
    case ExportFormat::TextTabs:
    case ExportFormat::TextAligned: return ".txt";
    case ExportFormat::Csv: return ".csv";
    case ExportFormat::Xml: return ".xml";
    }
    return "";
}

std::string ensureExportExtension(const std::string& name, ExportFormat format) {
    const std::string extension = exportExtension(format);
    if (name.size() >= extension.size()) {
        std::string tail = name.substr(name.size() - extension.size());
        for (char& c : tail) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        if (tail == extension) return name;
    }
    return name + extension;
}

std::string exportPageName(const std::string& path) {
    const size_t slash = path.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string formatHtmlTable(PlaylistView& view, const ExportOptions& options, const std::string& path) {
    ViewOptionsScope scope(view);
    const std::vector<ExportColumn> columns = Columns(view, options.bothTags);
    const std::vector<ExportRow> rows = Rows(view, options.selectedOnly);
    std::string out;
    out.reserve(4096 + rows.size() * (columns.size() * 40 + 48));
    HtmlWriter html(out);
    AppendHtmlHead(out, options, path);

    html.Raw("<table border=1 cellpadding=5 cellspacing=0>").Eol();
    html.Raw("<tr class=\"ColumnHeader\">").Eol();
    html.Raw("<th>N");
    appendMarkupCodePoint(out, 0xB0, MarkupKind::Html, false);  // the degree sign
    html.Raw("</th>").Eol();
    for (const ExportColumn& column : columns) {
        html.Raw("<th>").Ansi(columnTitle(column.id));
        if (column.source >= 0) html.Raw("(").Raw(SourceSuffix(column.source)).Raw(")");
        html.Raw("</th>").Eol();
    }
    html.Raw("</tr>").Eol();

    HtmlTotals totals;
    char number[24];
    for (const ExportRow& row : rows) {
        totals.Add(*row.entry);
        html.Raw("<tr class=\"ColumnText\">").Eol();
        std::snprintf(number, sizeof number, "<td>%d</td>", row.number);
        html.Raw(number).Eol();
        for (const ExportColumn& column : columns) {
            const std::string text = CellText(view, scope, *row.entry, column);
            const bool empty = IsEmptyCell(text);
            if (options.hyperlink && column.id == kColumnArtist) {
                html.Raw(empty ? "<td>" : "<td nowrap>").Href(row.entry->GetFileName());
                if (empty) {
                    html.Raw("&nbsp;");
                } else {
                    html.Cell(text, column.id);
                }
                html.Raw("</a></td>").Eol();
            } else if (empty) {
                html.Raw("<td>&nbsp;</td>").Eol();
            } else {
                html.Raw("<td nowrap>").Cell(text, column.id).Raw("</td>").Eol();
            }
        }
        html.Raw("</tr>").Eol();
    }
    html.Raw("</table>").Eol().Raw("<BR>").Eol();
    AppendHtmlFoot(out, options, totals);
    return out;
}

std::string formatHtmlListing(PlaylistView& view, const ExportOptions& options, const std::string& path) {
    ViewOptionsScope scope(view);
    const std::vector<ExportColumn> columns = Columns(view, options.bothTags);
    const std::vector<ExportRow> rows = Rows(view, options.selectedOnly);
    std::string out;
    out.reserve(4096 + rows.size() * (columns.size() * 40 + 96));
    HtmlWriter html(out);
    AppendHtmlHead(out, options, path);

    HtmlTotals totals;
    std::string artist;
    std::string title;
    for (const ExportRow& row : rows) {
        totals.Add(*row.entry);
        const std::string& file = row.entry->GetFileName();
        const int headingCount = options.bothTags ? 2 : 1;
        for (int heading = 0; heading < headingCount; ++heading) {
            const int source = options.bothTags ? heading : scope.source();
            ArtistAndTitle(*row.entry, source, artist, title);
            if (options.hyperlink) {
                html.Href(file);
            } else {
                html.Raw("<B>");
            }
            if (options.bothTags) html.Raw("(").Raw(SourceSuffix(heading)).Raw(") ");
            html.Ansi(artist).Raw(" - ").Ansi(title);
            html.Raw(options.hyperlink ? "</a><BR>" : "</B><BR>").Eol();
        }
        for (const ExportColumn& column : columns) {
            if (column.id == kColumnArtist || column.id == kColumnTitle) continue;
            html.Raw("- ").Ansi(columnTitle(column.id));
            if (column.source >= 0) html.Raw(" (").Raw(SourceSuffix(column.source)).Raw(")");
            html.Raw(": ").Cell(CellText(view, scope, *row.entry, column), column.id);
            html.Raw("<BR>").Eol();
        }
        html.Raw("<BR>").Eol();
    }
    html.Raw("<BR>").Eol();
    AppendHtmlFoot(out, options, totals);
    return out;
}

std::string formatXml(PlaylistView& view, const ExportOptions& options) {
    ViewOptionsScope scope(view);
    // Sizes in bytes and lengths in seconds: numbers other programs can use.
    view.setSizeUnit(0);
    view.setSecondsOnly(true);
    const std::vector<ExportColumn> columns = Columns(view, false);
    const std::vector<ExportRow> rows = Rows(view, options.selectedOnly);
    std::string out;
    out.reserve(256 + rows.size() * (columns.size() * 48 + 64));
    out += "<?xml version=\"1.0\" encoding=\"";
    out += ansiCharsetName();
    out += "\"?>";
    out += kEol;
    out += "<TUNEDECK SUBJECT=\"XML\">";
    out += kEol;
    for (const ExportRow& row : rows) {
        out += "<MEDIAFILE FILENAME=\"";
        appendMarkupNative(out, row.entry->GetFileName(), MarkupKind::Xml, true);
        out += "\">";
        out += kEol;
        for (const ExportColumn& column : columns) {
            const char* key = columnDef(column.id).key;
            out += "\t<";
            out += key;
            out += '>';
            const std::string text = CellText(view, scope, *row.entry, column);
            if (columnDef(column.id).nativeText) {
                appendMarkupNative(out, text, MarkupKind::Xml, false);
            } else {
                appendMarkupAnsi(out, text, MarkupKind::Xml, false);
            }
            out += "</";
            out += key;
            out += '>';
            out += kEol;
        }
        out += "</MEDIAFILE>";
        out += kEol;
    }
    out += "</TUNEDECK>";
    out += kEol;
    return out;
}

std::string formatCsv(PlaylistView& view, const ExportOptions& options) {
    const TextTable table = BuildTextTable(view, options, false);
    std::string out;
    AppendCsvLine(out, table.titles);
    for (const std::vector<std::string>& cells : table.rows) AppendCsvLine(out, cells);
    return out;
}

std::string formatTextTabs(PlaylistView& view, const ExportOptions& options) {
    const TextTable table = BuildTextTable(view, options, true);
    std::string out;
    AppendTabLine(out, table.titles);
    for (const std::vector<std::string>& cells : table.rows) AppendTabLine(out, cells);
    return out;
}

std::string formatTextAligned(PlaylistView& view, const ExportOptions& options) {
    const TextTable table = BuildTextTable(view, options, true);
    std::vector<size_t> widths;
    for (const std::string& title : table.titles) widths.push_back(title.size());
    for (const std::vector<std::string>& cells : table.rows) {
        for (size_t i = 0; i < cells.size(); ++i) widths[i] = std::max(widths[i], cells[i].size());
    }
    std::string out;
    AppendAlignedLine(out, table.titles, widths);
    for (size_t width : widths) {
        out.append(width, '-');
        out += "--+-";
    }
    out += kEol;
    for (const std::vector<std::string>& cells : table.rows) AppendAlignedLine(out, cells, widths);
    return out;
}

std::string formatExport(ExportFormat format, PlaylistView& view, const ExportOptions& options,
                         const std::string& path) {
    switch (format) {
    case ExportFormat::HtmlTable: return formatHtmlTable(view, options, path);
    case ExportFormat::HtmlListing: return formatHtmlListing(view, options, path);
    case ExportFormat::M3u: return formatM3u(view, options.selectedOnly);
    case ExportFormat::Pls: return formatPls(view, options.selectedOnly);
    case ExportFormat::TextTabs: return formatTextTabs(view, options);
    case ExportFormat::TextAligned: return formatTextAligned(view, options);
    case ExportFormat::Csv: return formatCsv(view, options);
    case ExportFormat::Xml: return formatXml(view, options);
    }
    return std::string();
}

bool writeExport(ExportFormat format, const std::string& path, PlaylistView& view,
                 const ExportOptions& options) {
    return Write(path, formatExport(format, view, options, path));
}

}  // namespace td
