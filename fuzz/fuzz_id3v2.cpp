// Feeds arbitrary bytes to the ID3v2 reader (memory and file overloads) and to
// every frame class's body decoder, then encodes each frame into a buffer of
// exactly GetSize() bytes and decodes it again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/id3v2/id3v2_flags.h"
#include "tags/id3v2/id3v2_tag.h"
#include "tags/mpeg/memory_file.h"

namespace {

void CheckAt(bool condition, int line) {
    if (!condition) {
        std::fprintf(stderr, "check failed at line %d\n", line);
        std::abort();
    }
}
#define Check(condition) CheckAt((condition), __LINE__)

bool IsIdChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Encodes into an exact-size heap buffer (the sanitizer catches any write
// past it), then decodes the result into a fresh frame of the same type: what
// the writer stores must read back to the same content.
void CheckEncoding(const td::Id3v2Frame& frame) {
    const int size = frame.GetSize();
    Check(size >= 0);
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size > 0 ? size : 1]);
    if (size > 0) Check(frame.GetData(exact.get(), size - 1) == td::Id3v2Error::BufferTooSmall);
    Check(frame.GetData(exact.get(), size) == td::Id3v2Error::NoError);

    const std::unique_ptr<td::Id3v2Frame> again = td::CreateFrame(frame.Type());
    Check(again != nullptr);
    const td::Id3v2Error rc = again->SetData(exact.get(), size, 3);
    const auto* field = dynamic_cast<const td::Id3v2FieldFrame*>(&frame);
    if (field == nullptr) {
        Check(rc == td::Id3v2Error::NoError && again->Equals(frame));
        return;
    }
    Check(rc == td::Id3v2Error::NoError);
    const auto* back = static_cast<const td::Id3v2FieldFrame*>(again.get());
    if (field->IsLossy()) {
        // The original body went out unchanged.
        Check(back->IsLossy() && back->Fields() == field->Fields());
    } else {
        // Trailing empty strings may be lost, the main text never.
        Check(td::MainText(back) == td::MainText(field));
    }
}

void CheckResult(td::Id3v2Error rc, const td::FrameList& frames, const td::CarriedFrameList& carried) {
    Check(static_cast<int>(rc) >= 0 && static_cast<int>(rc) < td::kId3ErrorCount);
    for (const auto& frame : frames) {
        Check(frame->Type() >= 0 && frame->Type() < td::kFrameTypeCount);
        Check(td::Id3v2FrameTable[frame->Type()].kept);
        CheckEncoding(*frame);
    }
    for (const td::CarriedFrame& c : carried) {
        for (int i = 0; i < 4; ++i) Check(IsIdChar(c.id[i]));
        Check(c.id[4] == 0);
        Check(c.Size() != 0);
        Check((c.status & ~(td::kFrameFileAlter | td::kFrameReadOnly)) == 0);
        Check((c.format & ~(td::kFrameCompressed | td::kFrameEncrypted | td::kFrameGrouped)) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input as the head of a file.
    td::FrameList frames;
    td::CarriedFrameList carried;
    uint32_t tagSize = 0;
    size_t needMore = 0;
    const td::Id3v2Error rc = td::ReadId3v2Frames(data, size, frames, tagSize, &carried, needMore);
    CheckResult(rc, frames, carried);
    if (needMore != 0) {
        Check(rc == td::Id3v2Error::ReadFailed && needMore > size && frames.empty() && carried.empty());
    }

    // The same bytes as a whole file: a complete tag reads the same; a tag
    // cut short is read as far as it goes.
    td::MemoryFile file(data, size);
    td::FrameList fileFrames;
    td::CarriedFrameList fileCarried;
    uint32_t fileTagSize = 0;
    const td::Id3v2Error fileRc = td::ReadId3v2Frames(file, fileFrames, fileTagSize, &fileCarried);
    CheckResult(fileRc, fileFrames, fileCarried);
    // (Below 10 bytes the file overload reports a short header read.)
    if (needMore == 0 && size >= 10) {
        Check(fileRc == rc && fileTagSize == tagSize);
        Check(fileFrames.size() == frames.size() && fileCarried.size() == carried.size());
        for (size_t i = 0; i < frames.size(); ++i) Check(fileFrames[i]->Equals(*frames[i]));
    }

    // The same file with every body over 16 bytes left in it: what is left
    // lies within the file, behind a header that is still there.
    td::FrameList sparseFrames;
    td::CarriedFrameList sparseCarried;
    uint32_t sparseTagSize = 0;
    file.Seek(0);
    const td::Id3v2Error sparseRc =
        td::ReadId3v2Frames(file, sparseFrames, sparseTagSize, &sparseCarried, 16);
    CheckResult(sparseRc, sparseFrames, sparseCarried);
    Check(sparseTagSize == fileTagSize);
    for (const td::CarriedFrame& c : sparseCarried) {
        if (!c.InFile()) continue;
        Check(c.fileOffset + c.fileBytes <= size);
        Check(c.checkOffset + c.checkSize <= c.fileOffset + c.fileBytes);
        Check(std::memcmp(data + c.checkOffset, c.check, c.checkSize) == 0);
        Check(std::memcmp(data + c.fileOffset + c.fileBytes - c.tailSize, c.tail, c.tailSize) == 0);
    }

    // The input as one frame body of a type chosen by its first byte.
    if (size >= 1) {
        const std::unique_ptr<td::Id3v2Frame> frame = td::CreateFrame(data[0] % td::kFrameTypeCount);
        Check(frame != nullptr);
        const int body = static_cast<int>(size - 1 > 1 << 20 ? 1 << 20 : size - 1);
        if (frame->SetData(data + 1, body, 3) == td::Id3v2Error::NoError) {
            CheckEncoding(*frame);
            const std::unique_ptr<td::Id3v2Frame> clone = frame->Clone();
            Check(clone != nullptr && clone->Equals(*frame));
            Check(clone->GetSize() == frame->GetSize());
        }
    }
    return 0;
}
