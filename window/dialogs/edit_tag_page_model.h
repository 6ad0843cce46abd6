// The "Edit ID3Tag" page of the tag tools dialog: one file of the list at a
// time, its ID3v1 tag and main ID3v2 frames side by side with its stream
// information, edited and written back.
//
// The model holds the page's data: the files it steps through (the list's
// entries in view order), the one shown, the texts of every field, the two
// tag check boxes, the rating and the `modified` flag. The Win32 page moves
// texts between its controls and the model and shows what the model says;
// every decision (what is shown, what counts as a change, what a write puts
// into the file, when to ask) is here.
//
// A write loads the file afresh and saves it through the tools' one save
// path (SaveToolRecord with the read-only question); the list's entry takes
// the new data only when the write went through.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace td {

class PlaylistView;
class Prompter;
class SongRecord;

// The page's text fields. ID3v1 first, then ID3v2; the genre of each group
// is the text its genre list shows.
enum EditTagField : int {
    kEditV1Title = 0,
    kEditV1Artist,
    kEditV1Album,
    kEditV1Year,
    kEditV1Track,
    kEditV1Genre,
    kEditV1Comment,
    kEditV2Title,
    kEditV2Artist,
    kEditV2Album,
    kEditV2Year,
    kEditV2Track,
    kEditV2Genre,
    kEditV2Comment,
    kEditV2Bpm,
    kEditV2Subtitle,
    kEditV2Remixed,
    kEditV2Composer,
};
constexpr int kEditFieldCount = 18;
constexpr int kEditFirstV2Field = kEditV2Title;
constexpr int kEditRatingLevels = 6;  // "" and "*" to "*****"

// LangTable numbers of the page's texts.
enum EditTagText : int {
    kEditTextInformation = 43,  // "Information: Edit Tag"
    kEditTextError = 44,        // "Error: Edit Tag"
    kEditTextWriteAsk = 45,     // "Write modifications ?"
    kEditTextNoSong = 46,       // "Select before a song"
    kEditTextCannotWrite = 48,  // "Can't write ID3 Tag !!!"
    kEditTextRewriting = 49,    // "Updating file (Writing new tag), please wait..."
    kEditTextCaption = 292,     // "ID3Tag Tools"
    kEditTextPageTitle = 298,   // "Edit ID3Tag"
};

// Which group a field belongs to.
inline bool IsV2Field(int field) { return field >= kEditFirstV2Field && field < kEditFieldCount; }
// The ID3v2 frame type a field of the ID3v2 group is bound to (kNoFrameType
// for ID3v1 fields).
int EditFieldFrameType(int field);
// Longest text the field's control takes: 30 for the ID3v1 texts, 4 for
// the year, 3 for the track; 0 (no limit) for the ID3v2 fields.
int EditFieldLimit(int field);

// The swap items of a field's menu: the two fields of the same group its
// text can be exchanged with (Title: Artist, Album; Artist: Title, Album;
// Album: Artist, Title). Only Title, Artist and Album have a menu.
bool HasFieldMenu(int field);
std::array<int, 2> SwapPartners(int field);

// What a write came to.
enum class EditWriteResult {
    Written,     // the file holds the page's tags, the entry took them
    Declined,    // the read-only question was answered Cancel
    NoSong,      // no file shown ("Select before a song")
    Unreadable,  // the file could not be loaded ("Can't write ID3 Tag !!!")
    Failed,      // the writer's error, shown with its text
};

class EditTagPageModel {
public:
    // The files in view order; `first` is shown first (clamped to the list).
    EditTagPageModel(std::vector<SongRecord*> files, int first);
    // The view's entries; the first one selected in the view is shown first
    // (the first row when nothing is selected).
    explicit EditTagPageModel(const PlaylistView& view);

    int count() const { return static_cast<int>(files_.size()); }
    const std::vector<SongRecord*>& files() const { return files_; }
    // The index of the file shown; -1 when the list is empty.
    int current() const { return current_; }
    SongRecord* currentEntry() const;

    // --- the fields -----------------------------------------------------
    const std::string& text(int field) const { return texts_[static_cast<size_t>(field)]; }
    bool v1Enabled() const { return v1_; }
    bool v2Enabled() const { return v2_; }
    int rating() const { return rating_; }
    bool modified() const { return modified_; }
    // While set, changes do not count as the user's (the page's own filling
    // of its controls).
    void setFilling(bool on) { filling_ = on; }
    bool filling() const { return filling_; }

    // A field typed or chosen. The text is refused, and the field keeps what
    // it held, when the field cannot hold it: a character the code page has
    // no exact equivalent for, more than the field's limit, or an ID3v1
    // track that is not a number from 0 to 255 (the trailer's one byte).
    // True when the field now holds `text`.
    bool setText(int field, const std::string& text);
    // The same from the control's UTF-16 text, converted to the code page.
    bool setTextUtf16(int field, std::u16string_view text);
    void setV1Enabled(bool on);
    void setV2Enabled(bool on);
    // Levels 0 to 5; others are refused.
    bool setRating(int level);

    // "ID3v1 --> ID3v2": the seven ID3v1 texts into the same ID3v2 fields,
    // the ID3v2 tag checked. An ID3v1 genre of "???" (none) gives an empty
    // ID3v2 genre, not the text "???".
    void copyV1ToV2();
    // "ID3v1 <-- ID3v2": texts cut to the ID3v1 limits, the genre text
    // resolved to a genre name ("(17)" is "Rock"), "???" when it names none;
    // a track that does not fit the byte is left empty. The ID3v1 tag checked.
    void copyV2ToV1();
    // The field menus: exchange two fields of a group; a case item (1 to 4).
    void swapFields(int a, int b);
    void applyCase(int field, int conversion);

    // --- moving and writing ---------------------------------------------
    // Shows file `index` (clamped to the list): the fields from its entry,
    // `modified` cleared.
    void show(int index);
    // The index a move by `delta` leads to: kept between the first and the
    // last file.
    int target(int delta) const;

    // Called around a write that adds or drops a whole ID3v2 tag (the file is
    // rewritten): true before, false after.
    using RewriteNotice = std::function<void(bool rewriting)>;

    // "&Update": writes the fields into the file shown. Messages go through
    // `prompter` (the read-only question, the errors). `modified` is cleared
    // in every case; after a write the page shows what the file now holds.
    EditWriteResult write(Prompter& prompter, const RewriteNotice& notice = {});
    // Before the page leaves the file shown: when modified, asks "Write
    // modifications ?" (OK / Cancel) and writes on OK. `modified` is cleared
    // in every case. True when a write was attempted.
    bool offerWrite(Prompter& prompter, const RewriteNotice& notice = {});
    // Offers to write, then shows the file `delta` away.
    void move(int delta, Prompter& prompter, const RewriteNotice& notice = {});
    // Offers to write, then shows file `index` (the file selector).
    void select(int index, Prompter& prompter, const RewriteNotice& notice = {});

    // The two texts of the stream information of the file shown.
    std::string mpegText(int which) const;

private:
    void clearFields();
    void changed();
    // The text the fresh record holds for an ID3v2 field.
    static std::string FrameText(const SongRecord& record, int field);

    std::vector<SongRecord*> files_;
    int current_ = -1;
    std::array<std::string, kEditFieldCount> texts_;
    // What `show` put into the ID3v2 fields: a field still holding it is left
    // as the file has it (a frame whose text the code page cannot show keeps
    // its original bytes, a comment its description).
    std::array<std::string, kEditFieldCount> shown_;
    int shownRating_ = 0;
    bool v1_ = false;
    bool v2_ = false;
    int rating_ = 0;
    bool modified_ = false;
    bool filling_ = false;
};

// The genre list's texts in genre index order ("???" first).
std::vector<std::string> EditGenreTexts();
// The rating list's texts: the empty text, then "*" to "*****".
std::string RatingLevelText(int level);

}  // namespace td
