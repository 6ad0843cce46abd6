// Putting ID3v2.3 tags back into audio files, and cutting them off.
#include <cstring>
#include <new>
#include <string>

#include "platform/file_system.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_stream.h"
#include "tags/id3v2/id3v2_tag.h"

namespace td {

namespace {

bool HasFrameOfType(const FrameList& frames, int type) {
    for (const auto& frame : frames)
        if (frame && frame->Type() == type) return true;
    return false;
}

bool ReadAt(File& file, uint64_t offset, uint8_t* buffer, size_t size) {
    if (!file.Seek(offset)) return false;
    size_t done = 0;
    while (done < size) {
        const size_t got = file.Read(buffer + done, size - done);
        if (got == 0) break;
        done += got;
    }
    return done == size;
}

// Whether the body a carried frame left in the file is still where it was
// read: its header, first and last bytes unchanged. 0, else 5 with the
// reason that another program changed the file.
Id3v2Error CheckStillInFile(Id3v2Stream& s, const CarriedFrame& frame) {
    uint8_t bytes[sizeof frame.check];
    const bool inside = frame.fileOffset + frame.fileBytes <= s.fileLength &&
                        frame.checkOffset + frame.checkSize <= s.fileLength;
    const bool same =
        inside && ReadAt(*s.file, frame.checkOffset, bytes, frame.checkSize) &&
        std::memcmp(bytes, frame.check, frame.checkSize) == 0 &&
        ReadAt(*s.file, frame.fileOffset + frame.fileBytes - frame.tailSize, bytes, frame.tailSize) &&
        std::memcmp(bytes, frame.tail, frame.tailSize) == 0;
    if (same) return Id3v2Error::NoError;
    SetFileError(kReasonChanged);
    return Id3v2Error::ReadFailed;
}

Id3v2Error WriteFrames(Id3v2Stream& s, const FrameList& frames, const CarriedFrameList* carried) {
    for (const auto& frame : frames) {
        if (!frame) continue;
        const int size = frame->GetSize();
        uint8_t* buffer = s.FrameBuffer(size);
        if (!buffer) return size < 0 ? Id3v2Error::FrameCorrupt : Id3v2Error::OutOfMemory;
        const Id3v2Error rc = frame->GetData(buffer, static_cast<int>(s.body.size()));
        if (rc != Id3v2Error::NoError) return rc;
        // A frame of no known type has an empty identifier; the stream refuses it.
        const char* id = frame->Id();
        std::memset(s.frameId, 0, sizeof s.frameId);
        for (int i = 0; i < 4 && id[i] != 0; ++i) s.frameId[i] = id[i];
        s.frameStatus = 0;
        s.frameFormat = 0;
        s.frameSize = size;
        const Id3v2Error written = Id3v2NextFrame(&s);
        if (written != Id3v2Error::NoError) return written;
    }
    if (!carried) return Id3v2Error::NoError;
    // Frames the record does not keep go back exactly as they were read.
    for (const CarriedFrame& frame : *carried) {
        if (frame.InFile()) {
            const Id3v2Error checked = CheckStillInFile(s, frame);
            if (checked != Id3v2Error::NoError) return checked;
        }
        const int32_t size = static_cast<int32_t>(frame.body.size());
        uint8_t* buffer = s.FrameBuffer(size);
        if (!buffer) return Id3v2Error::OutOfMemory;
        if (size != 0) std::memcpy(buffer, frame.body.data(), frame.body.size());
        std::memcpy(s.frameId, frame.id, 4);
        s.frameStatus = frame.status;
        s.frameFormat = frame.format;
        s.frameSize = size;
        s.frameFileOffset = frame.fileOffset;
        s.frameFileBytes = frame.fileBytes;
        const Id3v2Error written = Id3v2NextFrame(&s);
        if (written != Id3v2Error::NoError) return written;
    }
    return Id3v2Error::NoError;
}

}  // namespace

Id3v2Error WriteId3v2(const std::string& path, FrameList& frames, bool hasId3v2, uint32_t audioSize,
               const CarriedFrameList* carried) {
    if (!hasId3v2) return RemoveId3v2File(path);

    if (!HasFrameOfType(frames, kTSIZ)) {
        try {
            frames.emplace_back(new Id3v2FieldFrame(kTSIZ, std::to_string(audioSize)));
        } catch (const std::bad_alloc&) {
            return Id3v2Error::OutOfMemory;
        }
    }

    // Every frame counts, carried ones too: in place is only chosen when all
    // of them fit, so the writing never has to overflow the old region.
    uint64_t wanted = 0;
    for (const auto& frame : frames)
        if (frame) wanted += 10 + static_cast<uint64_t>(frame->GetSize() > 0 ? frame->GetSize() : 0);
    // Bodies left in the file are copied into a new file: never in place,
    // where the old tag region they sit in is overwritten.
    uint64_t fromFile = 0;
    if (carried) {
        for (const CarriedFrame& frame : *carried) {
            wanted += 10 + frame.Size();
            fromFile += frame.fileBytes;
        }
    }
    if (wanted > kId3MaxTagSize) return Id3v2Error::WriteFailed;

    Id3v2Error error = Id3v2Error::NoError;
    const int mode = kId3StreamWrite | (fromFile == 0 ? kId3StreamWantedSize : 0);
    Id3v2Stream* stream = Id3v2Open(path, mode, error, static_cast<uint32_t>(wanted - fromFile));
    if (!stream) return error;
    stream->padding = static_cast<int32_t>(kId3TempPadding);
    const Id3v2Error rc = WriteFrames(*stream, frames, carried);
    if (rc != Id3v2Error::NoError && stream->failure == Id3v2Error::NoError) stream->failure = rc;
    return Id3v2Close(stream);
}

Id3v2Error RemoveId3v2File(const std::string& path) {
    std::unique_ptr<File> file;
    if (!IsReadOnlyFile(path)) file = Fs().Open(path, OpenMode::ReadWrite);
    if (!file) {
        // A file we may not write needs nothing when it has no tag to remove;
        // with a tag, saying "done" would hide that it is still there.
        std::unique_ptr<File> reader = Fs().Open(path, OpenMode::Read);
        if (!reader) return Id3v2Error::WriteFailed;
        uint64_t length = 0;
        Id3v2Header header;
        uint32_t region = 0;
        const bool noTag = reader->GetSize(length) &&
                           LocateId3v2Tag(*reader, length, header, region) == Id3v2Error::NoError &&
                           region == 0;
        reader->Close();
        return noTag ? Id3v2Error::NoError : Id3v2Error::WriteFailed;
    }
    uint64_t length = 0;
    if (!file->GetSize(length)) {
        file->Close();
        return Id3v2Error::ReadFailed;
    }
    Id3v2Header header;
    uint32_t region = 0;
    const Id3v2Error located = LocateId3v2Tag(*file, length, header, region);
    if (located != Id3v2Error::NoError || region == 0) {
        file->Close();
        return located;
    }
    return ReplaceFileHead(*file, length, region, nullptr, 0, path);
}

}  // namespace td
