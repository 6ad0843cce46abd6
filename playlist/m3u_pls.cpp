#include "playlist/m3u_pls.h"

#include <cstring>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "platform/text_codec.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"

namespace td {

namespace {

constexpr int kTextBadPls = 131;
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr char kLineEnd[] = "\r\n";

#ifdef _WIN32
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif

bool IsSeparator(char c) { return c == '/' || (kWindowsPaths && c == '\\'); }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// "scheme://...": a stream or a URL, never a file beside the playlist.
bool IsUrl(const std::string& entry) {
    const size_t colon = entry.find("://");
    if (colon == std::string::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = entry[i];
        if (!IsAsciiLetter(c) && !(i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) {
            return false;
        }
    }
    return true;
}

bool IsValidUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        size_t follow = 0;
        if (c < 0x80) {
            ++p;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
        } else {
            return false;
        }
        if (static_cast<size_t>(end - p) <= follow) return false;
        for (size_t i = 1; i <= follow; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
        }
        p += follow + 1;
    }
    return true;
}

// A line of the file as a path in the native narrow encoding. Windows keeps
// ANSI paths, so UTF-8 (a byte order mark, or an .m3u8 file) is converted;
// POSIX paths are UTF-8, so a line that is not UTF-8 is read as ANSI text.
std::string NativeLine(const std::string& line, bool utf8) {
    if (kWindowsPaths) {
        if (!utf8) return line;
        std::string ansi;
        text::Utf8ToAnsi(line, ansi);
        return ansi;
    }
    if (utf8 || IsValidUtf8(line)) return line;
    return text::AnsiToUtf8(line);
}

// Tag text is ANSI; the file is in the paths' encoding.
std::string NativeTagText(const std::string& ansi) {
    if (kWindowsPaths) return ansi;
    return text::AnsiToUtf8(ansi);
}

// Splits a text file into lines: LF or CR LF end a line, a last line without
// a break counts, and a line stops at a NUL byte as a C string would.
std::vector<std::string> SplitLines(const std::string& text, bool& hadBom) {
    std::vector<std::string> lines;
    size_t pos = 0;
    hadBom = StartsWith(text, kUtf8Bom);
    if (hadBom) pos = 3;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t nul = line.find('\0');
        if (nul != std::string::npos) line.resize(nul);
        lines.push_back(std::move(line));
        pos = next;
    }
    return lines;
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[text.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

// Length of the root of a path: "C:\", "\\server\share\" or a single leading
// separator (on Windows the root of the current drive); 0 for a relative path.
size_t RootLength(const std::string& path) {
    if (kWindowsPaths) {
        if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
            return 3;
        }
        if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
            // \\server\share\ ...
            size_t at = path.find_first_of("\\/", 2);
            if (at == std::string::npos) return path.size();
            at = path.find_first_of("\\/", at + 1);
            return at == std::string::npos ? path.size() : at + 1;
        }
    }
    return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

// Removes "." steps and folds "name/.." pairs after the root.
std::string Normalize(const std::string& path) {
    const size_t rootLength = RootLength(path);
    const char separator = kPathSeparator;
    std::vector<std::string> parts;
    size_t pos = rootLength;
    while (pos <= path.size()) {
        size_t end = pos;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        std::string part = path.substr(pos, end - pos);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (rootLength == 0) {
                parts.push_back(part);  // above a relative start: kept
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        pos = end + 1;
    }
    std::string out = path.substr(0, rootLength);
    if (kWindowsPaths) {
        for (char& c : out) {
            if (c == '/') c = '\\';
        }
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += separator;
        out += parts[i];
    }
    return out;
}

// Accepts each path of a reader: its volume becomes current, the file is
// read and a row appended for it.
void AddPaths(const std::vector<std::string>& paths, Playlist& playlist, PlaylistView& view, int* tooLong) {
    if (tooLong) *tooLong = 0;
    for (const std::string& path : paths) {
        // Lines that name no song (comments, other kinds of file) register no
        // volume: that would list a volume holding none of the songs.
        if (path.empty() || !HasPlaylistExtension(path)) continue;
        // No file can have a longer name; looking one up would only cost time.
        if (path.size() > kMaxPathLength) {
            if (tooLong) ++*tooLong;
            continue;
        }
        playlist.registerVolume(path);
        const int index = playlist.addFile(path);
        if (index >= 0) view.appendRow(playlist.entryAt(index));
    }
}

bool ReadText(const std::string& path, std::string& text) {
    return readWholePlaylistFile(path, text) == WholeFileRead::Ok;
}

// Artist and Title as the exports show them: empty when the tags lack them.
void ArtistAndTitle(const PlaylistView& view, const SongRecord& entry, std::string& artist,
                    std::string& title) {
    const TagFieldReader reader(view.viewSource());
    artist.clear();
    title.clear();
    reader.GetField(entry, kTPE1, artist);
    reader.GetField(entry, kTIT2, title);
    // A line break inside a tag would start a new line, read back as a path.
    for (std::string* text : {&artist, &title}) {
        for (char& c : *text) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        *text = NativeTagText(*text);
    }
}

}  // namespace

std::string resolvePlaylistPath(const std::string& playlistPath, const std::string& entry) {
    if (entry.empty() || IsUrl(entry)) return entry;
    const bool onCurrentDrive = kWindowsPaths && RootLength(entry) == 1;
    if (RootLength(entry) > 0 && !onCurrentDrive) return entry;
    // Drive-relative ("C:song.mp3"), or on POSIX a Windows path: nothing we
    // can place beside the playlist; left for the system to interpret.
    if (entry.size() >= 2 && IsAsciiLetter(entry[0]) && entry[1] == ':') return entry;
    size_t folderEnd = std::string::npos;
    for (size_t i = playlistPath.size(); i-- > 0;) {
        if (IsSeparator(playlistPath[i])) {
            folderEnd = i;
            break;
        }
    }
    if (folderEnd == std::string::npos) return Normalize(entry);  // beside us: the current folder
    const std::string folder = playlistPath.substr(0, folderEnd + 1);
    if (onCurrentDrive) {
        // "\music\a.mp3": the root of the playlist's own drive or share.
        const size_t root = RootLength(folder);
        if (root <= 1) return entry;
        return Normalize(folder.substr(0, root) + entry.substr(1));
    }
    return Normalize(folder + entry);
}

std::vector<std::string> m3uPaths(const std::string& text, const std::string& playlistPath) {
    bool bom = false;
    const std::vector<std::string> lines = SplitLines(text, bom);
    const bool utf8 = bom || EndsWithNoCase(playlistPath, ".m3u8");
    std::vector<std::string> paths;
    if (lines.empty()) return paths;
    const bool extended = StartsWith(lines[0], "#EXTM3U");
    for (size_t i = 1; i < lines.size(); ++i) {
        if (extended && StartsWith(lines[i], "#EXTINF")) {
            // The information line is not used: the file is read again.
            if (++i >= lines.size()) break;
        }
        paths.push_back(resolvePlaylistPath(playlistPath, NativeLine(lines[i], utf8)));
    }
    return paths;
}

bool plsPaths(const std::string& text, const std::string& playlistPath, std::vector<std::string>& paths) {
    paths.clear();
    bool bom = false;
    const std::vector<std::string> lines = SplitLines(text, bom);
    if (lines.empty() || !StartsWith(lines[0], "[playlist]")) return false;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!StartsWith(line, "File")) continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        // The number after "File" is not looked at: the lines' order counts.
        paths.push_back(resolvePlaylistPath(playlistPath, NativeLine(line.substr(equals + 1), bom)));
    }
    return true;
}

bool readM3u(const std::string& path, Playlist& playlist, PlaylistView& view, int* tooLong) {
    std::string text;
    if (!ReadText(path, text)) return false;
    const std::vector<std::string> paths = m3uPaths(text, path);
    view.clearRows();
    playlist.clear();
    AddPaths(paths, playlist, view, tooLong);
    return true;
}

bool readPls(const std::string& path, Playlist& playlist, PlaylistView& view, Prompter& prompter,
             int* tooLong) {
    std::string text;
    if (!ReadText(path, text)) return false;
    std::vector<std::string> paths;
    const bool valid = plsPaths(text, path, paths);
    view.clearRows();
    playlist.clear();
    if (!valid) {
        prompter.Message(LangTable::getString(kTextBadPls), LangTable::getString(kLangError),
                         PromptButtons::Ok, PromptIcon::Error);
        return true;
    }
    AddPaths(paths, playlist, view, tooLong);
    return true;
}

namespace {

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

std::vector<std::string> unwritablePlaylistNames(const PlaylistView& view, bool selectedOnly) {
    std::vector<std::string> names;
    for (int row = 0; row < view.rowCount(); ++row) {
        const SongRecord* entry = view.entryAt(row);
        if (!entry || (selectedOnly && !view.isSelected(row))) continue;
        if (HasLineBreak(entry->GetFileName())) names.push_back(entry->GetFileName());
    }
    return names;
}

std::string formatM3u(const PlaylistView& view, bool selectedOnly) {
    std::string out = "#EXTM3U";
    out += kLineEnd;
    std::string artist;
    std::string title;
    for (int row = 0; row < view.rowCount(); ++row) {
        const SongRecord* entry = view.entryAt(row);
        if (!entry || (selectedOnly && !view.isSelected(row))) continue;
        if (HasLineBreak(entry->GetFileName())) continue;  // see unwritablePlaylistNames
        ArtistAndTitle(view, *entry, artist, title);
        out += "#EXTINF," + std::to_string(entry->GetMpegInfo().seconds) + "," + artist + " - " + title +
               kLineEnd;
        out += entry->GetFileName() + kLineEnd;
    }
    return out;
}

std::string formatPls(const PlaylistView& view, bool selectedOnly) {
    std::string out = "[playlist]";
    out += kLineEnd;
    std::string artist;
    std::string title;
    for (int row = 0; row < view.rowCount(); ++row) {
        const SongRecord* entry = view.entryAt(row);
        if (!entry || (selectedOnly && !view.isSelected(row))) continue;
        if (HasLineBreak(entry->GetFileName())) continue;  // see unwritablePlaylistNames
        // Numbers are the rows' own, with gaps where rows were left out.
        const std::string n = std::to_string(row + 1);
        ArtistAndTitle(view, *entry, artist, title);
        out += "File" + n + "=" + entry->GetFileName() + kLineEnd;
        out += "Title" + n + "=" + artist + " - " + title + kLineEnd;
        out += "Length" + n + "=" + std::to_string(entry->GetMpegInfo().seconds) + kLineEnd;
    }
    out += "NumberOfEntries=" + std::to_string(view.rowCount()) + kLineEnd;
    out += "Version=2";
    return out;
}

}  // namespace td
