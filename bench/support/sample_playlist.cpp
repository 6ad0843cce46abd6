#include "bench/support/sample_playlist.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "playlist/playlist.h"
#include "tags/id3v1/id3v1.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/song_record.h"

namespace td {
namespace bench {
namespace {

const char* const kArtists[] = {"The Beatles", "Miles Davis",           "Björk",     "Nina Simone",
                                "Daft Punk",   "Johann Sebastian Bach", "Radiohead", "Aretha"};
const char* const kWords[] = {"Blue", "Night", "River", "Song", "Light", "Dance", "Moon", "Road"};

}  // namespace

std::string RandomWords(std::mt19937& rng, int count) {
    static const char* const kVocabulary[] = {
        "Love",  "night", "Blue",    "dance",    "Heart", "fire",    "Rain", "time",  "\xC9t\xE9",
        "Dream", "road",  "Star",    "home",     "Light", "river",   "Gold", "world", "Sun",
        "moon",  "Wild",  "Beatles", "Zeppelin", "Queen", "Caf\xE9", "Jazz"};
    constexpr unsigned kCount = sizeof(kVocabulary) / sizeof(kVocabulary[0]);
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i) text += ' ';
        text += kVocabulary[rng() % kCount];
    }
    return text;
}

void FillSamplePlaylist(td::Playlist& playlist, int entries) {
    for (uint32_t serial : {0x1A2B3C4Du, 0x5E6F7081u}) {
        td::VolumeRecord v;
        std::memset(&v, 0, sizeof(v));
        std::strcpy(v.label, serial == 0x1A2B3C4Du ? "MUSIC" : "BACKUP");
        std::strcpy(v.root, serial == 0x1A2B3C4Du ? "D:\\" : "E:\\");
        v.serial = serial;
        v.fileCount = entries / 2;
        v.driveType = 3;
        playlist.appendVolume(&v);
    }
    for (int i = 0; i < entries; ++i) {
        const char* artist = kArtists[i % 8];
        const std::string title =
            std::string(kWords[i % 7]) + " " + kWords[(i / 7) % 8] + " " + std::to_string(i);
        const std::string album = std::string("Album ") + kWords[(i / 13) % 8];
        const std::string name = std::string(i % 2 ? "E:\\" : "D:\\") + "Music\\" + artist + "\\" + album +
                                 "\\" + std::to_string(i % 20 + 1) + " - " + title + ".mp3";
        auto entry = std::make_unique<td::SongRecord>(name, false);
        td::SongFileRecord r{};
        r.tagFlags = 3;
        r.audioSize = 4000000u + static_cast<uint32_t>(i);
        r.mpeg.fileSize = static_cast<int32_t>(r.audioSize + 1200);
        r.mpeg.channels = 2;
        r.mpeg.layer = 3;
        r.mpeg.frequency = 44100;
        r.mpeg.bitrate = 128 + 32 * (i % 3);
        r.mpeg.seconds = 120 + i % 300;
        r.mpeg.frames = r.mpeg.seconds * 38;
        r.mpeg.mode = i % 4;
        entry->FromPlaylistRecord(r);
        td::Id3v1Tag block;
        std::memset(&block, 0, sizeof(block));
        std::snprintf(block.title, sizeof(block.title), "%s", title.c_str());
        std::snprintf(block.artist, sizeof(block.artist), "%s", artist);
        std::snprintf(block.album, sizeof(block.album), "%s", album.c_str());
        std::snprintf(block.year, sizeof(block.year), "%d", 1960 + i % 60);
        block.genre = static_cast<uint8_t>(i % 146);
        block.track = static_cast<uint32_t>(i % 20 + 1);
        entry->SetId3v1(&block);
        entry->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTIT2, title), false);
        entry->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTPE1, artist), false);
        entry->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTALB, album), false);
        entry->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTYER, std::to_string(1960 + i % 60)),
                        false);
        entry->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTCON, td::GenreName(i % 146)), false);
        entry->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kTRCK, std::to_string(i % 20 + 1)), false);
        entry->AddFrame(std::make_unique<td::Id3v2FieldFrame>(td::kCOMM, "Ripped from my own CD"), false);
        entry->SetRating(i % 6);
        entry->SetVolumeSerial(i % 2 ? 0x5E6F7081u : 0x1A2B3C4Du);
        playlist.append(std::move(entry));
    }
}
}  // namespace bench
}  // namespace td
