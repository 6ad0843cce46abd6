// Result of every tag file operation.
#pragma once

namespace td {

// The values are fixed: each selects its text in Id3v2ErrorText.
enum class Id3v2Error : int {
    NoError = 0,
    NotImplemented = 1,
    OutOfMemory = 2,
    NoTag = 3,
    CannotOpen = 4,
    ReadFailed = 5,
    WriteFailed = 6,
    BadIdentifier = 7,
    NoMoreFrames = 8,
    FrameCorrupt = 9,
    BufferTooSmall = 10,
    TagCorrupt = 11,
    BadEncoding = 12,
    DeleteFailed = 13,
    MoveFailed = 14,
    OldTagTooSmall = 15,
    CancelReadOnly = 16,
    StringOutOfRange = 17,
};
constexpr int kId3ErrorCount = 18;

// The fixed English text of a result; "Unknown error" for any other value.
const char* Id3v2ErrorText(Id3v2Error code);

}  // namespace td
