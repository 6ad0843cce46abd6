// Write tag from filename: splits a file's name by a format pattern such as
// "%N - %A - %T" into fields and writes them into its ID3v1 tag, its ID3v2
// tag or both.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/tool_run.h"

namespace td {

class SongRecord;

// tagFromNameVersion values.
enum TagFromNameVersion : int {
    kFromNameV1 = 0,
    kFromNameV2 = 1,
    kFromNameBoth = 2,
};

// LangTable numbers of the tool's texts.
enum TagFromNameText : int {
    kFromNameTextLogHeader = 64,  // "Write %s Tag from %d files (Trace LOG)"
    kFromNameTextSummary = 65,    // "Write ID3TAG from filename on %d file(s)"
    kFromNameTextInvalid = 352,   // "Invalid format !!!"
};

// The pattern field's tooltip on this page.
extern const char kFromNameTooltip[];  // "format filename output"

// A pattern read once per run.
struct CompiledPattern {
    std::string tokens;                   // token letters in pattern order
    std::vector<std::string> separators;  // literal texts between tokens
    bool leadingSeparator = false;        // separators[0] came before any token
};

// compilePattern: "%" and one of A C G L N T Y is a token; "%" and any other
// character stands for that character ("%%" is a percent sign); a "%" at the
// very end ends the pattern; a literal after the last token is dropped (the
// last field runs to the end of the name).
CompiledPattern compilePattern(const std::string& pattern);

// The fields a name yields: token letter and text, trimmed and converted
// (case first, then characters), in name order. `name` is the list text
// without its last four characters.
std::vector<std::pair<char, std::string>> SplitNameFields(const std::string& name,
                                                          const CompiledPattern& pattern, int caseMode,
                                                          int charMode);

struct TagFromNameOptions {
    int version = kFromNameBoth;  // tagFromNameVersion
    int caseMode = 0;             // caseConversion
    int charMode = 0;             // charConversion
    ToolSave save;
};

// tagFileFromName: loads the entry's file afresh, sets the fields its name
// gives in the chosen tags and writes the file; on success the entry takes
// the new data. `listText` is the list item's text (the file name without
// directory); the name matched is that text without its last four
// characters, whatever the extension. False for a missing entry, a file that
// is missing or cannot be written.
bool tagFileFromName(SongRecord* entry, const std::string& listText, const CompiledPattern& pattern,
                     const TagFromNameOptions& options);

// "ID3v1", "ID3v2" or "ID3v1+v2" by tagFromNameVersion.
const char* TagFromNameVersionName(int version);
std::string TagFromNameLogHeader(int version, int files);
std::string TagFromNameSummary(int files);

// The run's precondition: a valid pattern, else "Invalid format !!!"
// (caption "Error"). True when the run may go on.
bool CheckTagFromNamePattern(const std::string& pattern, Prompter& prompter);

}  // namespace td
