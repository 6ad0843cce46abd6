// What the analysis commands (stats, dupes, fit, search) share: the SOURCE
// argument with the tag source and folder options, and the line printed for
// a song.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace td {
class PlaylistView;
class SongRecord;
}  // namespace td

namespace td::cli {

// Messages of the core go to standard error, "COMMAND: text".
class CommandPrompter final : public Prompter {
public:
    explicit CommandPrompter(std::string command) : command_(std::move(command)) {}
    PromptAnswer Message(const std::string& text, const std::string& caption, PromptButtons buttons,
                         PromptIcon icon) override;
    int shown() const { return shown_; }

private:
    std::string command_;
    int shown_ = 0;
};

struct AnalysisArgs {
    std::vector<std::string> operands;  // in order; SOURCE is the last
    int viewSource = 0;
    bool recursive = false;
};

// Reads `args`: "--view N" (0 to 3) and "-r"/"--recursive" for every
// command, "--" ends the options; `own` is asked first about every other
// option (it returns 1 when it took it, advancing `i` past any value; 0 when
// it does not know it; -1 after reporting a bad value). Expects exactly
// `operandCount` operands. Returns kExitOk, or kExitUsage after reporting.
using OptionHandler =
    std::function<int(const std::string& option, const std::vector<std::string>& args, size_t& i)>;
int ParseAnalysisArgs(const char* command, const std::vector<std::string>& args, size_t operandCount,
                      const OptionHandler& own, AnalysisArgs& out);

// The value after option args[i], or false (reported) when there is none.
bool OptionValue(const char* command, const std::vector<std::string>& args, size_t& i, std::string& value);

// One song as a line: artist, title, time, size and file name separated by
// tabs, in UTF-8, ending in "\n".
std::string SongLine(const PlaylistView& view, const SongRecord& entry);

// Writes SongLine of every row (only the selected ones with
// `selectedOnly`) to standard output, in blocks.
void WriteSongLines(const PlaylistView& view, bool selectedOnly = false);

// A comma-separated list of names ("artist,title") as the OR of their bits.
// False when a name is not in `names` (an empty name included).
struct NamedBit {
    const char* name;
    uint32_t bit;
};
bool ParseNamedBits(const std::string& list, const NamedBit* names, size_t count, uint32_t& bits);

// The usual column choice for --sort: a column number or export key ("TIME",
// "ARTIST"), "-" in front for descending. False when it names no column.
bool ParseSortKey(const std::string& text, int& columnId, bool& descending);

}  // namespace td::cli
