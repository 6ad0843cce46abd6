#include "cli/analysis_cli.h"

#include <cstdlib>

#include "cli/commands.h"
#include "platform/text_codec.h"
#include "playlist/view.h"
#include "settings/settings.h"
#include "tags/song_record.h"

namespace td::cli {

namespace {

std::string Cell(std::string text, bool isPath) {
    std::string out = isPath ? text::PathToUtf8(text) : text::AnsiToUtf8(text);
    // One song per line, one field per tab.
    for (char& c : out) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return out;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

PromptAnswer CommandPrompter::Message(const std::string& text, const std::string& caption, PromptButtons,
                                      PromptIcon) {
    (void)caption;
    ReportError(command_ + ": " + text::AnsiToUtf8(text));
    ++shown_;
    return PromptAnswer::Ok;
}

bool OptionValue(const char* command, const std::vector<std::string>& args, size_t& i, std::string& value) {
    if (i + 1 >= args.size()) {
        ReportError(std::string(command) + ": " + args[i] + " needs a value");
        return false;
    }
    value = args[++i];
    return true;
}

int ParseAnalysisArgs(const char* command, const std::vector<std::string>& args, size_t operandCount,
                      const OptionHandler& own, AnalysisArgs& out) {
    const std::string name = command;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
            continue;
        }
        const bool isOption =
            options && a.size() > 1 && a[0] == '-' && !(a.size() > 1 && a[1] >= '0' && a[1] <= '9');
        if (!isOption) {
            out.operands.push_back(a);
            continue;
        }
        const int taken = own ? own(a, args, i) : 0;
        if (taken < 0) return kExitUsage;
        if (taken > 0) continue;
        if (a == "-r" || a == "--recursive") {
            out.recursive = true;
        } else if (a == "--view") {
            std::string v;
            if (!OptionValue(command, args, i, v)) return kExitUsage;
            if (v.size() != 1 || v[0] < '0' || v[0] > '3') {
                ReportError(name + ": --view takes 0, 1, 2 or 3");
                return kExitUsage;
            }
            out.viewSource = v[0] - '0';
        } else {
            ReportError(name + ": unknown option '" + a + "'; see 'tunedeck help " + name + "'");
            return kExitUsage;
        }
    }
    if (out.operands.size() != operandCount) {
        ReportError(
            name + ": expects " +
            (operandCount == 1 ? std::string("one SOURCE") : std::to_string(operandCount) + " operands") +
            "; see 'tunedeck help " + name + "'");
        return kExitUsage;
    }
    return kExitOk;
}

std::string SongLine(const PlaylistView& view, const SongRecord& entry) {
    std::string line = Cell(view.columnTextById(entry, kColumnArtist), false);
    line += '\t';
    line += Cell(view.columnTextById(entry, kColumnTitle), false);
    line += '\t';
    line += Cell(view.columnTextById(entry, kColumnTime), false);
    line += '\t';
    line += Cell(view.columnTextById(entry, kColumnSize), false);
    line += '\t';
    line += Cell(entry.GetFileName(), true);
    line += '\n';
    return line;
}

void WriteSongLines(const PlaylistView& view, bool selectedOnly) {
    std::string out;
    for (const ViewRow& row : view.rows()) {
        if (selectedOnly && !row.selected) continue;
        out += SongLine(view, *row.entry);
        if (out.size() >= (1u << 16)) {
            WriteOut(out);
            out.clear();
        }
    }
    WriteOut(out);
}

bool ParseNamedBits(const std::string& list, const NamedBit* names, size_t count, uint32_t& bits) {
    bits = 0;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t comma = list.find(',', pos);
        if (comma == std::string::npos) comma = list.size();
        const std::string name = list.substr(pos, comma - pos);
        bool known = false;
        for (size_t n = 0; n < count; ++n) {
            if (name == names[n].name) {
                bits |= names[n].bit;
                known = true;
            }
        }
        if (!known) return false;
        pos = comma + 1;
    }
    return true;
}

bool ParseSortKey(const std::string& text, int& columnId, bool& descending) {
    std::string key = text;
    descending = !key.empty() && key[0] == '-';
    if (descending) key.erase(0, 1);
    if (key.empty()) return false;
    if (key.find_first_not_of("0123456789") == std::string::npos) {
        if (key.size() > 2) return false;
        columnId = std::atoi(key.c_str());
        return columnId < kColumnCount;
    }
    for (char& c : key) c = Upper(c);
    for (int id = 0; id < kColumnCount; ++id) {
        if (key == columnDef(id).key) {
            columnId = id;
            return true;
        }
    }
    return false;
}

}  // namespace td::cli
