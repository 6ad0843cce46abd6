// td_tagwrite: changes the tags of one file through the SongRecord operations
// and saves them, so that the interoperability checks can read back with other
// tag libraries what the engine wrote.
//
//   td_tagwrite FILE [--set ID=VALUE]... [--comm LANG:DESC:TEXT]
//               [--v1 FIELD=VALUE]... [--rating N] [--remove v1|v2|all]
//               [--copy v1-to-v2|v2-to-v1]
//
// Order of work: removal, ID3v2 frames, comment, rating, ID3v1 fields, then
// either the copy (which saves by itself) or SaveTags. VALUEs are UTF-8 and
// are converted to the ANSI code page; a character it cannot hold is refused
// rather than written as '?'.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/song_record.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: td_tagwrite FILE [--set ID=VALUE]... [--comm LANG:DESC:TEXT]\n"
    "                   [--v1 title|artist|album|year|comment|genre|track=VALUE]...\n"
    "                   [--rating N] [--remove v1|v2|all] [--copy v1-to-v2|v2-to-v1]\n"
    "\n"
    "  --set ID=VALUE   set the main text of a text or URL frame (an empty VALUE\n"
    "                   removes the frame)\n"
    "  --comm L:D:T     set the comment frame: language L, description D, text T\n"
    "  --v1 F=VALUE     set an ID3v1 field; genre takes a name or an internal index\n"
    "  --rating N       0 to 5 stars, stored in the rating frame\n"
    "  --remove WHICH   remove the ID3v1 tag, the ID3v2 tag or both\n"
    "  --copy HOW       copy the common fields from one tag to the other\n";

struct FrameSetting {
    int type;
    std::string value;  // ANSI
};

struct Options {
    std::string path;
    std::vector<FrameSetting> frames;
    bool hasComment = false;
    std::string commentLanguage, commentDescription, commentText;  // ANSI
    std::vector<std::pair<std::string, std::string>> v1;           // field, ANSI value
    int rating = -1;
    int remove = 0;
    std::string copy;
};

int Usage(const std::string& message) {
    std::fprintf(stderr, "td_tagwrite: %s\n\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

bool ToAnsi(const std::string& utf8, std::string& ansi, std::string& error) {
    if (td::text::Utf8ToAnsi(utf8, ansi)) return true;
    error = "'" + utf8 + "' cannot be written in the ANSI code page";
    return false;
}

bool ParseInt(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    value = std::atoi(text.c_str());
    return value >= low && value <= high;
}

// Copies `value` into a fixed ID3v1 text array, cutting at its width.
void CopyField(char* dest, size_t width, const std::string& value) {
    std::memset(dest, 0, width + 1);
    std::memcpy(dest, value.data(), value.size() < width ? value.size() : width);
}

int Parse(const std::vector<std::string>& args, Options& o) {
    if (args.empty()) return Usage("no file given");
    std::string error;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(kExitOk);
        } else if (a == "--set" && hasValue) {
            const std::string& s = args[++i];
            const size_t eq = s.find('=');
            if (eq != 4) return Usage("--set wants ID=VALUE with a four-letter ID: " + s);
            const int type = td::FindFrameType(s.substr(0, 4).c_str());
            if (type >= td::kFrameTypeCount || !td::IsFieldFrameType(type) ||
                !td::Id3v2FrameTable[type].kept) {
                return Usage("not a text frame the engine keeps: " + s.substr(0, 4));
            }
            FrameSetting setting{type, std::string()};
            if (!ToAnsi(s.substr(eq + 1), setting.value, error)) return Usage(error);
            o.frames.push_back(setting);
        } else if (a == "--comm" && hasValue) {
            const std::string& s = args[++i];
            const size_t c1 = s.find(':');
            const size_t c2 = c1 == std::string::npos ? c1 : s.find(':', c1 + 1);
            if (c1 != 3 || c2 == std::string::npos) return Usage("--comm wants LANG:DESC:TEXT");
            o.hasComment = true;
            o.commentLanguage = s.substr(0, 3);
            if (!ToAnsi(s.substr(c1 + 1, c2 - c1 - 1), o.commentDescription, error) ||
                !ToAnsi(s.substr(c2 + 1), o.commentText, error)) {
                return Usage(error);
            }
        } else if (a == "--v1" && hasValue) {
            const std::string& s = args[++i];
            const size_t eq = s.find('=');
            if (eq == std::string::npos) return Usage("--v1 wants FIELD=VALUE");
            const std::string field = s.substr(0, eq);
            static const char* const kFields[] = {"title",   "artist", "album", "year",
                                                  "comment", "genre",  "track"};
            bool known = false;
            for (const char* f : kFields) known = known || field == f;
            if (!known) return Usage("unknown ID3v1 field: " + field);
            std::string value;
            if (!ToAnsi(s.substr(eq + 1), value, error)) return Usage(error);
            o.v1.emplace_back(field, value);
        } else if (a == "--rating" && hasValue) {
            if (!ParseInt(args[++i], 0, 5, o.rating)) return Usage("--rating wants 0 to 5");
        } else if (a == "--remove" && hasValue) {
            const std::string& w = args[++i];
            if (w == "v1")
                o.remove |= td::kTagId3v1;
            else if (w == "v2")
                o.remove |= td::kTagId3v2;
            else if (w == "all")
                o.remove |= td::kTagId3v1 | td::kTagId3v2;
            else
                return Usage("--remove wants v1, v2 or all");
        } else if (a == "--copy" && hasValue) {
            o.copy = args[++i];
            if (o.copy != "v1-to-v2" && o.copy != "v2-to-v1") {
                return Usage("--copy wants v1-to-v2 or v2-to-v1");
            }
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown or incomplete option: " + a);
        } else if (o.path.empty()) {
            o.path = a;
        } else {
            return Usage("only one file at a time");
        }
    }
    if (o.path.empty()) return Usage("no file given");
    return kExitOk;
}

int Fail(const Options& o, const std::string& what) {
    std::fprintf(stderr, "td_tagwrite: %s: %s\n", td::text::PathToUtf8(o.path).c_str(), what.c_str());
    return kExitFailed;
}

bool ApplyId3v1(td::SongRecord& record, const Options& o, std::string& error) {
    td::Id3v1Tag block;
    std::memset(&block, 0, sizeof block);
    if (const td::Id3v1Tag* old = record.GetId3v1()) block = *old;
    for (const auto& [field, value] : o.v1) {
        if (field == "title")
            CopyField(block.title, 30, value);
        else if (field == "artist")
            CopyField(block.artist, 30, value);
        else if (field == "album")
            CopyField(block.album, 30, value);
        else if (field == "year")
            CopyField(block.year, 4, value);
        else if (field == "comment")
            CopyField(block.comment, 30, value);
        else if (field == "genre") {
            int index = 0;
            if (!ParseInt(value, 0, 255, index)) {
                index = td::GenreIndex(value.c_str());
                if (index == 0 && !value.empty() && value != "???") {
                    error = "unknown genre name: " + value;
                    return false;
                }
            }
            block.genre = static_cast<uint8_t>(index);
        } else if (field == "track") {
            int track = 0;
            if (!value.empty() && !ParseInt(value, 0, 255, track)) {
                error = "track wants 0 to 255";
                return false;
            }
            block.track = static_cast<uint32_t>(track);
        }
    }
    if (!record.SetId3v1(&block)) {
        error = td::Id3v2ErrorText(td::Id3v2Error::OutOfMemory);
        return false;
    }
    return true;
}

int Run(const std::vector<std::string>& args) {
    Options o;
    if (const int status = Parse(args, o); status != kExitOk) return status;

    td::FileStatus status;
    if (!td::Fs().GetStatus(o.path, status) || (status.attributes & td::kAttrDirectory)) {
        return Fail(o, td::Id3v2ErrorText(td::Id3v2Error::CannotOpen));
    }
    td::SongRecord record(o.path, true);
    if (record.HasUnreadableId3v2()) {
        std::fprintf(stderr, "td_tagwrite: %s: the ID3v2 tag could not be read\n",
                     td::text::PathToUtf8(o.path).c_str());
    }

    if (o.remove) record.RemoveTags(o.remove);

    for (const FrameSetting& s : o.frames) {
        td::Id3v2FieldFrame frame(s.type, s.value);
        record.UpdateFrame(frame);
        if (!s.value.empty()) record.SetTagFlags(record.GetTagFlags() | td::kTagId3v2);
    }
    if (o.hasComment) {
        td::Id3v2FieldFrame frame(td::kCOMM, o.commentText);
        if (!frame.Fields().empty()) frame.Fields()[0] = o.commentDescription;
        const std::string& l = o.commentLanguage;
        frame.SetLanguage((static_cast<uint32_t>(static_cast<uint8_t>(l[0])) << 16) |
                          (static_cast<uint32_t>(static_cast<uint8_t>(l[1])) << 8) |
                          static_cast<uint8_t>(l[2]));
        record.UpdateFrame(frame);
        if (!frame.IsEmpty()) record.SetTagFlags(record.GetTagFlags() | td::kTagId3v2);
    }
    if (o.rating >= 0) {
        td::Id3v2Frame* popm = record.GetFrame(td::kPOPM);
        if (!popm) {
            std::unique_ptr<td::Id3v2Frame> fresh = td::CreateFrame(td::kPOPM);
            popm = fresh.get();
            if (!popm || !record.AddFrame(std::move(fresh), false)) {
                return Fail(o, td::Id3v2ErrorText(td::Id3v2Error::OutOfMemory));
            }
        }
        td::SetPopmRating(popm, o.rating);
        record.SetRating(o.rating);
        record.SetTagFlags(record.GetTagFlags() | td::kTagId3v2);
    }
    if (!o.v1.empty()) {
        std::string error;
        if (!ApplyId3v1(record, o, error)) return Fail(o, error);
    }

    if (o.copy == "v1-to-v2") {
        if (!record.HasId3v1()) return Fail(o, "no ID3v1 tag to copy");
        if (!record.CopyId3v1ToId3v2()) {
            // The copy reports only success; saving again names the reason.
            const td::Id3v2Error code = record.SaveTags();
            return Fail(
                o, td::Id3v2ErrorText(code == td::Id3v2Error::NoError ? td::Id3v2Error::WriteFailed : code));
        }
        return kExitOk;
    }
    if (o.copy == "v2-to-v1") {
        if (!record.HasId3v2()) return Fail(o, "no ID3v2 tag to copy");
        if (!record.CopyId3v2ToId3v1()) {
            const td::Id3v2Error code = record.SaveTags();
            return Fail(
                o, td::Id3v2ErrorText(code == td::Id3v2Error::NoError ? td::Id3v2Error::WriteFailed : code));
        }
        return kExitOk;
    }
    const td::Id3v2Error code = record.SaveTags();
    if (code != td::Id3v2Error::NoError) return Fail(o, td::Id3v2ErrorText(code));
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
#ifdef _WIN32
    // The narrow argv of Windows is in the ANSI code page and has already lost
    // what it cannot hold; take the wide command line: the path in the native
    // narrow form, everything else as UTF-8 like on POSIX.
    int wargc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    if (wargv) {
        bool pathSeen = false;
        for (int i = 1; i < wargc; ++i) {
            std::u16string w(reinterpret_cast<const char16_t*>(wargv[i]));
            std::string utf8 = td::text::Utf16ToUtf8(w);
            const bool isOption = !utf8.empty() && utf8[0] == '-';
            const bool isValue = i > 1 && !args.empty() && args.back().size() > 2 && args.back()[0] == '-' &&
                                 args.back()[1] == '-' && args.back() != "--help";
            if (!isOption && !isValue && !pathSeen) {
                std::string narrow;
                td::text::Utf16ToAnsi(w, narrow);
                args.push_back(narrow);
                pathSeen = true;
            } else {
                args.push_back(utf8);
            }
        }
        LocalFree(wargv);
    }
#else
    args.assign(argv + 1, argv + argc);
#endif
    (void)argc;
    (void)argv;
    return Run(args);
}
