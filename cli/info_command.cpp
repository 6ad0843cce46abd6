// `tunedeck info`: one SongRecord per file, shown as text or as JSON lines.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/id3v2/id3v2_stream.h"
#include "tags/id3v2/id3v2_tag.h"
#include "tags/mpeg/mpeg_info.h"
#include "tags/song_record.h"

namespace td::cli {

const char kInfoHelp[] =
    "Usage: tunedeck info [--json] FILE...\n"
    "\n"
    "Reads each FILE as the playlist does (ID3v2 tag, ID3v1 trailer, first MPEG\n"
    "frame header) and prints what was found.\n"
    "\n"
    "  --json   one JSON object per file and line, texts in UTF-8\n"
    "\n"
    "A damaged ID3v2 tag (unreadable, or claiming more bytes than the file\n"
    "holds) is named on a \"Damaged\" line, and in JSON as \"damaged\" (null for\n"
    "a sound tag).\n"
    "\n"
    "Exit status: 0 when every file was read, 1 when one could not be opened or\n"
    "held a damaged ID3v2 tag (the reason goes to standard error).\n";

namespace {

// Tag text is kept in the ANSI code page; the output is UTF-8.
std::string Utf8(const std::string& ansi) { return text::AnsiToUtf8(ansi); }
std::string Utf8(const char* ansi) { return text::AnsiToUtf8(ansi); }

void WriteMpegJson(JsonWriter& json, const MpegInfo& m) {
    json.BeginObject();
    const struct {
        const char* name;
        int32_t value;
    } fields[] = {
        {"fileSize", m.fileSize},     {"channels", m.channels}, {"lsf", m.lsf},
        {"mpeg25", m.mpeg25},         {"layer", m.layer},       {"crcProtected", m.crcProtected},
        {"frequency", m.frequency},   {"bitrate", m.bitrate},   {"vbr", m.vbr},
        {"frames", m.frames},         {"seconds", m.seconds},   {"padding", m.padding},
        {"privateBit", m.privateBit}, {"mode", m.mode},         {"modeExtension", m.modeExtension},
        {"copyright", m.copyright},   {"original", m.original}, {"emphasis", m.emphasis},
        {"frameSize", m.frameSize},
    };
    for (const auto& f : fields) {
        json.Key(f.name);
        json.Int(f.value);
    }
    json.EndObject();
}

void WriteId3v1Json(JsonWriter& json, const Id3v1Tag* tag) {
    if (!tag) {
        json.Null();
        return;
    }
    json.BeginObject();
    json.Key("title");
    json.String(Utf8(tag->title));
    json.Key("artist");
    json.String(Utf8(tag->artist));
    json.Key("album");
    json.String(Utf8(tag->album));
    json.Key("year");
    json.String(Utf8(tag->year));
    json.Key("comment");
    json.String(Utf8(tag->comment));
    json.Key("genre");
    json.Int(tag->genre);
    json.Key("genreName");
    json.String(Utf8(GenreName(tag->genre)));
    json.Key("track");
    json.UInt(tag->track);
    json.EndObject();
}

bool HasLanguage(int type) { return type >= 0 && type < kFrameTypeCount && Id3v2FrameTable[type].language; }

void WriteFramesJson(JsonWriter& json, const SongRecord& record) {
    json.BeginArray();
    for (const auto& frame : record.Frames()) {
        json.BeginObject();
        json.Key("id");
        json.String(frame->Id());
        if (const auto* field = dynamic_cast<const Id3v2FieldFrame*>(frame.get())) {
            if (HasLanguage(field->Type())) {
                json.Key("lang");
                json.String(Utf8(field->LanguageText()));
            }
            json.Key("fields");
            json.BeginArray();
            for (const std::string& f : field->Fields()) json.String(Utf8(f));
            json.EndArray();
        } else {
            json.Key("size");
            json.Int(frame->GetSize());
        }
        json.EndObject();
    }
    for (const CarriedFrame& carried : record.CarriedFrames()) {
        json.BeginObject();
        json.Key("id");
        json.String(Utf8(carried.id));
        json.Key("size");
        json.UInt(carried.Size());
        json.Key("kept");
        json.Bool(false);
        json.EndObject();
    }
    json.EndArray();
}

std::string RecordJson(const SongRecord& record, const std::string& damage) {
    JsonWriter json;
    json.BeginObject();
    json.Key("path");
    json.String(text::PathToUtf8(record.GetFileName()));
    // The reason an ID3v2 tag is damaged, or null.
    json.Key("damaged");
    if (damage.empty()) {
        json.Null();
    } else {
        json.String(damage);
    }
    json.Key("tagFlags");
    json.UInt(record.GetTagFlags());
    json.Key("tagKind");
    json.String(record.TagKindText());
    json.Key("audioSize");
    json.UInt(record.GetAudioSize());
    json.Key("sizeDelta");
    json.Int(record.GetSizeDelta());
    json.Key("rating");
    json.Int(record.GetRating());
    json.Key("mpeg");
    WriteMpegJson(json, record.GetMpegInfo());
    json.Key("id3v1");
    WriteId3v1Json(json, record.GetId3v1());
    json.Key("id3v2");
    WriteFramesJson(json, record);
    json.EndObject();
    return json.Text() + "\n";
}

std::string Format(const char* format, long long a, long long b) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

std::string FrameText(const Id3v2Frame& frame) {
    const auto* field = dynamic_cast<const Id3v2FieldFrame*>(&frame);
    if (!field) return "<" + std::to_string(frame.GetSize()) + " bytes>";
    const std::vector<std::string>& fields = field->Fields();
    std::string text;
    if (HasLanguage(field->Type())) text += "[" + Utf8(field->LanguageText()) + "] ";
    const int main = MainFieldIndex(field->Type());
    if (main == 1) {
        // Description first, as a label, then the main text.
        if (!fields.empty() && !fields[0].empty()) text += "(" + Utf8(fields[0]) + ") ";
        if (fields.size() > 1) text += Utf8(fields[1]);
        for (size_t i = 2; i < fields.size(); ++i) text += " / " + Utf8(fields[i]);
    } else {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i) text += " / ";
            text += Utf8(fields[i]);
        }
    }
    return text;
}

// Control characters would garble the terminal; show them as '?' in text
// output (JSON escapes them instead).
std::string Printable(std::string s) {
    for (char& c : s) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = '?';
    }
    return s;
}

std::string RecordText(const SongRecord& record, const std::string& damage) {
    const MpegInfo& m = record.GetMpegInfo();
    std::string out;
    const auto line = [&out](const std::string& label, const std::string& value) {
        out += "  " + label + ": " + Printable(value) + "\n";
    };
    out += Printable(text::PathToUtf8(record.GetFileName())) + "\n";
    if (!damage.empty()) line("Damaged", damage);
    line("Tags", record.TagKindText());
    if (m.layer != 0) {
        line("Stream", FormatMpegVersion(m) + ", " + FormatBitrate(m) + ", " + std::to_string(m.frequency) +
                           " Hz, " + ChannelModeName(m.mode));
    } else {
        line("Stream", "no MPEG frame header found");
    }
    line("Length", Format("%02lld:%02lld", m.seconds / 60, m.seconds % 60) + " (" + std::to_string(m.frames) +
                       " frames)");
    line("Size",
         std::to_string(m.fileSize) + " bytes, audio " + std::to_string(record.GetAudioSize()) + " bytes");
    if (record.GetRating() != 0) line("Rating", record.RatingText());
    if (const Id3v1Tag* v1 = record.GetId3v1()) {
        out += "  ID3v1:\n";
        const auto field = [&line](const char* label, const std::string& value) {
            line(std::string("  ") + label, value);
        };
        field("Title", Utf8(v1->title));
        field("Artist", Utf8(v1->artist));
        field("Album", Utf8(v1->album));
        field("Year", Utf8(v1->year));
        field("Comment", Utf8(v1->comment));
        field("Genre", Utf8(GenreName(v1->genre)) + " (" + std::to_string(v1->genre) + ")");
        field("Track", std::to_string(v1->track));
    }
    if (record.FrameCount() > 0 || !record.CarriedFrames().empty()) {
        out += record.HasId3v2() ? "  ID3v2:\n" : "  ID3v2 (not in the file):\n";
        for (const auto& frame : record.Frames()) {
            line(std::string("  ") + frame->Id(), FrameText(*frame));
        }
        for (const CarriedFrame& carried : record.CarriedFrames()) {
            line(std::string("  ") + carried.id,
                 "<" + std::to_string(carried.Size()) + " bytes, kept as is>");
        }
    }
    return out;
}

// Why `path` cannot be read at all, or empty when it can be opened.
std::string OpenProblem(const std::string& path) {
    FileStatus status;
    if (!Fs().GetStatus(path, status) || (status.attributes & kAttrDirectory) != 0) {
        return std::string(Id3v2ErrorText(Id3v2Error::CannotOpen)) +
               (status.attributes & kAttrDirectory ? ": a folder" : "");
    }
    ClearFileError();
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
    if (!file) {
        const std::string reason = LastFileError();
        return std::string(Id3v2ErrorText(Id3v2Error::CannotOpen)) + (reason.empty() ? "" : ": " + reason);
    }
    file->Close();
    return std::string();
}

// What is wrong with the ID3v2 tag the record was read from, or empty. A tag
// that claims more bytes than the file holds is read as far as it goes, but
// is damaged all the same: its end, and so the audio's start, is unknown.
std::string TagDamage(const SongRecord& record) {
    const std::string& path = record.GetFileName();
    if (record.HasUnreadableId3v2()) {
        // The record does not keep the reader's code; ask the reader again
        // for the reason, only in this rare case.
        FrameList frames;
        uint32_t tagSize = 0;
        const Id3v2Error code = ReadId3v2Frames(path, frames, tagSize);
        return Id3v2ErrorText(code == Id3v2Error::NoError ? Id3v2Error::TagCorrupt : code);
    }
    if (!record.HasId3v2()) return std::string();
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
    uint64_t length = 0;
    if (!file || !file->GetSize(length)) return std::string();
    Id3v2Header header;
    uint32_t region = 0;
    const Id3v2Error code = LocateId3v2Tag(*file, length, header, region);
    return code == Id3v2Error::TagCorrupt ? Id3v2ErrorText(code) : std::string();
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
    bool asJson = false;
    std::vector<std::string> paths;
    bool optionsDone = false;
    for (const std::string& a : args) {
        if (!optionsDone && a == "--") {
            optionsDone = true;
        } else if (!optionsDone && a == "--json") {
            asJson = true;
        } else if (!optionsDone && a.size() > 1 && a[0] == '-') {
            ReportError("info: unknown option '" + a + "'");
            WriteErr(kInfoHelp);
            return kExitUsage;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.empty()) {
        ReportError("info: no file given");
        WriteErr(kInfoHelp);
        return kExitUsage;
    }

    int status = kExitOk;
    bool first = true;
    for (const std::string& path : paths) {
        const std::string problem = OpenProblem(path);
        if (!problem.empty()) {
            ReportError(text::PathToUtf8(path) + ": " + problem);
            status = kExitFailure;
            continue;
        }
        SongRecord record(path, true);
        const std::string damage = TagDamage(record);
        if (!damage.empty()) {
            ReportError(text::PathToUtf8(path) + ": " + damage);
            status = kExitFailure;
        }
        if (asJson) {
            WriteOut(RecordJson(record, damage));
        } else {
            if (!first) WriteOut("\n");
            WriteOut(RecordText(record, damage));
        }
        first = false;
    }
    return status;
}

}  // namespace td::cli
