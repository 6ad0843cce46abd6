// ID3v1 / ID3v1.1 trailer and the genre list.
#pragma once

#include <cstdint>
#include <string>

#include "tags/id3v2/id3v2_error.h"

namespace td {

class File;

// The fixed 136-byte block kept in memory and stored raw in playlist files.
struct Id3v1Tag {
    char title[31];
    char artist[31];
    char album[31];
    char year[5];
    char comment[31];
    uint8_t genre;  // internal genre index (file genre number + 1)
    uint8_t zero[2];
    uint32_t track;  // little-endian on every supported target; 0 means none
};
static_assert(sizeof(Id3v1Tag) == 136, "Id3v1Tag is stored raw");

// Working buffer: the 128 trailer bytes and the track.
struct Id3v1Raw {
    uint8_t bytes[128];
    uint32_t track;
};
static_assert(sizeof(Id3v1Raw) == 132, "Id3v1Raw is 132 bytes");

constexpr int kGenreCount = 146;  // internal indexes 0 ("???") to 145

// What reading a trailer found; `raw` is all zero unless a tag was read.
enum class Id3v1Read {
    Found,       // a tag was read into `raw`
    Absent,      // no tag, or the file cannot be opened
    Unreadable,  // the file's end could not be read: a tag may be there
};

Id3v1Read ReadId3v1File(const std::string& path, Id3v1Raw& raw);
// The same on an open file of length `fileLength`.
Id3v1Read ReadId3v1(File& file, uint64_t fileLength, Id3v1Raw& raw);
// WriteFailed when the file cannot be opened for update or the write fails.
Id3v2Error WriteId3v1File(const std::string& path, Id3v1Raw& raw);
// NoError also without a tag; WriteFailed when the file cannot be opened or cut.
Id3v2Error RemoveId3v1File(const std::string& path);

void TrimField(char* text, int maxLen);
void RawToBlock(const Id3v1Raw& raw, Id3v1Tag& block);
void BlockToRaw(const Id3v1Tag& block, Id3v1Raw& raw);

const char* GenreName(int index);
int GenreIndex(const char* name);
// The genre an ID3v2 genre text names, for reading it (display, filters,
// statistics, copying to ID3v1); the stored text itself is never changed.
// "(17)" and "(17)Rock" (ID3v2.3 references, the first one counts) and a
// bare "17" (ID3v2.4) give the name of genre number 17, "Rock"; "(RX)" and
// "(CR)" give "Remix" and "Cover"; "((text" is the escaped "(text". Any
// other text, and a reference to a number outside the list, stays as it is.
std::string ResolveGenreText(const std::string& text);
// The list of names, index 0 to 145, followed by a null entry.
extern const char* const kGenreNames[kGenreCount + 1];

}  // namespace td
