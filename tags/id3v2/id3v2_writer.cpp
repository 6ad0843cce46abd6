// Putting ID3v2.3 tags back into audio files, and cutting them off.
#include <memory>
#include <new>
#include <string>
#include <vector>

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

Id3v2Error WriteFrames(Id3v2Stream& stream, const FrameList& frames, const CarriedFrameList* carried) {
    // One body buffer for every frame, grown with some slack so that a run
    // of similar frames reuses it.
    std::vector<uint8_t> body;
    for (const auto& frame : frames) {
        if (!frame) continue;
        const int size = frame->GetSize();
        if (size < 0) return Id3v2Error::FrameCorrupt;
        if (body.empty() || static_cast<size_t>(size) > body.size()) {
            try {
                std::vector<uint8_t> grown(static_cast<size_t>(size) + 1024);
                body.swap(grown);
            } catch (const std::bad_alloc&) {
                return Id3v2Error::OutOfMemory;
            }
        }
        const Id3v2Error rc = frame->GetData(body.data(), static_cast<int>(body.size()));
        if (rc != Id3v2Error::NoError) return rc;
        // A frame of no known type has an empty identifier; the stream refuses it.
        char id[5] = {0, 0, 0, 0, 0};
        const char* known = frame->Id();
        for (int i = 0; i < 4 && known[i] != 0; ++i) id[i] = known[i];
        const Id3v2Error written = stream.WriteFrame(id, 0, 0, body.data(), static_cast<size_t>(size));
        if (written != Id3v2Error::NoError) return written;
    }
    if (!carried) return Id3v2Error::NoError;
    // Frames the record does not keep go back exactly as they were read.
    for (const CarriedFrame& frame : *carried) {
        const Id3v2Error written = stream.WriteCarried(frame);
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
            frames.push_back(std::make_unique<Id3v2FieldFrame>(kTSIZ, std::to_string(audioSize)));
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

    Id3v2Stream stream;
    const Id3v2Error opened = stream.Open(path, static_cast<uint32_t>(wanted - fromFile), fromFile == 0);
    if (opened != Id3v2Error::NoError) return opened;
    // A failure leaves the file as it was: the stream abandons the rewrite.
    const Id3v2Error rc = WriteFrames(stream, frames, carried);
    if (rc != Id3v2Error::NoError) return rc;
    return stream.Close();
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
