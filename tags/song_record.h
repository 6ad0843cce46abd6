// Everything known about one audio file: path, stream information, ID3v1
// block, ID3v2 frames, rating, sizes and flags.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_tag.h"
#include "tags/mpeg/mpeg_info.h"

namespace td {

constexpr uint32_t kTagId3v1 = 1;
constexpr uint32_t kTagId3v2 = 2;

// The 96-byte per-song record of playlist files.
struct SongFileRecord {
    uint32_t fieldFrameCount;
    uint32_t tagFlags;
    uint32_t audioSize;
    int32_t sizeDelta;
    uint32_t nameLength;
    MpegInfo mpeg;
};
static_assert(sizeof(SongFileRecord) == 96, "SongFileRecord is stored raw");

class SongRecord {
public:
    SongRecord(const std::string& path, bool readTags);
    ~SongRecord();
    SongRecord(const SongRecord&) = delete;
    SongRecord& operator=(const SongRecord&) = delete;

    const std::string& GetFileName() const { return fileName_; }
    void SetFileName(const std::string& path) { fileName_ = path; }
    uint8_t GetRating() const { return rating_; }
    void SetRating(int stars) { rating_ = static_cast<uint8_t>(stars); }
    uint32_t GetTagFlags() const { return tagFlags_; }
    void SetTagFlags(uint32_t flags) { tagFlags_ = flags; }
    bool HasId3v1() const { return (tagFlags_ & kTagId3v1) != 0; }
    bool HasId3v2() const { return (tagFlags_ & kTagId3v2) != 0; }
    const Id3v1Tag* GetId3v1() const { return id3v1_.get(); }
    const MpegInfo& GetMpegInfo() const { return mpeg_; }
    MpegInfo& GetMpegInfo() { return mpeg_; }
    uint32_t GetVolumeSerial() const { return volumeSerial_; }
    void SetVolumeSerial(uint32_t serial) { volumeSerial_ = serial; }
    uint32_t GetAudioSize() const { return audioSize_; }
    int32_t GetSizeDelta() const { return sizeDelta_; }

    int FrameCount() const { return static_cast<int>(frames_.size()); }
    Id3v2Frame* GetFrameAt(int index) const;
    int FindFrame(int type, int after) const;
    int IndexOfFrame(const Id3v2Frame* frame, int after) const;
    Id3v2Frame* GetFrame(int type) const;
    Id3v2FieldFrame* GetTextFrame(int type) const;
    static std::string MainText(const Id3v2Frame* frame) { return td::MainText(frame); }
    // False (and the frame is gone) for a null frame or when memory runs out.
    bool AddFrame(std::unique_ptr<Id3v2Frame> frame, bool replace);
    bool UpdateFrame(const Id3v2Frame& frame);
    bool RemoveFrame(int type, Id3v2Frame* frame);
    const FrameList& Frames() const { return frames_; }
    // Frames read from the file that the record does not keep, written back unchanged.
    const CarriedFrameList& CarriedFrames() const { return carried_; }

    bool SetId3v1(const Id3v1Tag* block);
    void RemoveTags(int which);
    void CopyFrom(const SongRecord& other);
    void AddFileNameFrame();
    void LoadRating();
    Id3v2Error SaveTags();
    // False when SaveTags would refuse: an ID3v2 tag that could not be read
    // (and whose removal was not asked for), or an unreadable file end.
    bool CanSaveTags() const { return !(unreadableId3v2_ && !id3v2RemovalAsked_) && !unreadableTrailer_; }
    bool CopyId3v1ToId3v2();
    bool CopyId3v2ToId3v1();
    bool RemoveTagsAndSave(int which);

    void ToPlaylistRecord(SongFileRecord& r) const;
    void FromPlaylistRecord(const SongFileRecord& r);

    const char* TagKindText() const;
    const char* RatingText() const;

    // True when the file holds an ID3v2 tag that could not be read; a save
    // refuses to touch it unless its removal was asked for.
    bool HasUnreadableId3v2() const { return unreadableId3v2_; }

private:
    void ReadFromFile();
    // Drops tags from the record without recording a removal request.
    void DropTags(int which);
    // Removes carried frames that a new frame of `type` stands in for.
    void DropCarriedTwin(int type);

    uint8_t rating_ = 0;
    MpegInfo mpeg_{};
    std::unique_ptr<Id3v1Tag> id3v1_;
    uint32_t volumeSerial_ = 0;
    uint32_t tagFlags_ = 0;
    FrameList frames_;
    std::string fileName_;
    uint32_t audioSize_ = 0;
    int32_t sizeDelta_ = 0;
    CarriedFrameList carried_;
    bool unreadableId3v2_ = false;
    bool unreadableTrailer_ = false;  // the last 128 bytes could not be read
    bool id3v2RemovalAsked_ = false;
};

const char* TagKindText(uint32_t tagFlags);
const char* RatingText(int rating);

// The leading decimal number of a tag text ("3/12" gives 3), after leading
// white space; 0 when there is none, UINT32_MAX when it does not fit.
uint32_t LeadingNumber(const std::string& text);
// The text of an ID3v1 block field (at most `capacity` bytes, terminated or
// not); the empty text when it is blank (white space only).
std::string Id3v1FieldText(const char* field, size_t capacity);

// Reads one tag field as the list shows it. `source`: 0 ID3v1, 1 ID3v2,
// 2 ID3v2 then ID3v1, 3 ID3v1 then ID3v2. `text` keeps what the caller put
// there when the chosen tag has nothing for the field.
class TagFieldReader {
public:
    explicit TagFieldReader(int source) : source_(source) {}
    virtual ~TagFieldReader() = default;
    void GetField(const SongRecord& record, int type, std::string& text) const;

private:
    int source_;
};
void GetTagField(const SongRecord& record, int type, int source, std::string& text);

}  // namespace td
