// The .kq3 playlist file: a binary snapshot of the whole Playlist that keeps
// everything the list shows, so that loading never opens an audio file.
//
// Layout (integers 32-bit little-endian): the 8-byte magic "KQ3DATA1" to
// "KQ3DATA3" ("KQ3DATA" + any other byte is version 0), the song count,
// from version 2 the volume count and the 892-byte volume records, then one
// block per song: the 96-byte SongFileRecord, the name, from version 3 a
// rating byte and a reserved word, from version 2 the volume serial, the
// 136-byte ID3v1 block when tag flag bit 0 is set, and the field frames as
// (type index, text length, text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tags/song_record.h"

namespace td {

class Playlist;
class PlaylistView;
class Prompter;

constexpr size_t kKq3HeaderSize = 12;
constexpr size_t kKq3VolumeSize = 892;
constexpr int kKq3WrittenVersion = 3;

// A file decoded into memory but not yet placed in a Playlist.
struct Kq3Contents {
    int version = 0;
    // `volumeCount` records of kKq3VolumeSize bytes, back to back.
    std::vector<uint8_t> volumes;
    size_t volumeCount = 0;
    std::vector<std::unique_ptr<SongRecord>> entries;
};

enum class Kq3Parse {
    Ok,
    ShortHeader,  // fewer than 12 bytes: "Error file"
    BadMagic,     // "Bad file format"
    Corrupt,      // "Corrupt file"
};

// Decodes a whole file held in memory. Every count and length is checked
// against the bytes that remain before anything is allocated, so a truncated
// or hostile file ends in Corrupt, never in a read past the data or a huge
// allocation. On any result but Ok, `out` is left empty.
Kq3Parse parseKq3(const uint8_t* data, size_t size, Kq3Contents& out);

// True when the frame type can be stored in and read back from a .kq3 file:
// a field frame type that the tag reader keeps.
bool isKq3FrameType(int type);

// Appends the version 3 header, one volume record and one song block.
void appendKq3Header(uint32_t songCount, uint32_t volumeCount, std::string& out);
void appendKq3Volume(const void* record892, std::string& out);
void appendKq3Song(const SongRecord& entry, std::string& out);

// Outcome of loadKq3; every outcome but Loaded and NotOpened has shown its
// message. Whatever went wrong, the list stays as it was.
enum class Kq3Load {
    Loaded,
    NotOpened,    // silent (the automatic load of a missing start file)
    ReadFailed,   // "Error file: Tunedeck"
    ShortHeader,  // "Error file: Tunedeck"
    BadMagic,     // "Bad file format: Tunedeck"
    Corrupt,      // "Corrupt file: Tunedeck"
};

// Loads a playlist file. With `replace` (Open, the automatic load) the view
// and the Playlist are emptied first and the rows appended in file order;
// without it (Insert) the entries are appended to the Playlist and their rows
// inserted at the top of the view. The whole file is decoded before anything
// changes, so a damaged file, on Open as on Insert, leaves the list as it
// was. Messages go through `prompter` with the caption "Error" and the stop
// icon.
Kq3Load loadKq3(const std::string& path, bool replace, Playlist& playlist, PlaylistView& view,
                Prompter& prompter);
// Why a load failed, as the user is told (LangTable texts); "" for Loaded.
// NotOpened gives "Error file: Tunedeck" too, for the commands where the
// user chose the file.
std::string kq3LoadMessage(Kq3Load result);

enum class Kq3Save {
    Saved,
    NotOpened,    // the file could not be created: silent (the caller tells)
    ReadOnly,     // `path` is a read-only file: it was not touched
    WriteFailed,  // writing failed (a full disk): the old file is as it was
};

// Writes every Playlist entry in insertion order as a version 3 file. The
// bytes go to a temporary file beside `path` that then replaces it in one
// step, so a failed save leaves the old file as it was; a read-only file is
// never replaced (on POSIX the replace alone would not stop at it). When a
// prompter is given, ReadOnly and WriteFailed are shown there
// (kq3SaveMessage, caption "Error", stop icon).
Kq3Save saveKq3(const Playlist& playlist, const std::string& path, Prompter* prompter);
// Why a save failed, as the user is told: "Error file: Tunedeck"; "" for
// Saved.
std::string kq3SaveMessage(Kq3Save result);
// The file image saveKq3 writes.
std::string encodeKq3(const Playlist& playlist);

// Reads a whole playlist file through the file seam, in one read. NotOpened
// when it cannot be opened; Failed when reading fails or it does not fit in
// memory.
enum class WholeFileRead { Ok, NotOpened, Failed };
WholeFileRead readWholePlaylistFile(const std::string& path, std::string& out);

// The name Save As writes: kept when it ends in ".kq3" in any case and is
// longer than that, else with ".kq3" appended.
std::string withKq3Extension(const std::string& name);

}  // namespace td
