#include "window/dialogs/edit_tag_page_model.h"

#include <cstring>
#include <utility>

#include "platform/prompter.h"
#include "platform/text_codec.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/mpeg/mpeg_info.h"
#include "tags/song_record.h"
#include "tools/text_convert.h"
#include "tools/tool_run.h"

namespace td {

namespace {

const char* Text(int id) { return LangTable::getString(id); }

constexpr int kV1TextLimit = 30;
constexpr int kV1YearLimit = 4;
constexpr int kV1TrackLimit = 3;
constexpr uint32_t kV1TrackMax = 255;  // the trailer keeps the track in one byte

// An ID3v1 block field up to its first NUL.
std::string BlockText(const char* field, size_t capacity) {
    size_t n = 0;
    while (n < capacity && field[n] != '\0') ++n;
    return std::string(field, n);
}

void SetBlockText(char* field, size_t size, const std::string& value, size_t max) {
    std::memset(field, 0, size);
    const size_t n = value.size() < max ? value.size() : max;
    std::memcpy(field, value.data(), n);
}

// An ID3v1 track text: empty, or up to three digits worth at most 255.
bool IsV1Track(const std::string& text, uint32_t& value) {
    value = 0;
    if (text.size() > static_cast<size_t>(kV1TrackLimit)) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value <= kV1TrackMax;
}

// The ID3v1 counterpart of an ID3v2 field (and the reverse).
int OtherGroup(int field) { return IsV2Field(field) ? field - kEditFirstV2Field : field + kEditFirstV2Field; }

}  // namespace

int EditFieldFrameType(int field) {
    switch (field) {
    case kEditV2Title: return kTIT2;
    case kEditV2Artist: return kTPE1;
    case kEditV2Album: return kTALB;
    case kEditV2Year: return kTYER;
    case kEditV2Track: return kTRCK;
    case kEditV2Genre: return kTCON;
    case kEditV2Comment: return kCOMM;
    case kEditV2Bpm: return kTBPM;
    case kEditV2Subtitle: return kTIT3;
    case kEditV2Remixed: return kTPE4;
    case kEditV2Composer: return kTCOM;
    default: return kNoFrameType;
    }
}

int EditFieldLimit(int field) {
    switch (field) {
    case kEditV1Title:
    case kEditV1Artist:
    case kEditV1Album:
    case kEditV1Comment: return kV1TextLimit;
    case kEditV1Year: return kV1YearLimit;
    case kEditV1Track: return kV1TrackLimit;
    default: return 0;
    }
}

bool HasFieldMenu(int field) {
    const int base = IsV2Field(field) ? field - kEditFirstV2Field : field;
    return base == kEditV1Title || base == kEditV1Artist || base == kEditV1Album;
}

std::array<int, 2> SwapPartners(int field) {
    const int offset = IsV2Field(field) ? kEditFirstV2Field : 0;
    switch (field - offset) {
    case kEditV1Title: return {offset + kEditV1Artist, offset + kEditV1Album};
    case kEditV1Artist: return {offset + kEditV1Title, offset + kEditV1Album};
    case kEditV1Album: return {offset + kEditV1Artist, offset + kEditV1Title};
    default: return {-1, -1};
    }
}

std::vector<std::string> EditGenreTexts() {
    std::vector<std::string> names;
    names.reserve(kGenreCount);
    for (int i = 0; i < kGenreCount; ++i) names.emplace_back(GenreName(i));
    return names;
}

std::string RatingLevelText(int level) {
    if (level < 0 || level >= kEditRatingLevels) return std::string();
    return std::string(static_cast<size_t>(level), '*');
}

// ---------------------------------------------------------------------------

EditTagPageModel::EditTagPageModel(std::vector<SongRecord*> files, int first) : files_(std::move(files)) {
    clearFields();
    if (!files_.empty()) show(first);
}

namespace {

std::vector<SongRecord*> ViewEntries(const PlaylistView& view, int& firstSelected) {
    std::vector<SongRecord*> entries;
    firstSelected = -1;
    for (const ViewRow& row : view.rows()) {
        if (!row.entry) continue;
        if (row.selected && firstSelected < 0) firstSelected = static_cast<int>(entries.size());
        entries.push_back(row.entry);
    }
    if (firstSelected < 0) firstSelected = 0;
    return entries;
}

}  // namespace

EditTagPageModel::EditTagPageModel(const PlaylistView& view) {
    int first = 0;
    files_ = ViewEntries(view, first);
    clearFields();
    if (!files_.empty()) show(first);
}

SongRecord* EditTagPageModel::currentEntry() const {
    if (current_ < 0 || current_ >= count()) return nullptr;
    return files_[static_cast<size_t>(current_)];
}

void EditTagPageModel::clearFields() {
    for (std::string& t : texts_) t.clear();
    texts_[kEditV1Genre] = GenreName(0);
    v1_ = false;
    v2_ = false;
    rating_ = 0;
    shown_ = texts_;
    shownRating_ = 0;
}

void EditTagPageModel::changed() {
    if (!filling_) modified_ = true;
}

bool EditTagPageModel::setText(int field, const std::string& value) {
    if (field < 0 || field >= kEditFieldCount) return false;
    const int limit = EditFieldLimit(field);
    if (limit > 0 && value.size() > static_cast<size_t>(limit)) return false;
    uint32_t track = 0;
    if (field == kEditV1Track && !IsV1Track(value, track)) return false;
    std::string& held = texts_[static_cast<size_t>(field)];
    if (held == value) return true;
    held = value;
    changed();
    return true;
}

bool EditTagPageModel::setTextUtf16(int field, std::u16string_view value) {
    std::string ansi;
    // A character the code page lacks would reach the file as "?".
    if (!text::Utf16ToAnsi(value, ansi)) return false;
    return setText(field, ansi);
}

void EditTagPageModel::setV1Enabled(bool on) {
    if (v1_ == on) return;
    v1_ = on;
    changed();
}

void EditTagPageModel::setV2Enabled(bool on) {
    if (v2_ == on) return;
    v2_ = on;
    changed();
}

bool EditTagPageModel::setRating(int level) {
    if (level < 0 || level >= kEditRatingLevels) return false;
    if (rating_ == level) return true;
    rating_ = level;
    changed();
    return true;
}

void EditTagPageModel::copyV1ToV2() {
    for (int field = kEditV1Title; field < kEditFirstV2Field; ++field) {
        std::string value = texts_[static_cast<size_t>(field)];
        if (field == kEditV1Genre && GenreIndex(value.c_str()) <= 0) value.clear();
        setText(OtherGroup(field), value);
    }
    setV2Enabled(true);
}

void EditTagPageModel::copyV2ToV1() {
    for (int field = kEditFirstV2Field; field <= kEditV2Comment; ++field) {
        const int target = OtherGroup(field);
        std::string value = texts_[static_cast<size_t>(field)];
        if (target == kEditV1Genre) {
            const int genre = GenreIndex(ResolveGenreText(value).c_str());
            value = GenreName(genre > 0 && genre < kGenreCount ? genre : 0);
        } else if (target == kEditV1Track) {
            const uint32_t number = LeadingNumber(value);
            value = number > 0 && number <= kV1TrackMax ? std::to_string(number) : std::string();
        } else {
            const size_t limit = static_cast<size_t>(EditFieldLimit(target));
            if (value.size() > limit) value.resize(limit);
        }
        setText(target, value);
    }
    setV1Enabled(true);
}

void EditTagPageModel::swapFields(int a, int b) {
    if (a < 0 || b < 0 || a >= kEditFieldCount || b >= kEditFieldCount) return;
    if (IsV2Field(a) != IsV2Field(b) || a == b) return;
    std::string& first = texts_[static_cast<size_t>(a)];
    std::string& second = texts_[static_cast<size_t>(b)];
    if (first == second) return;
    std::swap(first, second);
    changed();
}

void EditTagPageModel::applyCase(int field, int conversion) {
    if (field < 0 || field >= kEditFieldCount) return;
    std::string value = texts_[static_cast<size_t>(field)];
    applyCaseConversion(value, conversion);
    setText(field, value);
}

// ---------------------------------------------------------------------------

void EditTagPageModel::show(int index) {
    if (files_.empty()) {
        current_ = -1;
        clearFields();
        modified_ = false;
        return;
    }
    if (index < 0) index = 0;
    if (index >= count()) index = count() - 1;
    current_ = index;
    clearFields();
    const SongRecord& entry = *files_[static_cast<size_t>(index)];
    if (entry.HasId3v2()) {
        v2_ = true;
        for (int field = kEditFirstV2Field; field < kEditFieldCount; ++field) {
            texts_[static_cast<size_t>(field)] = FrameText(entry, field);
        }
        const int stars = entry.GetRating();
        rating_ = stars < kEditRatingLevels ? stars : kEditRatingLevels - 1;
    }
    if (entry.HasId3v1() && entry.GetId3v1()) {
        const Id3v1Tag& block = *entry.GetId3v1();
        v1_ = true;
        texts_[kEditV1Title] = BlockText(block.title, 30);
        texts_[kEditV1Artist] = BlockText(block.artist, 30);
        texts_[kEditV1Album] = BlockText(block.album, 30);
        texts_[kEditV1Year] = BlockText(block.year, 4);
        texts_[kEditV1Comment] = BlockText(block.comment, 30);
        texts_[kEditV1Genre] = GenreName(block.genre);
        texts_[kEditV1Track] = block.track != 0 ? std::to_string(block.track) : std::string();
    }
    shown_ = texts_;
    shownRating_ = rating_;
    modified_ = false;
}

int EditTagPageModel::target(int delta) const {
    if (files_.empty()) return -1;
    int index = current_ + delta;
    if (index < 0) index = 0;
    if (index >= count()) index = count() - 1;
    return index;
}

std::string EditTagPageModel::FrameText(const SongRecord& record, int field) {
    return SongRecord::MainText(record.GetFrame(EditFieldFrameType(field)));
}

EditWriteResult EditTagPageModel::write(Prompter& prompter, const RewriteNotice& notice) {
    modified_ = false;
    SongRecord* entry = currentEntry();
    if (!entry) {
        prompter.Message(Text(kEditTextNoSong), Text(kEditTextError), PromptButtons::Ok, PromptIcon::Error);
        return EditWriteResult::NoSong;
    }
    // A file that vanished since it was listed would load as an empty record
    // and be written from scratch.
    if (!ToolFileExists(entry->GetFileName())) {
        prompter.Message(Text(kEditTextCannotWrite), Text(kEditTextError), PromptButtons::Ok,
                         PromptIcon::Error);
        return EditWriteResult::Unreadable;
    }
    SongRecord fresh(entry->GetFileName(), true);
    const bool hadV2 = fresh.HasId3v2();
    // The artist made from the file name of an untagged file is for display.
    DropFileNameFrame(fresh);
    fresh.SetTagFlags(kTagId3v1 | kTagId3v2);

    if (v2_) {
        for (int field = kEditFirstV2Field; field < kEditFieldCount; ++field) {
            const std::string& value = texts_[static_cast<size_t>(field)];
            // Left as shown and still so in the file: the frame stays as it is.
            if (value == shown_[static_cast<size_t>(field)] && FrameText(fresh, field) == value) {
                continue;
            }
            Id3v2FieldFrame frame(EditFieldFrameType(field), value);
            fresh.UpdateFrame(frame);
        }
        if (rating_ != shownRating_ || fresh.GetRating() != rating_) {
            Id3v2BinaryFrame popm(kPOPM);
            SetPopmRating(&popm, rating_);
            fresh.UpdateFrame(popm);
            fresh.SetRating(rating_);
        }
        // Removing the last frame drops the flag; the tag is still wanted.
        fresh.SetTagFlags(fresh.GetTagFlags() | kTagId3v2);
    } else {
        fresh.RemoveTags(kTagId3v2);
    }

    if (v1_) {
        Id3v1Tag block;
        std::memset(&block, 0, sizeof block);
        SetBlockText(block.title, sizeof block.title, texts_[kEditV1Title], 30);
        SetBlockText(block.artist, sizeof block.artist, texts_[kEditV1Artist], 30);
        SetBlockText(block.album, sizeof block.album, texts_[kEditV1Album], 30);
        SetBlockText(block.year, sizeof block.year, texts_[kEditV1Year], 4);
        SetBlockText(block.comment, sizeof block.comment, texts_[kEditV1Comment], 30);
        uint32_t track = 0;
        IsV1Track(texts_[kEditV1Track], track);
        block.track = track;
        const int genre = GenreIndex(texts_[kEditV1Genre].c_str());
        block.genre = static_cast<uint8_t>(genre > 0 && genre < kGenreCount ? genre : 0);
        fresh.SetId3v1(&block);
    } else {
        fresh.RemoveTags(kTagId3v1);
    }

    const bool rewriting = fresh.HasId3v2() != hadV2;
    if (rewriting && notice) notice(true);
    ToolSave save;
    save.askReadOnly = true;
    save.prompter = &prompter;
    const Id3v2Error rc = SaveToolRecord(fresh, save);
    if (rewriting && notice) notice(false);

    if (rc == Id3v2Error::NoError) {
        entry->CopyFrom(fresh);
        show(current_);
        return EditWriteResult::Written;
    }
    if (rc == Id3v2Error::CancelReadOnly) return EditWriteResult::Declined;
    prompter.Message(Id3v2ErrorText(rc), Text(kEditTextError), PromptButtons::Ok, PromptIcon::Error);
    return EditWriteResult::Failed;
}

bool EditTagPageModel::offerWrite(Prompter& prompter, const RewriteNotice& notice) {
    if (!modified_) return false;
    modified_ = false;
    const PromptAnswer answer = prompter.Message(Text(kEditTextWriteAsk), Text(kEditTextInformation),
                                                 PromptButtons::OkCancel, PromptIcon::Question);
    if (answer != PromptAnswer::Ok) return false;
    write(prompter, notice);
    return true;
}

void EditTagPageModel::move(int delta, Prompter& prompter, const RewriteNotice& notice) {
    offerWrite(prompter, notice);
    show(target(delta));
}

void EditTagPageModel::select(int index, Prompter& prompter, const RewriteNotice& notice) {
    offerWrite(prompter, notice);
    show(index);
}

std::string EditTagPageModel::mpegText(int which) const {
    const SongRecord* entry = currentEntry();
    if (!entry) return std::string();
    std::string first;
    std::string second;
    FormatMpegInfoText(entry->GetMpegInfo(), first, second);
    return which == 0 ? first : second;
}

}  // namespace td
