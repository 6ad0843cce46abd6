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
struct Id3v2Header;

// Mode flags of Id3v2Open.
constexpr int kId3StreamWrite = 1;       // open for writing (the only mode)
constexpr int kId3StreamWantedSize = 2;  // `wantedSize` is given: in place when it fits

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

struct Id3v2Stream {
    // First the size asked for, then the bytes of the new tag after its header.
    uint32_t tagSize = 0;
    // Version and flags of the header written: 3, 0, 0.
    uint8_t major = 3;
    uint8_t revision = 0;
    uint8_t flags = 0;

    // The frame Id3v2NextFrame writes next; the caller fills these.
    char frameId[5] = {0, 0, 0, 0, 0};
    uint8_t frameStatus = 0;
    uint8_t frameFormat = 0;
    int32_t frameSize = 0;
    std::vector<uint8_t> body;  // at least frameSize bytes; see FrameBuffer()
    // The frame's body continues with this many bytes of the original file,
    // from `frameFileOffset` (a body left there when the tag was read).
    // Never in place; cleared by Id3v2NextFrame.
    uint64_t frameFileOffset = 0;
    uint32_t frameFileBytes = 0;

    // Zero bytes written after the frames when a temporary file is used.
    int32_t padding = static_cast<int32_t>(kId3TempPadding);
    int mode = 0;

    std::string path;
    std::unique_ptr<File> file;  // the audio file, opened for reading and writing
    uint64_t fileLength = 0;
    // The old tag region: header, body and a 2.4 footer (0 without a tag). In
    // place, the new tag fills exactly this many bytes.
    uint32_t oldRegion = 0;
    bool inPlace = false;
    bool hadFooter = false;
    // Set by the first failed frame; the close then abandons the rewrite.
    Id3v2Error failure = Id3v2Error::NoError;

    // Header and frames written so far (the tag region being built), less
    // the bodies copied from the file, which `spans` places into it.
    std::vector<uint8_t> out;
    std::vector<Id3FileSpan> spans;
    uint64_t spanBytes = 0;

    // A body buffer of at least `size` bytes for the next frame, grown by
    // 1024 bytes of slack so that a run of similar frames reuses it. Null
    // when memory runs out.
    uint8_t* FrameBuffer(int32_t size);
};

// Opens `path` for writing a new tag (mode must hold kId3StreamWrite). Null
// with `error` set when the file cannot be opened for writing (WriteFailed),
// cannot be read (ReadFailed), holds a tag larger than itself (TagCorrupt) or
// memory runs out (OutOfMemory).
Id3v2Stream* Id3v2Open(const std::string& path, int mode, Id3v2Error& error, uint32_t wantedSize);
// Appends the current frame (frameId, frameStatus, frameFormat, frameSize
// bytes of body, then frameFileBytes of the file) to the tag. BadIdentifier
// for an identifier that is not four digits or upper-case letters,
// OldTagTooSmall when an in-place tag would overflow the old region or take
// bytes from the file, WriteFailed when the tag would exceed the largest size
// ID3v2 can state.
Id3v2Error Id3v2NextFrame(Id3v2Stream* stream);
// Puts the new tag into the file (unless a frame failed, in which case the
// rewrite is abandoned and that frame's code returned), then frees the
// stream. Closing a null stream gives NoError.
Id3v2Error Id3v2Close(Id3v2Stream* stream);

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
