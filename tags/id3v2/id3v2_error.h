// Result codes of every tag file operation.
#pragma once

namespace td {

enum Id3v2Error : int {
    kId3NoError = 0,
    kId3NotImplemented = 1,
    kId3OutOfMemory = 2,
    kId3NoTag = 3,
    kId3CannotOpen = 4,
    kId3ReadFailed = 5,
    kId3WriteFailed = 6,
    kId3BadIdentifier = 7,
    kId3NoMoreFrames = 8,
    kId3FrameCorrupt = 9,
    kId3BufferTooSmall = 10,
    kId3TagCorrupt = 11,
    kId3BadEncoding = 12,
    kId3DeleteFailed = 13,
    kId3MoveFailed = 14,
    kId3OldTagTooSmall = 15,
    kId3CancelReadOnly = 16,
    kId3StringOutOfRange = 17,
};
constexpr int kId3ErrorCount = 18;

// The fixed English text of a code; "Unknown error" outside 0 to 17.
const char* Id3v2ErrorText(int code);

}  // namespace td
