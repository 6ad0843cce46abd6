// One ID3v2 tag being written into an audio file, frame by frame.
//
// The new tag is assembled in memory and reaches the disk only when the
// stream is closed: either as one write over the old tag region (when the
// old tag, padding included, holds every frame) or through a temporary file
// beside it (FileSystem::CreateTemporary) that receives the tag, 128 bytes of
// padding and the audio, and then takes the original's place in one atomic
// commit. The file stays open for writing throughout, which keeps other
// writers out. Whatever fails, the original file keeps its bytes and no
// temporary file is left behind.
//
// Reading goes through ReadId3v2Frames (id3v2_tag.h), which understands far
// more than a frame walk could; the stream only writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tags/id3v2/id3v2_error.h"

namespace td {

class File;
struct CarriedFrame;
struct Id3v2Header;

// Zero bytes after the frames of a tag written through a temporary file, so
// that a later save with slightly larger frames still fits in place.
constexpr uint32_t kId3TempPadding = 128;
// Block size of the audio copy into the temporary file.
constexpr size_t kId3CopyBufferSize = 0x80000;
// Largest tag size a synchsafe 28-bit size field can hold.
constexpr uint32_t kId3MaxTagSize = 0x0FFFFFFF;

// Bytes of the tag being written that are copied from the original file
// rather than held in memory: `size` bytes at `offset` of the file go in at
// position `at` of the tag region built so far.
struct Id3FileSpan {
    size_t at = 0;
    uint64_t offset = 0;
    uint32_t size = 0;
};

// Open, write the frames, Close. A stream that goes out of scope before its
// Close abandons the rewrite: nothing of it has reached the file.
class Id3v2Stream {
public:
    Id3v2Stream() = default;
    ~Id3v2Stream();
    Id3v2Stream(const Id3v2Stream&) = delete;
    Id3v2Stream& operator=(const Id3v2Stream&) = delete;

    // Opens `path` for a new tag whose frames, as far as they are held in
    // memory, take `frameBytes` bytes. With `inPlace` the tag goes over the
    // old tag region when that region holds them. WriteFailed when the file
    // is read-only or cannot be opened for writing, ReadFailed when it cannot
    // be read, TagCorrupt when it holds a tag larger than itself, OutOfMemory.
    Id3v2Error Open(const std::string& path, uint32_t frameBytes, bool inPlace);
    // Appends a frame: the ID3v2.3 header (identifier, size, the status and
    // format flag bytes) and `size` bytes of body. BadIdentifier for an
    // identifier that is not four digits or upper-case letters,
    // OldTagTooSmall when an in-place tag would overflow the old region,
    // WriteFailed when the tag would exceed the largest size ID3v2 can state.
    // After a failure every later frame and Close give the same result.
    Id3v2Error WriteFrame(const char* id, uint8_t status, uint8_t format, const uint8_t* body, size_t size);
    // Appends a frame carried from the file, with the part of its body left
    // there (never in place: OldTagTooSmall). ReadFailed, with the reason
    // that another program changed the file, when that part is no longer
    // where it was read.
    Id3v2Error WriteCarried(const CarriedFrame& frame);
    // Puts the new tag into the file, unless a frame failed: then the
    // rewrite is abandoned and that frame's result returned. The file is
    // closed either way.
    Id3v2Error Close();

private:
    Id3v2Error Append(const char* id, uint8_t status, uint8_t format, const uint8_t* body, size_t size,
                      uint64_t fileOffset, uint32_t fileBytes);
    bool StillInFile(const CarriedFrame& frame);
    // Bytes of frames written so far (the tag size the header will state).
    uint32_t FramesWritten() const;
    // The room a tag written over the old region has after its header. A 2.4
    // footer's 10 bytes are taken in as padding so that the audio does not move.
    uint32_t InPlaceCapacity() const { return oldRegion_ - 10; }
    Id3v2Error FinishInPlace();
    Id3v2Error FinishThroughTemp();
    void RestoreRegion(const std::vector<uint8_t>& old);

    std::string path_;
    std::unique_ptr<File> file_;  // the audio file, opened for reading and writing
    uint64_t fileLength_ = 0;
    // The old tag region: header, body and a 2.4 footer (0 without a tag). In
    // place, the new tag fills exactly this many bytes.
    uint32_t oldRegion_ = 0;
    bool inPlace_ = false;
    // Set by the first failed frame; the close then abandons the rewrite.
    Id3v2Error failure_ = Id3v2Error::NoError;
    // Header and frames written so far (the tag region being built), less
    // the bodies copied from the file, which `spans_` places into it.
    std::vector<uint8_t> out_;
    std::vector<Id3FileSpan> spans_;
    uint64_t spanBytes_ = 0;
};

// The ID3v2 tag region at the head of an open file of `fileLength` bytes:
// NoError with `region` = header + body (+ a 2.4 footer), or `region` = 0
// when the file does not begin with an ID3v2 header; ReadFailed when the head
// cannot be read; TagCorrupt when the header claims more bytes than the file
// holds, which makes the tag's end unknown and every rewrite unsafe.
Id3v2Error LocateId3v2Tag(File& file, uint64_t fileLength, Id3v2Header& header, uint32_t& region);

// Rewrites `path` as `head` followed by the bytes of `source` (`path` opened
// ReadWrite) from `keepFrom` to `sourceLength`, through a temporary file and
// one atomic commit. Closes `source`, checks every write, the flush and both
// closes, and on any failure removes the temporary file and leaves `path` as
// it was: NoError, OutOfMemory (no copy buffer), ReadFailed (the source
// cannot be read), WriteFailed (the temporary file cannot be created or
// written) or MoveFailed (the commit failed: LastFileError() says why, e.g.
// another program replaced the file).
// `spans`, when given, are ranges of `source` copied into the head at their
// positions (ascending), for bodies too large to hold in memory.
Id3v2Error ReplaceFileHead(File& source, uint64_t sourceLength, uint64_t keepFrom, const uint8_t* head,
                           size_t headSize, const std::string& path,
                           const std::vector<Id3FileSpan>* spans = nullptr);

// Whether the file carries the read-only attribute (false when it cannot be
// examined; opening it then decides).
bool IsReadOnlyFile(const std::string& path);

// Whether four characters form a valid ID3v2.3 frame identifier.
bool IsValidFrameId(const char* id);

}  // namespace td
