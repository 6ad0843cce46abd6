// Mass tag: the same values into chosen fields of the ID3v1 tag, the ID3v2
// tag or both, for every chosen file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tools/tool_run.h"

namespace td {

class SongRecord;

// Fields in the order of the page's check boxes and of `massTagFields`.
enum MassTagField : int {
    kMassTitle = 0,
    kMassArtist = 1,
    kMassAlbum = 2,
    kMassYear = 3,
    kMassTrack = 4,
    kMassGenre = 5,
    kMassComment = 6,
};
constexpr int kMassTagFieldCount = 7;
constexpr uint32_t kMassTagV1 = 1;  // massTagVersions bit 0
constexpr uint32_t kMassTagV2 = 2;  // massTagVersions bit 1

// LangTable numbers of the mass tag texts.
enum MassTagText : int {
    kMassTextCheckVersion = 83,  // "Check before ID3v1 / ID3v2"
    kMassTextLogHeader = 52,     // "Mass set %s TAG %d files (Trace LOG)"
    kMassTextSummary = 53,       // "Mass set ID3TAG on %d file(s)"
};

struct MassTagOptions {
    uint32_t fields = 0;                                 // bit i: field i is set (massTagFields)
    uint32_t versions = 0;                               // kMassTagV1 | kMassTagV2 (massTagVersions)
    std::array<std::string, kMassTagFieldCount> values;  // by MassTagField
    ToolSave save;
};

// The ID3v2 frame type of a field.
int MassTagFrameType(int field);

// massTagFile: loads the entry's file afresh, sets the checked fields in the
// chosen tags, writes the file; on success the entry takes the new data.
// False for a missing entry, a file that is missing or cannot be written.
bool massTagFile(SongRecord* entry, const MassTagOptions& options);

// "ID3v1", "ID3v2" or "ID3v1+v2" by the version bits.
const char* MassTagVersionName(uint32_t versions);
// The log header and the summary for `files` files.
std::string MassTagLogHeader(uint32_t versions, int files);
std::string MassTagSummary(int files);

// The run's own precondition: at least one tag chosen, else "Check before
// ID3v1 / ID3v2" (caption "Information"). True when the run may go on.
bool CheckMassTagVersions(uint32_t versions, Prompter& prompter);

}  // namespace td
