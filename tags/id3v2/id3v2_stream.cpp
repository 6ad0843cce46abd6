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

bool ReadAt(File& file, uint64_t offset, uint8_t* buffer, size_t size) {
    return file.Seek(offset) && ReadFully(file, buffer, size) == size;
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
            if (span.at < written || span.at > headSize || span.offset + span.size > sourceLength) {
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

Id3v2Stream::~Id3v2Stream() {
    if (file_) file_->Close();
}

Id3v2Error Id3v2Stream::Open(const std::string& path, uint32_t frameBytes, bool inPlace) {
    if (file_) return Id3v2Error::CannotOpen;
    failure_ = Id3v2Error::NoError;
    try {
        path_ = path;
    } catch (const std::bad_alloc&) {
        return Id3v2Error::OutOfMemory;
    }
    // Read-only files are refused before anything is done: a replace through
    // a temporary file would otherwise go through. The attribute is asked
    // first because an administrator's open for writing may succeed anyway.
    if (IsReadOnlyFile(path)) return Id3v2Error::WriteFailed;
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::ReadWrite);
    if (!file) return Id3v2Error::WriteFailed;
    if (!file->GetSize(fileLength_)) {
        file->Close();
        return Id3v2Error::ReadFailed;
    }
    Id3v2Header old;
    const Id3v2Error located = LocateId3v2Tag(*file, fileLength_, old, oldRegion_);
    if (located != Id3v2Error::NoError) {
        file->Close();
        return located;
    }
    inPlace_ =
        inPlace && oldRegion_ != 0 && InPlaceCapacity() <= kId3MaxTagSize && frameBytes <= InPlaceCapacity();
    try {
        out_.reserve(inPlace_ ? oldRegion_ : 10 + static_cast<size_t>(frameBytes) + kId3TempPadding);
        static const uint8_t kHeader[10] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
        out_.assign(kHeader, kHeader + 10);
    } catch (const std::bad_alloc&) {
        file->Close();
        return Id3v2Error::OutOfMemory;
    }
    file_ = std::move(file);
    return Id3v2Error::NoError;
}

Id3v2Error Id3v2Stream::WriteFrame(const char* id, uint8_t status, uint8_t format, const uint8_t* body,
                                   size_t size) {
    return Append(id, status, format, body, size, 0, 0);
}

Id3v2Error Id3v2Stream::WriteCarried(const CarriedFrame& frame) {
    if (file_ && failure_ == Id3v2Error::NoError && frame.InFile() && !StillInFile(frame)) {
        SetFileError(kReasonChanged);
        failure_ = Id3v2Error::ReadFailed;
    }
    return Append(frame.id, frame.status, frame.format, frame.body.data(), frame.body.size(),
                  frame.fileOffset, frame.fileBytes);
}

// Whether the body a carried frame left in the file is still where it was
// read: its header, first and last bytes unchanged.
bool Id3v2Stream::StillInFile(const CarriedFrame& frame) {
    uint8_t bytes[sizeof frame.check];
    const bool inside = frame.fileOffset + frame.fileBytes <= fileLength_ &&
                        frame.checkOffset + frame.checkSize <= fileLength_;
    return inside && ReadAt(*file_, frame.checkOffset, bytes, frame.checkSize) &&
           std::memcmp(bytes, frame.check, frame.checkSize) == 0 &&
           ReadAt(*file_, frame.fileOffset + frame.fileBytes - frame.tailSize, bytes, frame.tailSize) &&
           std::memcmp(bytes, frame.tail, frame.tailSize) == 0;
}

Id3v2Error Id3v2Stream::Append(const char* id, uint8_t status, uint8_t format, const uint8_t* body,
                               size_t size, uint64_t fileOffset, uint32_t fileBytes) {
    if (!file_) return Id3v2Error::CannotOpen;
    if (failure_ != Id3v2Error::NoError) return failure_;
    Id3v2Error rc = Id3v2Error::NoError;
    const uint64_t frameSize = static_cast<uint64_t>(size) + fileBytes;
    const uint64_t after = static_cast<uint64_t>(FramesWritten()) + 10 + frameSize;
    if (!IsValidFrameId(id)) {
        rc = Id3v2Error::BadIdentifier;
    } else if (inPlace_ && (after > InPlaceCapacity() || fileBytes != 0)) {
        // The old region is overwritten in place: nothing can be copied from it.
        rc = Id3v2Error::OldTagTooSmall;
    } else if (after > kId3MaxTagSize) {
        rc = Id3v2Error::WriteFailed;
    } else {
        uint8_t header[10];
        std::memcpy(header, id, 4);
        PutBigEndian32(header + 4, static_cast<uint32_t>(frameSize));
        header[8] = status;
        header[9] = format;
        try {
            out_.insert(out_.end(), header, header + 10);
            if (size != 0) out_.insert(out_.end(), body, body + size);
            if (fileBytes != 0) {
                Id3FileSpan span;
                span.at = out_.size();
                span.offset = fileOffset;
                span.size = fileBytes;
                spans_.push_back(span);
                spanBytes_ += span.size;
            }
        } catch (const std::bad_alloc&) {
            rc = Id3v2Error::OutOfMemory;
        }
    }
    // Nothing has reached the disk yet; the close abandons the rewrite.
    failure_ = rc;
    return rc;
}

Id3v2Error Id3v2Stream::Close() {
    if (!file_) return Id3v2Error::CannotOpen;
    if (failure_ != Id3v2Error::NoError) {
        file_->Close();
        file_.reset();
        return failure_;
    }
    const Id3v2Error rc = inPlace_ ? FinishInPlace() : FinishThroughTemp();
    file_.reset();
    return rc;
}

uint32_t Id3v2Stream::FramesWritten() const { return static_cast<uint32_t>(out_.size() - 10 + spanBytes_); }

// Puts the old tag region back after a failed in-place write, through the
// open handle or, once that is closed, a new one. Best effort: the write has
// already been reported as failed.
void Id3v2Stream::RestoreRegion(const std::vector<uint8_t>& old) {
    File* file = file_.get();
    std::unique_ptr<File> reopened;
    if (!file) {
        reopened = Fs().Open(path_, OpenMode::ReadWrite);
        if (!reopened) return;
        file = reopened.get();
    }
    if (file->Seek(0) && file->Write(old.data(), old.size()) == old.size()) file->Flush();
    file->Close();
}

Id3v2Error Id3v2Stream::FinishInPlace() {
    const uint32_t capacity = InPlaceCapacity();
    std::vector<uint8_t> old;
    try {
        out_.resize(static_cast<size_t>(capacity) + 10, 0);
        old.resize(oldRegion_);
    } catch (const std::bad_alloc&) {
        file_->Close();
        return Id3v2Error::OutOfMemory;
    }
    PutSynchsafe(&out_[6], capacity);
    // The old region is kept so that a write the system refuses half-way can
    // be taken back; the audio after it is never touched.
    if (!file_->Seek(0) || file_->Read(old.data(), old.size()) != old.size()) {
        file_->Close();
        return Id3v2Error::ReadFailed;
    }
    if (!file_->Seek(0)) {
        file_->Close();
        return Id3v2Error::WriteFailed;
    }
    // One write over the old region, then the flush that commits it.
    if (file_->Write(out_.data(), out_.size()) != out_.size() || !file_->Flush()) {
        RestoreRegion(old);
        return Id3v2Error::WriteFailed;
    }
    if (!file_->Close()) {
        file_.reset();
        RestoreRegion(old);
        return Id3v2Error::WriteFailed;
    }
    return Id3v2Error::NoError;
}

Id3v2Error Id3v2Stream::FinishThroughTemp() {
    const uint32_t written = FramesWritten();
    const uint32_t padding = std::min<uint32_t>(kId3TempPadding, kId3MaxTagSize - written);
    try {
        out_.resize(out_.size() + padding, 0);
    } catch (const std::bad_alloc&) {
        file_->Close();
        return Id3v2Error::OutOfMemory;
    }
    PutSynchsafe(&out_[6], written + padding);
    return ReplaceFileHead(*file_, fileLength_, oldRegion_, out_.data(), out_.size(), path_, &spans_);
}

}  // namespace td
