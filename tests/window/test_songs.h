// Songs built in memory for the tests of the statistics, the filter and
// search, and the wizards: records as a playlist file gives them, with the
// fields the tests need set directly.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "playlist/playlist.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"

namespace td::test {

inline SongRecord& AddSong(Playlist& playlist, const std::string& path, int seconds = 0, uint32_t size = 0,
                           int mode = 0) {
    auto record = std::make_unique<SongRecord>(path, false);
    std::memset(&record->GetMpegInfo(), 0, sizeof(MpegInfo));
    record->GetMpegInfo().seconds = seconds;
    record->GetMpegInfo().fileSize = static_cast<int32_t>(size);
    record->GetMpegInfo().mode = mode;
    SongRecord& ref = *record;
    playlist.append(std::move(record));
    return ref;
}

// Sets an ID3v2 text frame (and the ID3v2 tag flag).
inline void SetV2(SongRecord& record, int type, const std::string& text) {
    record.AddFrame(std::make_unique<Id3v2FieldFrame>(type, text), true);
    record.SetTagFlags(record.GetTagFlags() | kTagId3v2);
}

// Copies at most `capacity` bytes of `text` into a zeroed field.
inline void PutField(char* field, size_t capacity, const char* text) {
    std::memcpy(field, text, std::min(std::strlen(text), capacity));
}

// Sets an ID3v1 block; SongRecord::SetId3v1 raises the ID3v1 tag flag itself.
// `genre` is the internal index.
inline void SetV1(SongRecord& record, const char* artist, const char* title, const char* album = "",
                  const char* comment = "", const char* year = "", uint8_t genre = 0) {
    Id3v1Tag block;
    std::memset(&block, 0, sizeof block);
    PutField(block.title, 30, title);
    PutField(block.artist, 30, artist);
    PutField(block.album, 30, album);
    PutField(block.year, 4, year);
    PutField(block.comment, 30, comment);
    block.genre = genre;
    record.SetId3v1(&block);
}

}  // namespace td::test
