#include "playlist/kq3.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"

namespace td {

namespace {

constexpr char kMagicPrefix[] = "KQ3DATA";
constexpr size_t kMagicPrefixSize = 7;
constexpr size_t kSongRecordSize = sizeof(SongFileRecord);
constexpr size_t kId3v1BlockSize = sizeof(Id3v1Tag);
constexpr size_t kFrameHeaderSize = 8;

// Reads from a buffer that is never overrun: every take states its size and
// fails when fewer bytes remain.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), left_(size) {}

    size_t Left() const { return left_; }

    const uint8_t* Take(size_t count) {
        if (count > left_) return nullptr;
        const uint8_t* at = data_;
        data_ += count;
        left_ -= count;
        return at;
    }

    bool U32(uint32_t& value) {
        const uint8_t* p = Take(4);
        if (!p) return false;
        value = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        return true;
    }

private:
    const uint8_t* data_;
    size_t left_;
};

void PutU32(uint32_t value, std::string& out) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
    out.append(bytes, 4);
}

// The 96-byte record in its file order. The fields are 32-bit little-endian,
// which is also the layout of SongFileRecord on every target we build for.
void DecodeSongFileRecord(const uint8_t* p, SongFileRecord& r) { std::memcpy(&r, p, kSongRecordSize); }

// The block's texts are read elsewhere as terminated strings; a file can hold
// any bytes, so each field is cut at its last byte.
void TerminateId3v1Fields(Id3v1Tag& block) {
    block.title[sizeof(block.title) - 1] = '\0';
    block.artist[sizeof(block.artist) - 1] = '\0';
    block.album[sizeof(block.album) - 1] = '\0';
    block.year[sizeof(block.year) - 1] = '\0';
    block.comment[sizeof(block.comment) - 1] = '\0';
}

// The smallest song block of a version: the record and the per-version words.
size_t MinimumSongBlock(int version) {
    size_t size = kSongRecordSize;
    if (version >= 3) size += 5;
    if (version >= 2) size += 4;
    return size;
}

Kq3Parse ParseSongs(ByteReader& in, uint32_t songCount, int version, Kq3Contents& out) {
    if (songCount > in.Left() / MinimumSongBlock(version)) return Kq3Parse::Corrupt;
    out.entries.reserve(songCount);
    for (uint32_t i = 0; i < songCount; ++i) {
        const uint8_t* recordBytes = in.Take(kSongRecordSize);
        if (!recordBytes) return Kq3Parse::Corrupt;
        SongFileRecord record;
        DecodeSongFileRecord(recordBytes, record);

        const uint8_t* name = in.Take(record.nameLength);
        if (!name) return Kq3Parse::Corrupt;
        auto entry = std::make_unique<SongRecord>(
            std::string(reinterpret_cast<const char*>(name), record.nameLength), false);
        entry->FromPlaylistRecord(record);

        if (version >= 3) {
            const uint8_t* rating = in.Take(1);
            if (!rating || !in.Take(4)) return Kq3Parse::Corrupt;
            entry->SetRating(*rating);
        }
        if (version >= 2) {
            uint32_t serial = 0;
            if (!in.U32(serial)) return Kq3Parse::Corrupt;
            entry->SetVolumeSerial(serial);
        }
        if (record.tagFlags & kTagId3v1) {
            const uint8_t* blockBytes = in.Take(kId3v1BlockSize);
            if (!blockBytes) return Kq3Parse::Corrupt;
            Id3v1Tag block;
            std::memcpy(&block, blockBytes, kId3v1BlockSize);
            TerminateId3v1Fields(block);
            if (!entry->SetId3v1(&block)) return Kq3Parse::Corrupt;
        }
        // Each frame record takes at least its 8-byte head.
        if (record.fieldFrameCount > in.Left() / kFrameHeaderSize) return Kq3Parse::Corrupt;
        for (uint32_t f = 0; f < record.fieldFrameCount; ++f) {
            uint32_t type = 0;
            uint32_t length = 0;
            if (!in.U32(type) || !in.U32(length)) return Kq3Parse::Corrupt;
            const uint8_t* text = in.Take(length);
            if (!text) return Kq3Parse::Corrupt;
            if (type >= static_cast<uint32_t>(kFrameTypeCount) || !isKq3FrameType(static_cast<int>(type))) {
                return Kq3Parse::Corrupt;
            }
            entry->AddFrame(
                std::make_unique<Id3v2FieldFrame>(static_cast<int>(type),
                                                  std::string(reinterpret_cast<const char*>(text), length)),
                false);
        }
        out.entries.push_back(std::move(entry));
    }
    return Kq3Parse::Ok;
}

constexpr int kTextErrorFile = 128;
constexpr int kTextBadFormat = 129;

void ShowError(Prompter& prompter, const std::string& text) {
    prompter.Message(text, LangTable::getString(kLangError), PromptButtons::Ok, PromptIcon::Error);
}

// The save itself, without messages.
Kq3Save WriteKq3(const Playlist& playlist, const std::string& path) {
    FileSystem& fs = Fs();
    // A read-only file is the user's way of keeping it: on POSIX the replace
    // below would go through regardless.
    uint32_t attributes = 0;
    if (fs.GetAttributes(path, attributes) && (attributes & kAttrReadOnly)) {
        return Kq3Save::ReadOnly;
    }
    std::string temp;
    std::unique_ptr<File> file = fs.CreateTemporary(path, temp);
    if (!file) return Kq3Save::NotOpened;
    // Encoded and written in blocks: a list of 100,000 songs is some 50 MB,
    // which need not be held in memory at once.
    constexpr size_t kBlock = 1u << 20;
    bool ok = true;
    try {
        std::string block;
        block.reserve(kBlock + 64 * 1024);
        auto flushBlock = [&]() {
            ok = ok && file->Write(block.data(), block.size()) == block.size();
            block.clear();
        };
        appendKq3Header(static_cast<uint32_t>(playlist.count()),
                        static_cast<uint32_t>(playlist.volumeCount()), block);
        for (int v = 0; v < playlist.volumeCount() && ok; ++v) {
            appendKq3Volume(playlist.volumeAt(v), block);
            if (block.size() >= kBlock) flushBlock();
        }
        for (int i = 0; i < playlist.count() && ok; ++i) {
            appendKq3Song(*playlist.entryAt(i), block);
            if (block.size() >= kBlock) flushBlock();
        }
        if (!block.empty()) flushBlock();
    } catch (const std::exception&) {
        ok = false;
    }
    ok = ok && file->Flush();
    if (!ok) {
        // Closed first, so that the temporary file can be removed where open
        // files cannot.
        file->Close();
        fs.Remove(temp);
    } else {
        ok = fs.Commit(*file, temp, path, nullptr);
    }
    return ok ? Kq3Save::Saved : Kq3Save::WriteFailed;
}

}  // namespace

bool isKq3FrameType(int type) {
    if (type < 0 || type >= kFrameTypeCount) return false;
    const Id3v2FrameType& row = Id3v2FrameTable[type];
    return row.kind == 1 && row.kept;
}

Kq3Parse parseKq3(const uint8_t* data, size_t size, Kq3Contents& out) {
    out = Kq3Contents();
    if (size < kKq3HeaderSize) return Kq3Parse::ShortHeader;
    if (std::memcmp(data, kMagicPrefix, kMagicPrefixSize) != 0) return Kq3Parse::BadMagic;
    switch (data[7]) {
    case '1': out.version = 1; break;
    case '2': out.version = 2; break;
    case '3': out.version = 3; break;
    default: out.version = 0; break;
    }
    ByteReader in(data + kKq3HeaderSize, size - kKq3HeaderSize);
    uint32_t songCount = 0;
    {
        ByteReader header(data + 8, 4);
        header.U32(songCount);
    }

    Kq3Parse result = Kq3Parse::Ok;
    try {
        if (out.version >= 2) {
            // A file that ends right after its header has no volume table: an
            // empty list saved by a version that wrote nothing more.
            uint32_t volumeCount = 0;
            if (in.Left() != 0 && !in.U32(volumeCount)) {
                result = Kq3Parse::Corrupt;
            } else if (volumeCount > in.Left() / kKq3VolumeSize) {
                result = Kq3Parse::Corrupt;
            } else {
                const uint8_t* records = in.Take(volumeCount * kKq3VolumeSize);
                out.volumes.assign(records, records + volumeCount * kKq3VolumeSize);
                out.volumeCount = volumeCount;
            }
        }
        if (result == Kq3Parse::Ok) result = ParseSongs(in, songCount, out.version, out);
    } catch (const std::bad_alloc&) {
        result = Kq3Parse::Corrupt;
    }
    if (result != Kq3Parse::Ok) {
        const int version = out.version;
        out = Kq3Contents();
        out.version = version;
    }
    return result;
}

void appendKq3Header(uint32_t songCount, uint32_t volumeCount, std::string& out) {
    out.append("KQ3DATA3", 8);
    PutU32(songCount, out);
    PutU32(volumeCount, out);
}

void appendKq3Volume(const void* record892, std::string& out) {
    out.append(static_cast<const char*>(record892), kKq3VolumeSize);
}

void appendKq3Song(const SongRecord& entry, std::string& out) {
    SongFileRecord record;
    entry.ToPlaylistRecord(record);
    // Only frames the reader accepts are stored, and the count says exactly
    // how many follow: a frame of another type would make the whole file
    // unreadable.
    uint32_t frames = 0;
    for (const auto& frame : entry.Frames()) {
        if (isKq3FrameType(frame->Type())) ++frames;
    }
    record.fieldFrameCount = frames;
    // The block follows exactly when bit 0 says so.
    const Id3v1Tag* block = entry.GetId3v1();
    if (block) {
        record.tagFlags |= kTagId3v1;
    } else {
        record.tagFlags &= ~kTagId3v1;
    }
    const std::string& name = entry.GetFileName();
    record.nameLength = static_cast<uint32_t>(name.size());

    const size_t start = out.size();
    out.resize(start + kSongRecordSize);
    std::memcpy(&out[start], &record, kSongRecordSize);
    out.append(name);
    out.push_back(static_cast<char>(entry.GetRating()));
    PutU32(0, out);
    PutU32(entry.GetVolumeSerial(), out);
    if (block) out.append(reinterpret_cast<const char*>(block), kId3v1BlockSize);
    for (const auto& frame : entry.Frames()) {
        if (!isKq3FrameType(frame->Type())) continue;
        const std::string text = MainText(frame.get());
        PutU32(static_cast<uint32_t>(frame->Type()), out);
        PutU32(static_cast<uint32_t>(text.size()), out);
        out.append(text);
    }
}

WholeFileRead readWholePlaylistFile(const std::string& path, std::string& out) {
    out.clear();
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
    if (!file) return WholeFileRead::NotOpened;
    uint64_t size = 0;
    if (!file->GetSize(size)) return WholeFileRead::Failed;
    // Half the address space at most: a 32-bit process could never hold more.
    if (size > std::numeric_limits<size_t>::max() / 2) return WholeFileRead::Failed;
    try {
        out.resize(static_cast<size_t>(size));
    } catch (const std::exception&) {
        out.clear();
        return WholeFileRead::Failed;
    }
    size_t done = 0;
    while (done < out.size()) {
        const size_t got = file->Read(&out[done], out.size() - done);
        if (got == 0) break;
        done += got;
    }
    file->Close();
    if (done != out.size()) {
        out.clear();
        return WholeFileRead::Failed;
    }
    return WholeFileRead::Ok;
}

Kq3Load loadKq3(const std::string& path, bool replace, Playlist& playlist, PlaylistView& view,
                Prompter& prompter) {
    std::string bytes;
    switch (readWholePlaylistFile(path, bytes)) {
    case WholeFileRead::Ok: break;
    case WholeFileRead::NotOpened: return Kq3Load::NotOpened;
    case WholeFileRead::Failed:
        // What was read is unreliable; the list is not touched.
        ShowError(prompter, kq3LoadMessage(Kq3Load::ReadFailed));
        return Kq3Load::ReadFailed;
    }
    Kq3Contents contents;
    const Kq3Parse parsed = parseKq3(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), contents);
    bytes = std::string();
    const Kq3Load failed = parsed == Kq3Parse::ShortHeader ? Kq3Load::ShortHeader
                           : parsed == Kq3Parse::BadMagic  ? Kq3Load::BadMagic
                           : parsed == Kq3Parse::Corrupt   ? Kq3Load::Corrupt
                                                           : Kq3Load::Loaded;
    if (failed != Kq3Load::Loaded) {
        // Nothing of a damaged file is taken, and nothing already in the
        // list is given up for it.
        ShowError(prompter, kq3LoadMessage(failed));
        return failed;
    }

    if (replace) {
        view.clearRows();
        playlist.clear();
    }
    for (size_t v = 0; v < contents.volumeCount; ++v) {
        playlist.appendVolume(&contents.volumes[v * kKq3VolumeSize]);
    }
    int row = 0;
    for (std::unique_ptr<SongRecord>& entry : contents.entries) {
        SongRecord* record = entry.get();
        playlist.append(std::move(entry));
        if (replace) {
            view.appendRow(record);
        } else {
            view.insertRow(row, record);
        }
        ++row;
    }
    return Kq3Load::Loaded;
}

std::string encodeKq3(const Playlist& playlist) {
    std::string out;
    size_t estimate = kKq3HeaderSize + 4 + static_cast<size_t>(playlist.volumeCount()) * kKq3VolumeSize;
    for (int i = 0; i < playlist.count(); ++i) {
        const SongRecord* entry = playlist.entryAt(i);
        estimate += kSongRecordSize + entry->GetFileName().size() + 9 + kId3v1BlockSize +
                    static_cast<size_t>(entry->FrameCount()) * 32;
    }
    out.reserve(estimate);
    appendKq3Header(static_cast<uint32_t>(playlist.count()), static_cast<uint32_t>(playlist.volumeCount()),
                    out);
    for (int v = 0; v < playlist.volumeCount(); ++v) appendKq3Volume(playlist.volumeAt(v), out);
    for (int i = 0; i < playlist.count(); ++i) appendKq3Song(*playlist.entryAt(i), out);
    return out;
}

std::string kq3LoadMessage(Kq3Load result) {
    switch (result) {
    case Kq3Load::Loaded: return std::string();
    case Kq3Load::BadMagic: return LangTable::getString(kTextBadFormat);
    case Kq3Load::Corrupt: return LangTable::getString(kLangCorruptFile);
    default: return LangTable::getString(kTextErrorFile);
    }
}

std::string kq3SaveMessage(Kq3Save result) {
    return result == Kq3Save::Saved ? std::string() : LangTable::getString(kTextErrorFile);
}

Kq3Save saveKq3(const Playlist& playlist, const std::string& path, Prompter* prompter) {
    const Kq3Save result = WriteKq3(playlist, path);
    const bool told = result == Kq3Save::ReadOnly || result == Kq3Save::WriteFailed;
    if (told && prompter) ShowError(*prompter, kq3SaveMessage(result));
    return result;
}

std::string withKq3Extension(const std::string& name) {
    constexpr size_t kExtLength = 4;
    if (name.size() > kExtLength) {
        std::string tail = name.substr(name.size() - kExtLength);
        for (char& c : tail) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        if (tail == ".kq3") return name;
    }
    return name + ".kq3";
}

}  // namespace td
