#include "tags/id3v2/id3v2_error.h"

namespace td {

namespace {

// Shown to the user as they stand, untranslated.
constexpr const char* kErrorTexts[kId3ErrorCount] = {
    "No Error",
    "Not implemented yet",
    "Out of Memory",
    "No ID3V2 Tag found",
    "Cannot open file",
    "Reading file failed",
    "Writing file failed",
    "Tag Identifier Error",
    "No more Frames in Header",
    "ID3 Frame corrupt",
    "Internal Error: Buffer too small",
    "Error reading Tag. Tag corrupt",
    "Unsupported string-encoding found",
    "Failed to delete original File",
    "Failed to move temporary file into old position",
    "Old Tag is not big enough",
    "Cancel read only force write",
    "String out of range",
};

}  // namespace

const char* Id3v2ErrorText(Id3v2Error code) {
    const int index = static_cast<int>(code);
    if (index < 0 || index >= kId3ErrorCount) return "Unknown error";
    return kErrorTexts[index];
}

}  // namespace td
