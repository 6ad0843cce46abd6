#include "cli/source_loader.h"

#include <vector>

#include "cli/commands.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "platform/text_codec.h"
#include "playlist/kq3.h"
#include "playlist/m3u_pls.h"
#include "playlist/playlist.h"
#include "playlist/view.h"

namespace td::cli {

namespace {

// Messages of the playlist readers go to standard error, naming the file.
class ConsolePrompter final : public Prompter {
public:
    explicit ConsolePrompter(const std::string& file) : file_(file) {}
    PromptAnswer Message(const std::string& text, const std::string& caption, PromptButtons,
                         PromptIcon) override {
        ReportError(text::AnsiToUtf8(caption) + ": '" + text::PathToUtf8(file_) +
                    "': " + text::AnsiToUtf8(text));
        ++shown;
        return PromptAnswer::Ok;
    }
    int shown = 0;

private:
    std::string file_;
};

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const std::string tail(suffix);
    if (text.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        char c = text[text.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

}  // namespace

SourceLoad LoadSource(const char* command, const std::string& source, bool recursive, Playlist& playlist,
                      PlaylistView& view) {
    const std::string prefix = std::string(command) + ": ";
    const std::string path = AbsolutePath(source);
    ConsolePrompter prompter(source);
    FileStatus status;
    if (!Fs().GetStatus(path, status)) {
        ReportError(prefix + "cannot open '" + text::PathToUtf8(source) + "'");
        return SourceLoad::Missing;
    }
    bool read = false;
    if (status.attributes & kAttrDirectory) {
        const bool complete = AddDirectory(playlist, path, recursive, prefix);
        view.rebuildFromPlaylist();
        return complete ? SourceLoad::Loaded : SourceLoad::Damaged;
    }
    int tooLong = 0;
    if (EndsWithNoCase(path, ".kq3")) {
        read = loadKq3(path, true, playlist, view, prompter) == Kq3Load::Loaded;
    } else if (EndsWithNoCase(path, ".m3u") || EndsWithNoCase(path, ".m3u8")) {
        read = readM3u(path, playlist, view, &tooLong);
    } else if (EndsWithNoCase(path, ".pls")) {
        read = readPls(path, playlist, view, prompter, &tooLong) && prompter.shown == 0;
    } else {
        ReportError(prefix + "'" + text::PathToUtf8(source) +
                    "' is no folder and no .kq3, .m3u or .pls file");
        return SourceLoad::NotSource;
    }
    if (!read && prompter.shown == 0) {
        const std::string reason = LastFileError();
        ReportError(prefix + "cannot read '" + text::PathToUtf8(source) + "'" +
                    (reason.empty() ? std::string() : ": " + reason));
    }
    if (tooLong > 0) {
        ReportError(prefix + "'" + text::PathToUtf8(source) + "': " + std::to_string(tooLong) +
                    (tooLong == 1 ? " entry" : " entries") + " left out: longer than " +
                    std::to_string(kMaxPathLength) + " bytes, the longest path the system allows");
        read = false;
    }
    return read ? SourceLoad::Loaded : SourceLoad::Damaged;
}

}  // namespace td::cli
