#include "tags/song_record.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "platform/file_system.h"
#include "tags/id3v2/id3v2_error.h"

namespace td {

namespace {

// Most tags without pictures fit into this; bigger ones cost one more read
// of exactly the missing bytes. Kept on the stack: records are built by the
// tens of thousands and a heap block per file would be pure overhead.
constexpr size_t kHeadBlock = 16 * 1024;

constexpr size_t kId3v1Size = 128;

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Copies `text` into a fixed ID3v1 text array of `capacity` bytes, cut to
// `maxLen` characters and always terminated.
void CopyField(char* dest, size_t capacity, size_t maxLen, const std::string& text) {
    const size_t n = std::min({text.size(), maxLen, capacity - 1});
    std::memcpy(dest, text.data(), n);
    std::memset(dest + n, 0, capacity - n);
}

}  // namespace

uint32_t LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i])) ++i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<uint32_t>(value);
}

std::string Id3v1FieldText(const char* field, size_t capacity) {
    // Blocks loaded from a playlist file are raw bytes: never trust a terminator.
    size_t n = 0;
    while (n < capacity && field[n] != '\0') ++n;
    for (size_t i = 0; i < n; ++i) {
        if (!IsAsciiSpace(field[i])) return std::string(field, n);
    }
    return std::string();
}

// --- construction -------------------------------------------------------

SongRecord::SongRecord(const std::string& path, bool readTags) : fileName_(path) {
    if (!readTags) return;
    ReadFromFile();
    AddFileNameFrame();
    if (HasId3v2()) LoadRating();
    sizeDelta_ = 0;
    if (const Id3v2FieldFrame* tsiz = GetTextFrame(kTSIZ)) {
        const int64_t delta =
            static_cast<int64_t>(audioSize_) - static_cast<int64_t>(LeadingNumber(td::MainText(tsiz)));
        sizeDelta_ = static_cast<int32_t>(std::clamp<int64_t>(delta, std::numeric_limits<int32_t>::min(),
                                                              std::numeric_limits<int32_t>::max()));
    }
}

SongRecord::~SongRecord() = default;

void SongRecord::ReadFromFile() {
    FileSystem& fs = Fs();
    FileStatus status;
    if (!fs.GetStatus(fileName_, status)) return;  // no such file: an untagged record
    const uint64_t fileSize = status.size;
    mpeg_.fileSize = static_cast<int32_t>(
        std::min<uint64_t>(fileSize, static_cast<uint64_t>(std::numeric_limits<int32_t>::max())));
    uint64_t audio = fileSize;
    if (status.attributes & kAttrDirectory) {
        audioSize_ = static_cast<uint32_t>(std::min<uint64_t>(audio, UINT32_MAX));
        return;
    }

    std::unique_ptr<File> file = fs.Open(fileName_, OpenMode::Read);
    if (!file) {
        // As with a head that cannot be read: the file may well have a tag.
        unreadableId3v2_ = true;
        audioSize_ = static_cast<uint32_t>(std::min<uint64_t>(audio, UINT32_MAX));
        return;
    }

    // ID3v2: parse from memory, reading only as much of the head as the tag needs.
    uint8_t head[kHeadBlock];
    const size_t headWanted = static_cast<size_t>(std::min<uint64_t>(fileSize, kHeadBlock));
    const size_t headSize = ReadFully(*file, head, headWanted);
    if (headSize < headWanted) {
        // Whether the file has a tag is unknown: a record that took it for
        // untagged would write a new tag over the old one on its next save.
        unreadableId3v2_ = true;
        file->Close();
        audioSize_ = static_cast<uint32_t>(std::min<uint64_t>(audio, UINT32_MAX));
        return;
    }
    uint32_t tagSize = 0;
    size_t needMore = 0;
    Id3v2Error rc = ReadId3v2Frames(head, headSize, frames_, tagSize, &carried_, needMore);
    if (rc == Id3v2Error::ReadFailed && needMore > headSize) {
        if (needMore <= fileSize && needMore - 10 <= kLargeFrameBody) {
            std::unique_ptr<uint8_t[]> whole(new (std::nothrow) uint8_t[needMore]);
            if (whole) {
                std::memcpy(whole.get(), head, headSize);
                // The file position is right after the head block.
                const size_t got = headSize + ReadFully(*file, whole.get() + headSize, needMore - headSize);
                needMore = 0;
                rc = ReadId3v2Frames(whole.get(), got, frames_, tagSize, &carried_, needMore);
            } else {
                rc = Id3v2Error::OutOfMemory;
            }
        } else {
            // A tag too large to read whole (a big picture), whose large
            // bodies the file reader leaves in the file, or one that claims
            // more bytes than the file holds: the file reader decides how
            // much of it can be delivered.
            rc = ReadId3v2Frames(*file, frames_, tagSize, &carried_);
        }
    }
    if (tagSize > 0) {
        if (rc == Id3v2Error::NoError) {
            tagFlags_ |= kTagId3v2;
        } else {
            // Frames before the failure would be a partial view of the tag:
            // saving them would silently drop the rest.
            unreadableId3v2_ = true;
            frames_.clear();
            carried_.clear();
        }
        audio = audio > tagSize ? audio - tagSize : 0;
    } else {
        frames_.clear();
        carried_.clear();
    }

    Id3v1Raw raw;
    const Id3v1Read v1 = ReadId3v1(*file, fileSize, raw);
    if (v1 == Id3v1Read::Unreadable) unreadableTrailer_ = true;
    if (v1 == Id3v1Read::Found) {
        std::unique_ptr<Id3v1Tag> block(new (std::nothrow) Id3v1Tag);
        if (block) {
            RawToBlock(raw, *block);
            id3v1_ = std::move(block);
            tagFlags_ |= kTagId3v1;
            audio = audio > kId3v1Size ? audio - kId3v1Size : 0;
        }
    }
    audioSize_ = static_cast<uint32_t>(std::min<uint64_t>(audio, UINT32_MAX));

    ReadMpegInfo(*file, tagSize, fileSize, mpeg_, HasId3v1());
    file->Close();
}

// --- frames -------------------------------------------------------------

Id3v2Frame* SongRecord::GetFrameAt(int index) const {
    if (index < 0 || index >= FrameCount()) return nullptr;
    return frames_[static_cast<size_t>(index)].get();
}

int SongRecord::FindFrame(int type, int after) const {
    const int count = FrameCount();
    for (int i = std::max(after + 1, 0); i < count; ++i) {
        const Id3v2Frame& frame = *frames_[static_cast<size_t>(i)];
        if (frame.Type() == type) return i;
    }
    return -1;
}

int SongRecord::IndexOfFrame(const Id3v2Frame* frame, int after) const {
    if (!frame) return -1;
    const int count = FrameCount();
    for (int i = std::max(after + 1, 0); i < count; ++i) {
        if (frames_[static_cast<size_t>(i)].get() == frame) return i;
    }
    return -1;
}

Id3v2Frame* SongRecord::GetFrame(int type) const { return GetFrameAt(FindFrame(type, -1)); }

Id3v2FieldFrame* SongRecord::GetTextFrame(int type) const {
    if (type < 0 || type >= kFrameTypeCount || !IsFieldFrameType(type)) return nullptr;
    return static_cast<Id3v2FieldFrame*>(GetFrame(type));
}

bool SongRecord::AddFrame(std::unique_ptr<Id3v2Frame> frame, bool replace) {
    if (!frame) return false;
    const int type = frame->Type();
    if (replace) {
        const int index = FindFrame(type, -1);
        if (index >= 0) {
            frames_[static_cast<size_t>(index)] = std::move(frame);
            DropCarriedTwin(type);
            return true;
        }
    }
    try {
        frames_.push_back(std::move(frame));
    } catch (const std::bad_alloc&) {
        return false;
    }
    DropCarriedTwin(type);
    return true;
}

void SongRecord::DropCarriedTwin(int type) {
    // A tag holds one frame of each text type. One read from the file but
    // not decodable (an unknown encoding, a compressed body that does not
    // inflate) travels as a carried frame; a new text of that type replaces it.
    const bool single =
        IsFieldFrameType(type) && !IsUrlLinkType(type) && type != kWXXX && !Id3v2FrameTable[type].language;
    if (!single) return;
    const char* id = Id3v2FrameTable[type].id;
    carried_.erase(std::remove_if(carried_.begin(), carried_.end(),
                                  [id](const CarriedFrame& c) { return std::strcmp(c.id, id) == 0; }),
                   carried_.end());
}

bool SongRecord::UpdateFrame(const Id3v2Frame& frame) {
    const int index = FindFrame(frame.Type(), -1);
    if (frame.IsEmpty()) {
        if (index < 0) return false;
        return RemoveFrame(frame.Type(), GetFrameAt(index));
    }
    if (index >= 0) {
        Id3v2Frame& found = *frames_[static_cast<size_t>(index)];
        if (found.Equals(frame)) return false;
        // Comments, lyrics and links are told apart by their language and
        // description: the frame found takes the new text and keeps those, so
        // it never turns into a twin of another frame of its type (readers
        // merge twins, and the other frame's text would be lost).
        const size_t main = static_cast<size_t>(MainFieldIndex(frame.Type()));
        if (main > 0 && IsFieldFrameType(frame.Type())) {
            auto& target = static_cast<Id3v2FieldFrame&>(found).Fields();
            const auto& source = static_cast<const Id3v2FieldFrame&>(frame).Fields();
            if (target.size() > main && source.size() > main) {
                if (target[main] == source[main]) return false;
                target[main] = source[main];
                return true;
            }
        }
        found.CopyFrom(frame);
        return true;
    }
    return AddFrame(frame.Clone(), false);
}

bool SongRecord::RemoveFrame(int type, Id3v2Frame* frame) {
    const int index = frame ? IndexOfFrame(frame, -1) : FindFrame(type, -1);
    if (index < 0) return false;
    frames_.erase(frames_.begin() + index);
    // Frames carried over from the file still make a tag worth writing.
    if (frames_.empty() && carried_.empty()) tagFlags_ &= ~kTagId3v2;
    return true;
}

// --- tags as a whole ----------------------------------------------------

bool SongRecord::SetId3v1(const Id3v1Tag* block) {
    id3v1_.reset();
    if (!block) {
        tagFlags_ &= ~kTagId3v1;
        return true;
    }
    std::unique_ptr<Id3v1Tag> copy(new (std::nothrow) Id3v1Tag);
    if (!copy) {
        tagFlags_ &= ~kTagId3v1;
        return false;
    }
    std::memcpy(copy.get(), block, sizeof(Id3v1Tag));
    id3v1_ = std::move(copy);
    tagFlags_ |= kTagId3v1;
    return true;
}

void SongRecord::DropTags(int which) {
    if (which & kTagId3v2) {
        frames_.clear();
        carried_.clear();
        tagFlags_ &= ~kTagId3v2;
    }
    if (which & kTagId3v1) {
        id3v1_.reset();
        tagFlags_ &= ~kTagId3v1;
    }
}

void SongRecord::RemoveTags(int which) {
    DropTags(which);
    if (which & kTagId3v2) id3v2RemovalAsked_ = true;
}

void SongRecord::CopyFrom(const SongRecord& other) {
    if (&other == this) return;
    DropTags(3);
    SetId3v1(other.id3v1_.get());
    for (const std::unique_ptr<Id3v2Frame>& frame : other.frames_) {
        AddFrame(frame->Clone(), false);
    }
    try {
        carried_ = other.carried_;
    } catch (const std::bad_alloc&) {
        carried_.clear();
    }
    rating_ = other.rating_;
    tagFlags_ = other.tagFlags_;
    // The state of the file's tag travels with the tag: a record copied from a
    // fresh reading of an unreadable tag must refuse to save as well.
    unreadableId3v2_ = other.unreadableId3v2_;
    unreadableTrailer_ = other.unreadableTrailer_;
    id3v2RemovalAsked_ = other.id3v2RemovalAsked_;
}

void SongRecord::AddFileNameFrame() {
    if (tagFlags_ != 0) return;
    // One artist frame is enough: a record whose tags were removed twice must
    // not collect a second one.
    if (FindFrame(kTPE1, -1) >= 0) return;
    std::string name = BaseName(fileName_);
    if (!name.empty() && name[0] >= 'a' && name[0] <= 'z') {
        name[0] = static_cast<char>(name[0] - 'a' + 'A');
    }
    try {
        AddFrame(std::make_unique<Id3v2FieldFrame>(kTPE1, name), false);
    } catch (const std::bad_alloc&) {
        // The record stays without the artist.
    }
}

void SongRecord::LoadRating() {
    const Id3v2Frame* popm = GetFrame(kPOPM);
    rating_ = static_cast<uint8_t>(popm ? PopmStars(popm) : 0);
}

Id3v2Error SongRecord::SaveTags() {
    // An ID3v2 tag we could not read is in the file but not in the record;
    // writing either tag now could destroy it.
    if (unreadableId3v2_ && !id3v2RemovalAsked_) return Id3v2Error::TagCorrupt;
    // Likewise an end of file that could not be read may hold an ID3v1 tag.
    if (unreadableTrailer_) return Id3v2Error::ReadFailed;
    const Id3v2Error rc = WriteId3v2(fileName_, frames_, HasId3v2(), audioSize_, &carried_);
    if (rc != Id3v2Error::NoError) return rc;
    unreadableId3v2_ = false;
    id3v2RemovalAsked_ = false;
    if (HasId3v1() && id3v1_) {
        Id3v1Raw raw;
        BlockToRaw(*id3v1_, raw);
        return WriteId3v1File(fileName_, raw);
    }
    return RemoveId3v1File(fileName_);
}

bool SongRecord::CopyId3v1ToId3v2() {
    if (!id3v1_) return false;
    const Id3v1Tag& block = *id3v1_;
    struct Source {
        int type;
        std::string value;
    };
    const Source sources[] = {
        {kTPE1, Id3v1FieldText(block.artist, sizeof(block.artist))},
        {kTIT2, Id3v1FieldText(block.title, sizeof(block.title))},
        {kTALB, Id3v1FieldText(block.album, sizeof(block.album))},
        {kTYER, Id3v1FieldText(block.year, sizeof(block.year))},
        {kTCON, GenreName(block.genre)},
        {kCOMM, Id3v1FieldText(block.comment, sizeof(block.comment))},
        {kTRCK, block.track != 0 ? std::to_string(block.track) : std::string()},
    };
    for (const Source& source : sources) {
        std::unique_ptr<Id3v2Frame> frame;
        try {
            frame = std::make_unique<Id3v2FieldFrame>(source.type, source.value);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!AddFrame(std::move(frame), true)) return false;
    }
    tagFlags_ = kTagId3v1 | kTagId3v2;
    return SaveTags() == Id3v2Error::NoError;
}

bool SongRecord::CopyId3v2ToId3v1() {
    if (!HasId3v2()) return false;
    Id3v1Tag block;
    std::memset(&block, 0, sizeof(block));
    const auto text = [this](int type) { return td::MainText(GetTextFrame(type)); };
    CopyField(block.title, sizeof(block.title), 30, text(kTIT2));
    CopyField(block.artist, sizeof(block.artist), 30, text(kTPE1));
    CopyField(block.album, sizeof(block.album), 30, text(kTALB));
    CopyField(block.comment, sizeof(block.comment), 30, text(kCOMM));
    CopyField(block.year, sizeof(block.year), 4, text(kTYER));
    if (GetTextFrame(kTCON)) {
        block.genre = static_cast<uint8_t>(GenreIndex(ResolveGenreText(text(kTCON)).c_str()));
    }
    // An ID3v1.1 trailer holds one byte: a bigger number would come out as
    // some other track, so it is left out instead.
    const uint32_t track = LeadingNumber(text(kTRCK));
    if (track <= 255) block.track = track;
    tagFlags_ = kTagId3v1 | kTagId3v2;
    if (!SetId3v1(&block)) return false;
    return SaveTags() == Id3v2Error::NoError;
}

bool SongRecord::RemoveTagsAndSave(int which) {
    RemoveTags(which);
    if (SaveTags() != Id3v2Error::NoError) return false;
    AddFileNameFrame();
    return true;
}

// --- playlist file and display -----------------------------------------

void SongRecord::ToPlaylistRecord(SongFileRecord& r) const {
    r.fieldFrameCount = 0;  // the playlist writer counts the frames it stores
    r.tagFlags = tagFlags_;
    r.audioSize = audioSize_;
    r.sizeDelta = sizeDelta_;
    r.nameLength = static_cast<uint32_t>(std::min<size_t>(fileName_.size(), UINT32_MAX));
    r.mpeg = mpeg_;
}

void SongRecord::FromPlaylistRecord(const SongFileRecord& r) {
    tagFlags_ = r.tagFlags;
    audioSize_ = r.audioSize;
    sizeDelta_ = r.sizeDelta;
    mpeg_ = r.mpeg;
}

const char* SongRecord::TagKindText() const { return td::TagKindText(tagFlags_); }
const char* SongRecord::RatingText() const { return td::RatingText(rating_); }

const char* TagKindText(uint32_t tagFlags) {
    static const char* const kKinds[] = {"None", "ID3v1", "ID3v2", "ID3v1+v2"};
    return kKinds[tagFlags & 3];
}

const char* RatingText(int rating) {
    static const char* const kStars[] = {"", "*", "**", "***", "****", "*****"};
    return rating >= 0 && rating <= 5 ? kStars[rating] : "";
}

}  // namespace td
