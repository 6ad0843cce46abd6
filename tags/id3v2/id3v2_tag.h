// Reading and writing whole ID3v2 tags in audio files.
//
// Reading accepts ID3v2.2, 2.3 and 2.4 (unsynchronisation undone, extended
// headers skipped, compressed frames inflated, 2.4 encodings and data length
// indicators handled). Frames are delivered in ID3v2.3 form. Writing always
// produces ID3v2.3.0 and replaces files atomically when the audio must move.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tags/id3v2/frame.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/id3v2/id3v2_flags.h"

namespace td {

class File;

using FrameList = std::vector<std::unique_ptr<Id3v2Frame>>;
using CarriedFrameList = std::vector<CarriedFrame>;

struct Id3v2Header {
    uint8_t major = 0;
    uint8_t revision = 0;
    uint8_t flags = 0;
    uint32_t size = 0;  // bytes after the 10-byte header (footer not included)
    // Whole tag: header, size and the 10-byte footer of a 2.4 tag that has one.
    uint32_t TotalSize() const { return 10 + size + ((major >= 4 && (flags & kId3Footer)) ? 10 : 0); }
};

// Reads 10 header bytes from the file's current position: ReadFailed when
// fewer than 10 bytes can be read, NoTag when they are not an ID3v2 header.
Id3v2Error ReadId3v2Header(File& file, Id3v2Header& header);

// Reads the tag at the head of `path` and appends its kept frames to `frames`
// and, when `carried` is given, every other frame worth keeping to `carried`.
// `tagSize` receives the whole tag's length whenever a header was found (also
// when the result is not NoError), else 0. NoError means the tag was read. A
// tag of major version 5 or above gives NoTag.
Id3v2Error ReadId3v2Frames(const std::string& path, FrameList& frames, uint32_t& tagSize,
                           CarriedFrameList* carried = nullptr);
// Frame bodies larger than this are not read into memory from an open file.
constexpr uint32_t kLargeFrameBody = 1u << 20;

// The same on an open file (positioned anywhere; the tag is read from byte 0).
// A frame body larger than `largeBody` bytes is left in the file: it becomes
// a carried frame that names its place there (CarriedFrame::InFile), and a
// frame the record would keep is carried that way too. Tags that must be
// resynchronised as a whole (ID3v2.2 and 2.3 unsynchronisation) are read
// into memory entirely.
Id3v2Error ReadId3v2Frames(File& file, FrameList& frames, uint32_t& tagSize,
                           CarriedFrameList* carried = nullptr, uint32_t largeBody = kLargeFrameBody);
// The same on the first bytes of a file held in memory. `needMore` receives
// the number of head bytes needed when `size` is too short for the whole tag
// (the result is then ReadFailed and nothing is appended).
Id3v2Error ReadId3v2Frames(const uint8_t* head, size_t size, FrameList& frames, uint32_t& tagSize,
                           CarriedFrameList* carried, size_t& needMore);

// Writes a tag made of `frames` (then `carried`) into the file, or removes the
// file's ID3v2 tag when `hasId3v2` is false. Appends a TSIZ frame holding
// `audioSize` to `frames` when it has none. In place when the old tag has room,
// else through a temporary file beside it and an atomic commit. On failure the file is
// unchanged and no temporary file is left.
Id3v2Error WriteId3v2(const std::string& path, FrameList& frames, bool hasId3v2, uint32_t audioSize,
                      const CarriedFrameList* carried = nullptr);
// Cuts an ID3v2 tag off the head of a file: NoError also without a tag,
// WriteFailed when the file cannot be opened for writing, else what
// LocateId3v2Tag and ReplaceFileHead (id3v2_stream.h) report.
Id3v2Error RemoveId3v2File(const std::string& path);

}  // namespace td
