// Conversion and removal of tags: copy ID3v1 into ID3v2 or back, or remove
// ID3v1, ID3v2 or both, for every chosen file.
#pragma once

#include <string>

#include "tools/tool_run.h"

namespace td {

class SongRecord;

// The operations, in the order of the page's buttons.
enum ConvertOp : int {
    kConvertV1ToV2 = 0,
    kConvertV2ToV1 = 1,
    kConvertRemoveV1 = 2,
    kConvertRemoveV2 = 3,
    kConvertRemoveAll = 4,
};
constexpr int kConvertOpCount = 5;

// The confirmation kind of an operation (3 to 7).
ToolKind ConvertKind(int op);
// "Copy ID3v1 to ID3v2 TAG %d files (Trace LOG)" and so on, formatted.
std::string ConvertLogHeader(int op, int files);
// "Copy ID3v1 --> ID3v2 on %d file(s)" and so on, formatted.
std::string ConvertSummary(int op, int files);

// convertFile: one file. The work is done on a record freshly read from the
// file; only when the file was written does the entry take the new tags, so
// an entry never shows tags its file does not hold. False for a missing
// entry or file, a missing source tag (ops 0 and 1), an unknown op or a
// failed write. Removing a tag the file does not have still writes the file
// and succeeds.
bool convertFile(SongRecord* entry, int op, const ToolSave& save = ToolSave());

}  // namespace td
