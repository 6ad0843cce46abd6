#include "tags/id3v1/id3v1.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace td {

// clang-format off
const char* const kGenreNames[kGenreCount + 1] = {
    "???", "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop",
    "Jazz", "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
    "Cabaret", "New Wave", "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
    "Folk/Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic",
    "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "Acapella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", nullptr,
};
// clang-format on

namespace {

constexpr size_t kTrailerSize = 128;

struct FieldPos {
    size_t offset;
    int width;
};
// Title, artist, album, year, comment in the trailer.
constexpr FieldPos kFields[5] = {{3, 30}, {33, 30}, {63, 30}, {93, 4}, {97, 30}};
constexpr size_t kGenreByte = 127;
constexpr size_t kCommentZeroByte = 125;
constexpr size_t kTrackByte = 126;

bool IsAsciiSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void TrimTrailerFields(Id3v1Raw& raw) {
    for (const FieldPos& field : kFields)
        TrimField(reinterpret_cast<char*>(raw.bytes + field.offset), field.width);
}

// Where a tag starts in the open file: the old tag's position when the file
// ends in one, else the end of the file. False when the file cannot be examined.
bool FindTagPosition(File& file, uint64_t& length, uint64_t& position, bool& hasTag) {
    if (!file.GetSize(length)) return false;
    hasTag = false;
    position = length;
    if (length >= kTrailerSize) {
        char magic[3];
        if (!file.Seek(length - kTrailerSize) || ReadFully(file, magic, 3) != 3) return false;
        if (std::memcmp(magic, "TAG", 3) == 0) {
            hasTag = true;
            position = length - kTrailerSize;
        }
    }
    return true;
}

// Copies a text of at most `width` characters, stopping at a zero byte and
// zero-filling the rest, so that no bytes beyond a text's end travel along.
void CopyText(char* to, const char* from, size_t width) {
    size_t n = 0;
    while (n < width && from[n] != '\0') ++n;
    std::memcpy(to, from, n);
    std::memset(to + n, 0, width - n);
}

}  // namespace

void TrimField(char* text, int maxLen) {
    if (text == nullptr) return;
    // Bounded length: a trailer field that fills its width is not terminated.
    size_t n = 0;
    if (maxLen < 0) {
        n = std::strlen(text);
    } else {
        while (n < static_cast<size_t>(maxLen) && text[n] != '\0') ++n;
    }
    size_t lead = 0;
    while (lead < n && IsAsciiSpace(static_cast<unsigned char>(text[lead]))) ++lead;
    if (lead == n) {
        std::memset(text, 0, n);
        return;
    }
    if (lead > 0) {
        std::memmove(text, text + lead, n - lead);
        std::memset(text + n - lead, 0, lead);
        n -= lead;
    }
    while (n > 0 && IsAsciiSpace(static_cast<unsigned char>(text[n - 1]))) text[--n] = '\0';
}

Id3v1Read ReadId3v1(File& file, uint64_t fileLength, Id3v1Raw& raw) {
    std::memset(&raw, 0, sizeof raw);
    if (fileLength < kTrailerSize) return Id3v1Read::Absent;
    // A trailer that cannot be read is not the same as no trailer: a caller
    // that took it for absent would cut a real tag off on its next save.
    if (!file.Seek(fileLength - kTrailerSize) || ReadFully(file, raw.bytes, kTrailerSize) != kTrailerSize) {
        std::memset(&raw, 0, sizeof raw);
        return Id3v1Read::Unreadable;
    }
    if (std::memcmp(raw.bytes, "TAG", 3) != 0) {
        std::memset(&raw, 0, sizeof raw);
        return Id3v1Read::Absent;
    }
    TrimTrailerFields(raw);
    raw.bytes[kGenreByte] = static_cast<uint8_t>(raw.bytes[kGenreByte] + 1);
    // ID3v1.1: a zero before the last comment byte makes that byte the track.
    raw.track = raw.bytes[kCommentZeroByte] != 0 ? 0 : raw.bytes[kTrackByte];
    return Id3v1Read::Found;
}

Id3v1Read ReadId3v1File(const std::string& path, Id3v1Raw& raw) {
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
    if (!file) {
        std::memset(&raw, 0, sizeof raw);
        return Id3v1Read::Absent;
    }
    uint64_t length = 0;
    Id3v1Read result = Id3v1Read::Absent;
    if (file->GetSize(length))
        result = ReadId3v1(*file, length, raw);
    else
        std::memset(&raw, 0, sizeof raw);
    file->Close();
    return result;
}

Id3v2Error WriteId3v1File(const std::string& path, Id3v1Raw& raw) {
    std::memcpy(raw.bytes, "TAG", 3);
    TrimTrailerFields(raw);
    raw.bytes[kGenreByte] = static_cast<uint8_t>(raw.bytes[kGenreByte] - 1);
    if (raw.track != 0) {
        raw.bytes[kCommentZeroByte] = 0;
        raw.bytes[kTrackByte] = static_cast<uint8_t>(raw.track & 0xFF);
    }

    std::unique_ptr<File> file = Fs().Open(path, OpenMode::ReadWrite);
    if (!file) return Id3v2Error::WriteFailed;
    uint64_t length = 0;
    uint64_t position = 0;
    bool hasTag = false;
    uint8_t old[kTrailerSize];
    if (!FindTagPosition(*file, length, position, hasTag) ||
        (hasTag && (!file->Seek(position) || ReadFully(*file, old, kTrailerSize) != kTrailerSize)) ||
        !file->Seek(position)) {
        file->Close();
        return Id3v2Error::WriteFailed;
    }
    bool written = file->Write(raw.bytes, kTrailerSize) == kTrailerSize && file->Flush();
    if (!written) {
        // Leave the file as it was: cut off a partly appended tag, or put the
        // old one back. Best effort; the failure is reported either way.
        if (hasTag) {
            if (file->Seek(position)) file->Write(old, kTrailerSize);
        } else {
            file->Truncate(length);
        }
        file->Flush();
        file->Close();
        return Id3v2Error::WriteFailed;
    }
    return file->Close() ? Id3v2Error::NoError : Id3v2Error::WriteFailed;
}

Id3v2Error RemoveId3v1File(const std::string& path) {
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::ReadWrite);
    if (!file) return Id3v2Error::WriteFailed;
    uint64_t length = 0;
    uint64_t position = 0;
    bool hasTag = false;
    if (!FindTagPosition(*file, length, position, hasTag)) {
        file->Close();
        return Id3v2Error::WriteFailed;
    }
    if (hasTag && (!file->Truncate(position) || !file->Flush())) {
        file->Close();
        return Id3v2Error::WriteFailed;
    }
    return file->Close() ? Id3v2Error::NoError : Id3v2Error::WriteFailed;
}

void RawToBlock(const Id3v1Raw& raw, Id3v1Tag& block) {
    std::memset(&block, 0, sizeof block);
    const char* bytes = reinterpret_cast<const char*>(raw.bytes);
    CopyText(block.title, bytes + kFields[0].offset, 30);
    CopyText(block.artist, bytes + kFields[1].offset, 30);
    CopyText(block.album, bytes + kFields[2].offset, 30);
    CopyText(block.year, bytes + kFields[3].offset, 4);
    CopyText(block.comment, bytes + kFields[4].offset, 30);
    block.genre = raw.bytes[kGenreByte];
    block.track = raw.track;
}

void BlockToRaw(const Id3v1Tag& block, Id3v1Raw& raw) {
    std::memset(&raw, 0, sizeof raw);
    char* bytes = reinterpret_cast<char*>(raw.bytes);
    CopyText(bytes + kFields[0].offset, block.title, 30);
    CopyText(bytes + kFields[1].offset, block.artist, 30);
    CopyText(bytes + kFields[2].offset, block.album, 30);
    CopyText(bytes + kFields[3].offset, block.year, 4);
    CopyText(bytes + kFields[4].offset, block.comment, 30);
    raw.bytes[kGenreByte] = block.genre;
    raw.track = block.track;
}

const char* GenreName(int index) {
    if (index < 0 || index >= kGenreCount) return kGenreNames[0];
    return kGenreNames[index];
}

int GenreIndex(const char* name) {
    if (name == nullptr) return 0;
    for (int i = 0; i < kGenreCount; ++i) {
        if (text::EqualNoCase(kGenreNames[i], name)) return i;
    }
    return 0;
}

namespace {

// The name of file genre number `digits` ("17"), or null when it names none.
const char* NumberedGenre(std::string_view digits) {
    if (digits.empty() || digits.size() > 3) return nullptr;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return nullptr;
        number = number * 10 + (c - '0');
    }
    // Internal index = file genre number + 1; index 0 is "no genre".
    return number + 1 < kGenreCount ? kGenreNames[number + 1] : nullptr;
}

}  // namespace

std::string ResolveGenreText(const std::string& text) {
    if (text.empty()) return text;
    if (text[0] != '(') {
        const char* name = NumberedGenre(text);
        return name ? std::string(name) : text;
    }
    if (text.compare(0, 2, "((") == 0) return text.substr(1);
    const size_t close = text.find(')');
    if (close == std::string::npos) return text;
    const std::string_view reference = std::string_view(text).substr(1, close - 1);
    if (reference == "RX") return "Remix";
    if (reference == "CR") return "Cover";
    const char* name = NumberedGenre(reference);
    return name ? std::string(name) : text;
}

}  // namespace td
