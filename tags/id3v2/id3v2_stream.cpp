#include "tags/id3v2/id3v2_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/file_system.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/id3v2/id3v2_tag.h"

namespace td {

namespace {

void PutSynchsafe(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>((value >> 21) & 0x7F);
    p[1] = static_cast<uint8_t>((value >> 14) & 0x7F);
    p[2] = static_cast<uint8_t>((value >> 7) & 0x7F);
    p[3] = static_cast<uint8_t>(value & 0x7F);
}

void PutBigEndian32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

// Bytes of frames written so far (the tag size the header will state).
uint32_t FramesWritten(const Id3v2Stream& s) {
    return static_cast<uint32_t>(s.out.size() - 10 + s.spanBytes);
}

// The room a tag written over the old region has after its header. A 2.4
// footer's 10 bytes are taken in as padding so that the audio does not move.
uint32_t InPlaceCapacity(const Id3v2Stream& s) { return s.oldRegion - 10; }

// Puts the old tag region back after a failed in-place write, through the
// open handle or, once that is closed, a new one. Best effort: the write has
// already been reported as failed.
void RestoreRegion(Id3v2Stream& s, const std::vector<uint8_t>& old) {
    File* file = s.file.get();
    std::unique_ptr<File> reopened;
    if (!file) {
        reopened = Fs().Open(s.path, OpenMode::ReadWrite);
        if (!reopened) return;
        file = reopened.get();
    }
    if (file->Seek(0) && file->Write(old.data(), old.size()) == old.size()) file->Flush();
    file->Close();
}

Id3v2Error FinishInPlace(Id3v2Stream& s) {
    const uint32_t capacity = InPlaceCapacity(s);
    std::vector<uint8_t> old;
    try {
        s.out.resize(static_cast<size_t>(capacity) + 10, 0);
        old.resize(s.oldRegion);
    } catch (const std::bad_alloc&) {
        s.file->Close();
        return Id3v2Error::OutOfMemory;
    }
    PutSynchsafe(&s.out[6], capacity);
    s.tagSize = capacity;
    // The old region is kept so that a write the system refuses half-way can
    // be taken back; the audio after it is never touched.
    if (!s.file->Seek(0) || s.file->Read(old.data(), old.size()) != old.size()) {
        s.file->Close();
        return Id3v2Error::ReadFailed;
    }
    if (!s.file->Seek(0)) {
        s.file->Close();
        return Id3v2Error::WriteFailed;
    }
    // One write over the old region, then the flush that commits it.
    if (s.file->Write(s.out.data(), s.out.size()) != s.out.size() || !s.file->Flush()) {
        RestoreRegion(s, old);
        return Id3v2Error::WriteFailed;
    }
    if (!s.file->Close()) {
        s.file.reset();
        RestoreRegion(s, old);
        return Id3v2Error::WriteFailed;
    }
    return Id3v2Error::NoError;
}

Id3v2Error FinishThroughTemp(Id3v2Stream& s) {
    const uint32_t written = FramesWritten(s);
    const uint32_t padding = std::min<uint32_t>(
        s.padding > 0 ? static_cast<uint32_t>(s.padding) : 0, kId3MaxTagSize - written);
    try {
        s.out.resize(s.out.size() + padding, 0);
    } catch (const std::bad_alloc&) {
        s.file->Close();
        return Id3v2Error::OutOfMemory;
    }
    s.tagSize = written + padding;
    PutSynchsafe(&s.out[6], s.tagSize);
    return ReplaceFileHead(*s.file, s.fileLength, s.oldRegion, s.out.data(), s.out.size(), s.path,
                           &s.spans);
}

// Copies `size` bytes from `offset` of `source` to the end of `temp`.
Id3v2Error CopyRange(File& source, uint64_t offset, uint64_t size, File& temp, uint8_t* buffer) {
    if (!source.Seek(offset)) return Id3v2Error::ReadFailed;
    while (size != 0) {
        const size_t block = static_cast<size_t>(std::min<uint64_t>(size, kId3CopyBufferSize));
        if (source.Read(buffer, block) != block) return Id3v2Error::ReadFailed;
        if (temp.Write(buffer, block) != block) return Id3v2Error::WriteFailed;
        size -= block;
    }
    return Id3v2Error::NoError;
}

}  // namespace

bool IsReadOnlyFile(const std::string& path) {
    uint32_t attributes = 0;
    return Fs().GetAttributes(path, attributes) && (attributes & kAttrReadOnly) != 0;
}

bool IsValidFrameId(const char* id) {
    for (int i = 0; i < 4; ++i) {
        const char c = id[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

Id3v2Error LocateId3v2Tag(File& file, uint64_t fileLength, Id3v2Header& header, uint32_t& region) {
    header = Id3v2Header{};
    region = 0;
    if (fileLength < 10) return Id3v2Error::NoError;  // too short to hold a header
    // The file is long enough, so a short read is a read error: taking it for
    // "no tag" would put a second tag in front of the first.
    if (!file.Seek(0)) return Id3v2Error::ReadFailed;
    const Id3v2Error rc = ReadId3v2Header(file, header);
    if (rc == Id3v2Error::NoTag) {
        header = Id3v2Header{};
        return Id3v2Error::NoError;
    }
    if (rc != Id3v2Error::NoError) return Id3v2Error::ReadFailed;
    const uint32_t total = header.TotalSize();
    if (total > fileLength) return Id3v2Error::TagCorrupt;
    region = total;
    return Id3v2Error::NoError;
}

Id3v2Error ReplaceFileHead(File& source, uint64_t sourceLength, uint64_t keepFrom, const uint8_t* head,
                    size_t headSize, const std::string& path, const std::vector<Id3FileSpan>* spans) {
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kId3CopyBufferSize]);
    if (!buffer) {
        source.Close();
        return Id3v2Error::OutOfMemory;
    }
    std::string tempPath;
    std::unique_ptr<File> temp = Fs().CreateTemporary(path, tempPath);
    if (!temp) {
        source.Close();
        return Id3v2Error::WriteFailed;
    }
    auto fail = [&](Id3v2Error code) {
        temp->Close();
        source.Close();
        Fs().Remove(tempPath);
        return code;
    };
    size_t written = 0;
    if (spans) {
        for (const Id3FileSpan& span : *spans) {
            if (span.at < written || span.at > headSize ||
                span.offset + span.size > sourceLength) {
                return fail(Id3v2Error::WriteFailed);
            }
            const size_t part = span.at - written;
            if (part != 0 && temp->Write(head + written, part) != part) return fail(Id3v2Error::WriteFailed);
            written = span.at;
            const Id3v2Error copied = CopyRange(source, span.offset, span.size, *temp, buffer.get());
            if (copied != Id3v2Error::NoError) return fail(copied);
        }
    }
    const size_t rest = headSize - written;
    if (rest != 0 && temp->Write(head + written, rest) != rest) return fail(Id3v2Error::WriteFailed);
    // Copy exactly what the file held when it was opened: a short read before
    // that is an error, not the end of the audio.
    const uint64_t audio = sourceLength > keepFrom ? sourceLength - keepFrom : 0;
    const Id3v2Error copied = CopyRange(source, keepFrom, audio, *temp, buffer.get());
    if (copied != Id3v2Error::NoError) return fail(copied);
    if (!temp->Flush()) return fail(Id3v2Error::WriteFailed);
    // One step: the path names the old file or the complete new one, never
    // neither. The source stays open (and other writers out) until then; a
    // failed commit leaves the original untouched and removes the copy.
    if (!Fs().Commit(*temp, tempPath, path, &source)) return Id3v2Error::MoveFailed;
    return Id3v2Error::NoError;
}

uint8_t* Id3v2Stream::FrameBuffer(int32_t size) {
    if (size < 0) return nullptr;
    if (body.empty() || static_cast<size_t>(size) > body.size()) {
        try {
            std::vector<uint8_t> grown(static_cast<size_t>(size) + 1024);
            body.swap(grown);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return body.data();
}

Id3v2Stream* Id3v2Open(const std::string& path, int mode, Id3v2Error& error, uint32_t wantedSize) {
    error = Id3v2Error::NoError;
    if ((mode & kId3StreamWrite) == 0) {
        error = Id3v2Error::NotImplemented;
        return nullptr;
    }
    std::unique_ptr<Id3v2Stream> s(new (std::nothrow) Id3v2Stream);
    if (!s) {
        error = Id3v2Error::OutOfMemory;
        return nullptr;
    }
    try {
        s->path = path;
    } catch (const std::bad_alloc&) {
        error = Id3v2Error::OutOfMemory;
        return nullptr;
    }
    s->mode = mode;
    if (mode & kId3StreamWantedSize) s->tagSize = wantedSize;

    // Read-only files are refused before anything is done: a replace through
    // a temporary file would otherwise go through. The attribute is asked
    // first because an administrator's open for writing may succeed anyway.
    if (IsReadOnlyFile(path)) {
        error = Id3v2Error::WriteFailed;
        return nullptr;
    }
    s->file = Fs().Open(path, OpenMode::ReadWrite);
    if (!s->file) {
        error = Id3v2Error::WriteFailed;
        return nullptr;
    }
    if (!s->file->GetSize(s->fileLength)) {
        s->file->Close();
        error = Id3v2Error::ReadFailed;
        return nullptr;
    }
    Id3v2Header old;
    const Id3v2Error located = LocateId3v2Tag(*s->file, s->fileLength, old, s->oldRegion);
    if (located != Id3v2Error::NoError) {
        s->file->Close();
        error = located;
        return nullptr;
    }
    s->hadFooter = s->oldRegion != 0 && s->oldRegion != 10 + old.size;
    s->inPlace = (mode & kId3StreamWantedSize) != 0 && s->oldRegion != 0 &&
                 InPlaceCapacity(*s) <= kId3MaxTagSize && wantedSize <= InPlaceCapacity(*s);

    try {
        s->out.reserve(s->inPlace ? s->oldRegion
                                  : 10 + static_cast<size_t>(wantedSize) + kId3TempPadding);
        static const uint8_t kHeader[10] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
        s->out.assign(kHeader, kHeader + 10);
    } catch (const std::bad_alloc&) {
        s->file->Close();
        error = Id3v2Error::OutOfMemory;
        return nullptr;
    }
    s->tagSize = 0;
    return s.release();
}

Id3v2Error Id3v2NextFrame(Id3v2Stream* s) {
    if (!s) return Id3v2Error::CannotOpen;
    if (s->failure != Id3v2Error::NoError) return s->failure;
    Id3v2Error rc = Id3v2Error::NoError;
    if (!IsValidFrameId(s->frameId)) {
        rc = Id3v2Error::BadIdentifier;
    } else if (s->frameSize < 0 || static_cast<size_t>(s->frameSize) > s->body.size()) {
        rc = Id3v2Error::BufferTooSmall;
    } else {
        const uint64_t frameSize = static_cast<uint64_t>(s->frameSize) + s->frameFileBytes;
        const uint64_t after = static_cast<uint64_t>(FramesWritten(*s)) + 10 + frameSize;
        if (s->inPlace && (after > InPlaceCapacity(*s) || s->frameFileBytes != 0)) {
            // The old region is overwritten in place: nothing can be copied from it.
            rc = Id3v2Error::OldTagTooSmall;
        } else if (after > kId3MaxTagSize) {
            rc = Id3v2Error::WriteFailed;
        } else {
            uint8_t header[10];
            std::memcpy(header, s->frameId, 4);
            PutBigEndian32(header + 4, static_cast<uint32_t>(frameSize));
            header[8] = s->frameStatus;
            header[9] = s->frameFormat;
            try {
                s->out.insert(s->out.end(), header, header + 10);
                s->out.insert(s->out.end(), s->body.begin(), s->body.begin() + s->frameSize);
                if (s->frameFileBytes != 0) {
                    Id3FileSpan span;
                    span.at = s->out.size();
                    span.offset = s->frameFileOffset;
                    span.size = s->frameFileBytes;
                    s->spans.push_back(span);
                    s->spanBytes += span.size;
                }
                s->tagSize = FramesWritten(*s);
            } catch (const std::bad_alloc&) {
                rc = Id3v2Error::OutOfMemory;
            }
        }
    }
    s->frameFileOffset = 0;
    s->frameFileBytes = 0;
    // Nothing has reached the disk yet; the close abandons the rewrite.
    s->failure = rc;
    return rc;
}

Id3v2Error Id3v2Close(Id3v2Stream* stream) {
    if (!stream) return Id3v2Error::NoError;
    std::unique_ptr<Id3v2Stream> s(stream);
    if (s->failure != Id3v2Error::NoError) {
        s->file->Close();
        return s->failure;
    }
    return s->inPlace ? FinishInPlace(*s) : FinishThroughTemp(*s);
}

}  // namespace td
