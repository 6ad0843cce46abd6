// The process-wide record of every persistent option, and its file.
//
// The settings file "gen_Tunedeck.ini" beside the plug-in module is the exact
// byte image of `SettingsRecord` (5,528 bytes, little-endian, no header). The
// file is outside input: `Settings::load` keeps every index, count and choice
// it reads within its range, and the accessors below never index out of range
// even when a field was set to nonsense in memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace td {

class Prompter;

constexpr int kColumnCount = 20;       // column ids 0 to 19
constexpr int kHtmlTemplateCount = 8;  // htmlTemplate 0 to 7
constexpr int kThemeCount = 35;        // themeIndex 0 to 34
constexpr int kThemeNameSize = 80;
constexpr int kFormatHistoryCount = 8;
constexpr int kFormatHistorySize = 51;  // 50 characters and the NUL
constexpr int kLanguageNameSize = 260;
constexpr int kIconPackageCount = 2;     // iconPackage 0 to 1
constexpr int kRatingPackageCount = 11;  // ratingPackage 0 to 10
constexpr size_t kSettingsFileSize = 5528;

extern const char kSettingsFileName[];     // "gen_Tunedeck.ini"
extern const char kDefaultLanguageName[];  // "English(Default" (sic: 15 characters)

// Column ids (index of columnVisible / columnWidth, values of columnOrder).
enum ColumnId : int32_t {
    kColumnArtist = 0,
    kColumnTitle = 1,
    kColumnGenre = 2,
    kColumnYear = 3,
    kColumnAlbum = 4,
    kColumnComment = 5,
    kColumnMode = 6,
    kColumnBitrate = 7,
    kColumnFrequency = 8,
    kColumnLayer = 9,
    kColumnTime = 10,
    kColumnSize = 11,
    kColumnFileName = 12,
    kColumnTrack = 13,
    kColumnId3Tag = 14,
    kColumnBpm = 15,
    kColumnVolume = 16,
    kColumnPath = 17,
    kColumnShortFileName = 18,
    kColumnRating = 19,
};

// Default shown flag and width of each column id.
extern const int32_t kDefaultColumnVisible[kColumnCount];
extern const int32_t kDefaultColumnWidth[kColumnCount];

// One CSS class of an HTML style template: colours are 0x00BBGGRR.
struct HtmlStyleClass {
    uint32_t textColor;
    uint32_t backgroundColor;
    int32_t fontName;   // 0 to 3
    int32_t fontStyle;  // 0 to 3: Regular, Bold, Italic, Bold italic
    int32_t fontSize;   // 0 to 6: xx-small ... xx-large
};
static_assert(sizeof(HtmlStyleClass) == 20, "style class layout");

constexpr int kFontNameCount = 4;
constexpr int kFontStyleCount = 4;
constexpr int kFontSizeCount = 7;

// Classes in file order: body text, title page, header columns, text columns.
struct HtmlTemplate {
    HtmlStyleClass textPage;
    HtmlStyleClass titlePage;
    HtmlStyleClass columnHeader;
    HtmlStyleClass columnText;
    uint32_t hyperlinkColor;
};
static_assert(sizeof(HtmlTemplate) == 84, "HTML template layout");

// The names shown by the template chooser, by index.
extern const char* const kHtmlTemplateNames[kHtmlTemplateCount];
// The eight built-in templates (restored by a reset of the HTML group).
extern const HtmlTemplate kBuiltinHtmlTemplates[kHtmlTemplateCount];

// A Windows WINDOWPLACEMENT, field for field (44 bytes).
struct WindowPlacementRecord {
    uint32_t length;
    uint32_t flags;
    uint32_t showCmd;
    int32_t minX, minY;
    int32_t maxX, maxY;
    int32_t left, top, right, bottom;
};
static_assert(sizeof(WindowPlacementRecord) == 44, "window placement layout");

// A colour theme of the list: an 80-byte name and seven colours (0x00BBGGRR).
struct ColorTheme {
    char name[kThemeNameSize];
    uint32_t text;
    uint32_t background;
    uint32_t alternateBackground;
    uint32_t selectedText;
    uint32_t selectedBackground;
    uint32_t playingText;
    uint32_t playingBackground;
};
static_assert(sizeof(ColorTheme) == 108, "theme layout");

// The built-in themes; entry 0 holds only the name of the theme that is
// filled from the system colours.
extern const ColorTheme kBuiltinThemes[kThemeCount];

// The system colours theme 0 is made of.
struct SystemColors {
    uint32_t windowText;
    uint32_t window;
    uint32_t highlightText;
    uint32_t highlight;
};
// The platform's current colours (GetSysColor on Windows; a light scheme elsewhere).
SystemColors CurrentSystemColors();

// The file image. Fields in file order; other code reads and writes them
// directly by name.
struct SettingsRecord {
    int32_t exportSelectedOnly;  // 0 all entries, 1 only the selected ones
    int32_t htmlListing;         // 0 table, 1 listing
    int32_t htmlHyperlink;
    int32_t exportBothTags;
    int32_t showNumber;
    int32_t showGrid;
    uint32_t searchFields;       // bits 0-5 Artist, Title, Album, Comment, File name, Year; bit 6 match case
    int32_t doubleClickAction;   // 0 play, 1 enqueue, 2 edit tag
    int32_t viewInfoFrom;        // 0 ID3v1, 1 ID3v2, 2 ID3v2 / ID3v1, 3 ID3v1 / ID3v2
    int32_t loadOnStartup;       // 0 own playlist, 1 the host's playlist
    uint32_t massTagFields;      // bits 0-6 Title, Artist, Album, Year, Track#, Genre, Comment
    uint32_t massTagVersions;    // bit 0 ID3v1, bit 1 ID3v2
    int32_t tagFromNameVersion;  // 0 ID3v1, 1 ID3v2, 2 both
    int32_t renameSource;        // the four values of viewInfoFrom
    int32_t visibleColumnCount;  // 0 to 20, taken from the list view
    int32_t wizardLength;        // 0-5: 45, 60, 74, 80, 90, 120 minutes; 6 custom
    int32_t caseConversion;      // 0 to 4
    int32_t charConversion;      // 0 to 2
    int32_t organizeSource;      // 0 ID3v1, 1 ID3v2
    int32_t organizeLayout;      // 0 artist, 1 album, 2 genre, 3 artist then album
    int32_t columnOrder[kColumnCount];    // column ids in display order
    int32_t columnVisible[kColumnCount];  // by column id: 1 shown
    int32_t columnWidth[kColumnCount];    // by column id: pixels
    int32_t sortColumn;                   // column id of the last sort key
    int32_t sortDescending;
    int32_t htmlTemplate;  // 0 to 7
    HtmlTemplate htmlTemplates[kHtmlTemplateCount];
    WindowPlacementRecord windowPlacement;
    uint32_t duplicateFields;  // bits 0-4: artist and title, file name, genre, length, size
    int32_t duplicateSeconds;  // 0 to 60
    int32_t duplicatePercent;  // 95 to 100
    char languageName[kLanguageNameSize];
    uint32_t explorerFields;  // bits 0-6 Artist, Genre, ID3 Tag, Comment, Mode, Album, Rating
    int32_t explorerShown;
    char formatHistory[kFormatHistoryCount][kFormatHistorySize];  // most recent first
    int32_t themeIndex;                                           // 0 to 34
    ColorTheme themes[kThemeCount];
    int32_t iconPackage;    // 0 to 1
    int32_t ratingPackage;  // 0 to 10
};

// Reset dialog categories (bit flags for Settings::reset).
enum SettingsCategory : unsigned {
    kResetHtml = 1u << 0,
    kResetColumns = 1u << 1,
    kResetTools = 1u << 2,
    kResetOptions = 1u << 3,
    kResetTheme = 1u << 4,
    kResetAll = 0x1Fu,
};

class Settings : public SettingsRecord {
public:
    // `directory` is the plug-in module's directory (with or without its
    // trailing separator); the file is "gen_Tunedeck.ini" in it. Does not read
    // the file; every field starts at its default.
    explicit Settings(const std::string& directory = std::string());

    const std::string& path() const { return path_; }

    // Reads the file. A missing, unreadable or short file (fewer than 5,528
    // bytes) gives all defaults and false; a longer one is read up to 5,528
    // bytes. The values read are then brought into range (`sanitize`).
    bool load();
    // Writes the 5,528 bytes through a temporary file and an atomic replace:
    // the old file stays whole unless the new one is completely written.
    // False on any failure; the record in memory is never changed.
    bool save() const;

    // Loads from / stores into an in-memory image (the file's bytes).
    // `fromBytes` needs at least kSettingsFileSize bytes, otherwise it applies
    // the defaults and returns false.
    bool fromBytes(const void* data, size_t size);
    std::string toBytes() const;

    // The five default groups, in the order HTML, Theme, Columns, Tools,
    // Options. `visibleColumnCount` is never touched by a default.
    void applyDefaults();
    // Restores the groups named by `categories` (kReset* bits) in the order
    // HTML, Columns, Tools, Options, Theme.
    void reset(unsigned categories);
    // Theme 0 again from the given (or current) system colours.
    void refreshSystemTheme(const SystemColors& colors);
    void refreshSystemTheme() { refreshSystemTheme(CurrentSystemColors()); }

    // Brings every field into its range: out-of-range choices and indexes
    // take their defaults, flags become 0 or 1, bit masks lose unknown bits,
    // `columnOrder` becomes a permutation of the column ids, strings are
    // terminated. A record already in range is left byte for byte as it is.
    void sanitize();

    // Column array pairs (whole arrays of 20 values). setColumnOrder keeps
    // the first occurrence of each valid id and appends the missing ones.
    std::array<int32_t, kColumnCount> getColumnOrder() const;
    void setColumnOrder(const std::array<int32_t, kColumnCount>& order);
    std::array<int32_t, kColumnCount> getColumnVisible() const;
    std::array<int32_t, kColumnCount> getColumnWidth() const;
    void setColumnWidth(const std::array<int32_t, kColumnCount>& width);

    // Sort key: the column id and its direction; getSortKey gives the id
    // negated when descending (column 0 then carries no direction).
    void setSortKey(int columnId, bool descending);
    int getSortKey() const;
    int sortColumnId() const;  // always 0 to 19

    // Range-safe reads of the fields that index something.
    bool isColumnVisible(int columnId) const;
    int columnWidthOf(int columnId) const;  // 0 for an unknown id
    int viewSource() const;                 // viewInfoFrom within 0..3
    const ColorTheme& currentTheme() const;
    const HtmlTemplate& currentHtmlTemplate() const;
    int currentIconPackage() const;
    int currentRatingPackage() const;
    // Stores `name` zero-filled, cut to 259 bytes.
    void setLanguage(const std::string& name);
    // Format history entry i (empty outside 0..7).
    std::string formatPattern(int index) const;
    // Stores `pattern` zero-filled as entry i, cut to 50 bytes; ignored
    // outside 0..7.
    void setFormatPattern(int index, const std::string& pattern);

    // The columns dialog's OK: `selected` column ids in list order become
    // shown, the others hidden after them. With nothing valid selected it
    // shows "At least 1 column must be present !!!" (caption "Error") and
    // changes nothing. Returns whether the record changed.
    bool applyColumnSelection(const std::vector<int>& selected, Prompter& prompter);
    // The reset dialog's OK: nothing checked gives 0 without asking;
    // otherwise asks "Are your sure to reset settings ?" (OK / Cancel) and on
    // OK restores the checked groups and returns 1.
    int confirmReset(unsigned categories, Prompter& prompter);

private:
    void defaultsHtml();
    void defaultsTheme();
    void defaultsColumns();
    void defaultsTools();
    void defaultsOptions();

    std::string path_;
};

// The record must be the file image: every field at its place, no padding.
static_assert(sizeof(SettingsRecord) == kSettingsFileSize, "settings record size");
static_assert(offsetof(SettingsRecord, exportSelectedOnly) == 0, "offset");
static_assert(offsetof(SettingsRecord, htmlListing) == 4, "offset");
static_assert(offsetof(SettingsRecord, htmlHyperlink) == 8, "offset");
static_assert(offsetof(SettingsRecord, exportBothTags) == 12, "offset");
static_assert(offsetof(SettingsRecord, showNumber) == 16, "offset");
static_assert(offsetof(SettingsRecord, showGrid) == 20, "offset");
static_assert(offsetof(SettingsRecord, searchFields) == 24, "offset");
static_assert(offsetof(SettingsRecord, doubleClickAction) == 28, "offset");
static_assert(offsetof(SettingsRecord, viewInfoFrom) == 32, "offset");
static_assert(offsetof(SettingsRecord, loadOnStartup) == 36, "offset");
static_assert(offsetof(SettingsRecord, massTagFields) == 40, "offset");
static_assert(offsetof(SettingsRecord, massTagVersions) == 44, "offset");
static_assert(offsetof(SettingsRecord, tagFromNameVersion) == 48, "offset");
static_assert(offsetof(SettingsRecord, renameSource) == 52, "offset");
static_assert(offsetof(SettingsRecord, visibleColumnCount) == 56, "offset");
static_assert(offsetof(SettingsRecord, wizardLength) == 60, "offset");
static_assert(offsetof(SettingsRecord, caseConversion) == 64, "offset");
static_assert(offsetof(SettingsRecord, charConversion) == 68, "offset");
static_assert(offsetof(SettingsRecord, organizeSource) == 72, "offset");
static_assert(offsetof(SettingsRecord, organizeLayout) == 76, "offset");
static_assert(offsetof(SettingsRecord, columnOrder) == 80, "offset");
static_assert(offsetof(SettingsRecord, columnVisible) == 160, "offset");
static_assert(offsetof(SettingsRecord, columnWidth) == 240, "offset");
static_assert(offsetof(SettingsRecord, sortColumn) == 320, "offset");
static_assert(offsetof(SettingsRecord, sortDescending) == 324, "offset");
static_assert(offsetof(SettingsRecord, htmlTemplate) == 328, "offset");
static_assert(offsetof(SettingsRecord, htmlTemplates) == 332, "offset");
static_assert(offsetof(SettingsRecord, windowPlacement) == 1004, "offset");
static_assert(offsetof(SettingsRecord, duplicateFields) == 1048, "offset");
static_assert(offsetof(SettingsRecord, duplicateSeconds) == 1052, "offset");
static_assert(offsetof(SettingsRecord, duplicatePercent) == 1056, "offset");
static_assert(offsetof(SettingsRecord, languageName) == 1060, "offset");
static_assert(offsetof(SettingsRecord, explorerFields) == 1320, "offset");
static_assert(offsetof(SettingsRecord, explorerShown) == 1324, "offset");
static_assert(offsetof(SettingsRecord, formatHistory) == 1328, "offset");
static_assert(offsetof(SettingsRecord, themeIndex) == 1736, "offset");
static_assert(offsetof(SettingsRecord, themes) == 1740, "offset");
static_assert(offsetof(SettingsRecord, iconPackage) == 5520, "offset");
static_assert(offsetof(SettingsRecord, ratingPackage) == 5524, "offset");

}  // namespace td
