#include "playlist/kq3.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "support/test_support.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tests/support/recording_prompter.h"

namespace td {
namespace {

using test::RecordingPrompter;

using test::FaultyFileSystem;
using test::FileExists;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;

// --- building files byte by byte --------------------------------------------

std::string Le32(uint32_t n) {
    return {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
            static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
}

std::string Magic(int version) {
    return version == 0 ? std::string("KQ3DATA0") : "KQ3DATA" + std::to_string(version);
}

Id3v1Tag MakeBlock(const char* title, const char* artist, uint8_t genre, uint32_t track) {
    Id3v1Tag block;
    std::memset(&block, 0, sizeof(block));
    std::strcpy(block.title, title);
    std::strcpy(block.artist, artist);
    std::strcpy(block.album, "Album");
    std::strcpy(block.year, "1999");
    std::strcpy(block.comment, "v1 comment");
    block.genre = genre;
    block.track = track;
    return block;
}

struct SongSpec {
    std::string name;
    uint32_t tagFlags = 0;
    uint32_t audioSize = 0;
    int32_t sizeDelta = 0;
    MpegInfo mpeg{};
    uint8_t rating = 0;
    uint32_t serial = 0;
    Id3v1Tag block{};
    std::vector<std::pair<uint32_t, std::string>> frames;
};

std::string SongBlock(const SongSpec& s, int version) {
    std::string out = Le32(static_cast<uint32_t>(s.frames.size())) + Le32(s.tagFlags) +
                      Le32(s.audioSize) + Le32(static_cast<uint32_t>(s.sizeDelta)) +
                      Le32(static_cast<uint32_t>(s.name.size()));
    const int32_t* m = &s.mpeg.fileSize;
    for (int i = 0; i < 19; ++i) out += Le32(static_cast<uint32_t>(m[i]));
    out += s.name;
    if (version >= 3) out += std::string(1, static_cast<char>(s.rating)) + Le32(0);
    if (version >= 2) out += Le32(s.serial);
    if (s.tagFlags & 1) out.append(reinterpret_cast<const char*>(&s.block), sizeof(s.block));
    for (const auto& f : s.frames) out += Le32(f.first) + Le32(static_cast<uint32_t>(f.second.size())) + f.second;
    return out;
}

std::string VolumeBytes(const char* label, const char* root, uint32_t serial, int32_t count,
                        uint32_t driveType) {
    VolumeRecord v;
    std::memset(&v, 0, sizeof(v));
    std::strcpy(v.label, label);
    std::strcpy(v.root, root);
    v.serial = serial;
    v.fileCount = count;
    v.driveType = driveType;
    return std::string(reinterpret_cast<const char*>(&v), sizeof(v));
}

std::string Kq3File(int version, const std::vector<SongSpec>& songs,
                    const std::vector<std::string>& volumes = {}) {
    std::string out = Magic(version) + Le32(static_cast<uint32_t>(songs.size()));
    if (version >= 2) {
        out += Le32(static_cast<uint32_t>(volumes.size()));
        for (const std::string& v : volumes) out += v;
    }
    for (const SongSpec& s : songs) out += SongBlock(s, version);
    return out;
}

// Two songs: one with both tags, a rating and three frames, one bare.
std::vector<SongSpec> SampleSongs() {
    SongSpec a;
    a.name = "C:\\Music\\Artist - Song.mp3";
    a.tagFlags = 3;
    a.audioSize = 4000000;
    a.sizeDelta = -12;
    a.mpeg.fileSize = 4000600;
    a.mpeg.channels = 2;
    a.mpeg.layer = 3;
    a.mpeg.frequency = 44100;
    a.mpeg.bitrate = 128;
    a.mpeg.frames = 9570;
    a.mpeg.seconds = 250;
    a.mpeg.mode = 1;
    a.rating = 4;
    a.serial = 0xCAFE0001;
    a.block = MakeBlock("V1 Title", "V1 Artist", 18, 7);
    a.frames = {{kTIT2, "The Song"}, {kTPE1, "The Artist"}, {kCOMM, "A comment"}};
    SongSpec b;
    b.name = "D:\\Other\\b.mp2";
    b.mpeg.fileSize = 1234;
    b.mpeg.layer = 2;
    b.mpeg.seconds = 61;
    b.serial = 0xBEEF0002;
    return {a, b};
}

Kq3Parse Parse(const std::string& bytes, Kq3Contents& out) {
    return parseKq3(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

// --- a prompter that records what it was asked to show ----------------------


class Kq3Test : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    // The list of a window: the Playlist and its view.
    struct List {
        Playlist playlist;
        PlaylistView view{playlist};
    };

    // A record as the gathering worker would leave it, without a file.
    static std::unique_ptr<SongRecord> MakeEntry(const std::string& name, int seconds,
                                                 uint32_t serial) {
        auto entry = std::make_unique<SongRecord>(name, false);
        SongFileRecord r{};
        r.tagFlags = kTagId3v2;
        r.audioSize = 1000u * static_cast<uint32_t>(seconds);
        r.mpeg.fileSize = static_cast<int32_t>(r.audioSize + 300);
        r.mpeg.seconds = seconds;
        r.mpeg.bitrate = 128;
        r.mpeg.frequency = 44100;
        r.mpeg.layer = 3;
        entry->FromPlaylistRecord(r);
        entry->AddFrame(new Id3v2FieldFrame(kTIT2, name), false);
        entry->SetVolumeSerial(serial);
        return entry;
    }

    static std::vector<std::string> Names(const PlaylistView& view) {
        std::vector<std::string> names;
        for (int i = 0; i < view.rowCount(); ++i) names.push_back(view.entryAt(i)->GetFileName());
        return names;
    }
    static std::vector<std::string> Names(const Playlist& playlist) {
        std::vector<std::string> names;
        for (int i = 0; i < playlist.count(); ++i) names.push_back(playlist.entryAt(i)->GetFileName());
        return names;
    }

    TempDir dir_;
    RecordingPrompter prompter_;
};

// --- the byte format ---------------------------------------------------------

TEST(Kq3Parse, HeaderShorterThanTwelveBytesIsAnErrorFile) {
    Kq3Contents out;
    EXPECT_EQ(Parse("", out), Kq3Parse::ShortHeader);
    EXPECT_EQ(Parse(std::string("KQ3DATA3") + std::string(3, '\0'), out), Kq3Parse::ShortHeader);
}

TEST(Kq3Parse, AnyOtherByteInTheFirstSevenIsABadFormat) {
    for (size_t i = 0; i < 7; ++i) {
        std::string file = Magic(3) + Le32(0);
        file[i] = static_cast<char>(file[i] ^ 0x20);
        Kq3Contents out;
        EXPECT_EQ(Parse(file, out), Kq3Parse::BadMagic) << "byte " << i;
    }
}

TEST(Kq3Parse, TwelveByteVersion3FileIsAnEmptyList) {
    Kq3Contents out;
    ASSERT_EQ(Parse(Magic(3) + Le32(0), out), Kq3Parse::Ok);
    EXPECT_EQ(out.version, 3);
    EXPECT_TRUE(out.entries.empty());
    EXPECT_EQ(out.volumeCount, 0u);
}

TEST(Kq3Parse, UnknownEighthByteReadsAsVersion0WithoutVolumeTable) {
    std::string file = Kq3File(0, SampleSongs());
    file[7] = '9';
    Kq3Contents out;
    ASSERT_EQ(Parse(file, out), Kq3Parse::Ok);
    EXPECT_EQ(out.version, 0);
    ASSERT_EQ(out.entries.size(), 2u);
    EXPECT_EQ(out.entries[1]->GetFileName(), "D:\\Other\\b.mp2");
}

TEST(Kq3Parse, EveryVersionBuiltByteByByteLoads) {
    const std::vector<SongSpec> songs = SampleSongs();
    const std::vector<std::string> volumes = {VolumeBytes("MUSIC", "C:\\", 0xCAFE0001, 1, 3),
                                              VolumeBytes("OTHER", "D:\\", 0xBEEF0002, 1, 2)};
    for (int version = 0; version <= 3; ++version) {
        SCOPED_TRACE("version " + std::to_string(version));
        Kq3Contents out;
        ASSERT_EQ(Parse(Kq3File(version, songs, volumes), out), Kq3Parse::Ok);
        EXPECT_EQ(out.version, version);
        ASSERT_EQ(out.entries.size(), 2u);

        const SongRecord& a = *out.entries[0];
        EXPECT_EQ(a.GetFileName(), songs[0].name);
        EXPECT_EQ(a.GetTagFlags(), 3u);
        EXPECT_EQ(a.GetAudioSize(), 4000000u);
        EXPECT_EQ(a.GetSizeDelta(), -12);
        EXPECT_EQ(std::memcmp(&a.GetMpegInfo(), &songs[0].mpeg, sizeof(MpegInfo)), 0);
        EXPECT_EQ(a.GetRating(), version >= 3 ? 4 : 0);
        EXPECT_EQ(a.GetVolumeSerial(), version >= 2 ? 0xCAFE0001u : 0u);
        ASSERT_NE(a.GetId3v1(), nullptr);
        EXPECT_STREQ(a.GetId3v1()->title, "V1 Title");
        EXPECT_EQ(a.GetId3v1()->genre, 18);
        EXPECT_EQ(a.GetId3v1()->track, 7u);
        ASSERT_EQ(a.FrameCount(), 3);
        EXPECT_EQ(a.GetFrameAt(0)->Type(), kTIT2);
        EXPECT_EQ(MainText(a.GetFrameAt(0)), "The Song");
        EXPECT_EQ(MainText(a.GetFrame(kTPE1)), "The Artist");
        const auto* comm = dynamic_cast<const Id3v2FieldFrame*>(a.GetFrame(kCOMM));
        ASSERT_NE(comm, nullptr);
        EXPECT_EQ(MainText(comm), "A comment");
        EXPECT_EQ(comm->LanguageText(), "eng");

        const SongRecord& b = *out.entries[1];
        EXPECT_EQ(b.GetTagFlags(), 0u);
        EXPECT_EQ(b.GetId3v1(), nullptr);
        EXPECT_EQ(b.FrameCount(), 0);
        EXPECT_EQ(b.GetMpegInfo().seconds, 61);

        if (version >= 2) {
            ASSERT_EQ(out.volumeCount, 2u);
            EXPECT_EQ(out.volumes.size(), 2 * kKq3VolumeSize);
            EXPECT_EQ(std::memcmp(out.volumes.data(), volumes[0].data(), kKq3VolumeSize), 0);
        } else {
            EXPECT_EQ(out.volumeCount, 0u);
        }
    }
}

TEST(Kq3Parse, FrameTypeThatIsNotKeptOrOutOfRangeMakesTheFileCorrupt) {
    // TLEN and TMED are never kept, APIC and POPM are no field frames, 55 is
    // past the table.
    for (uint32_t type : {24u, 16u, 39u, 42u, 28u, 55u, 0xFFFFFFFFu}) {
        std::vector<SongSpec> songs = SampleSongs();
        songs[1].frames = {{type, "x"}};
        Kq3Contents out;
        EXPECT_EQ(Parse(Kq3File(3, songs), out), Kq3Parse::Corrupt) << "type " << type;
        EXPECT_TRUE(out.entries.empty());
    }
}

TEST(Kq3Parse, EveryTruncationIsCorruptAndNeverReadsPastTheData) {
    const std::string file =
        Kq3File(3, SampleSongs(), {VolumeBytes("MUSIC", "C:\\", 0xCAFE0001, 1, 3)});
    for (size_t size = 0; size < file.size(); ++size) {
        // An exact-size heap copy, so that a sanitizer sees any overrun.
        std::vector<uint8_t> bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        Kq3Contents out;
        const Kq3Parse result = parseKq3(bytes.data(), bytes.size(), out);
        EXPECT_EQ(result, size < kKq3HeaderSize ? Kq3Parse::ShortHeader : Kq3Parse::Corrupt)
            << "size " << size;
        EXPECT_TRUE(out.entries.empty());
    }
    Kq3Contents out;
    EXPECT_EQ(Parse(file, out), Kq3Parse::Ok);
}

TEST(Kq3Parse, HugeCountsAndLengthsAreRefusedBeforeAnyAllocation) {
    const std::string valid = Kq3File(3, SampleSongs());
    const size_t firstBlock = 16;          // after magic, song count, volume count
    const size_t frameCountAt = firstBlock;
    const size_t nameLengthAt = firstBlock + 16;
    const size_t firstFrameAt = firstBlock + 96 + SampleSongs()[0].name.size() + 5 + 4 + 136;
    const struct {
        size_t offset;
        const char* what;
    } fields[] = {{8, "song count"},
                  {12, "volume count"},
                  {frameCountAt, "frame count"},
                  {nameLengthAt, "name length"},
                  {firstFrameAt + 4, "text length"}};
    for (const auto& field : fields) {
        for (uint32_t value : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000000u}) {
            std::string file = valid;
            file.replace(field.offset, 4, Le32(value));
            Kq3Contents out;
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(Parse(file, out), Kq3Parse::Corrupt) << field.what << " " << value;
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        }
    }
}

TEST(Kq3Parse, UnterminatedId3v1TextsAreCutAtTheirLastByte) {
    std::vector<SongSpec> songs = SampleSongs();
    std::memset(&songs[0].block, 'A', sizeof(songs[0].block));
    songs[0].block.genre = 200;
    Kq3Contents out;
    ASSERT_EQ(Parse(Kq3File(3, songs), out), Kq3Parse::Ok);
    const Id3v1Tag* block = out.entries[0]->GetId3v1();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::strlen(block->title), 30u);
    EXPECT_EQ(std::strlen(block->artist), 30u);
    EXPECT_EQ(std::strlen(block->album), 30u);
    EXPECT_EQ(std::strlen(block->year), 4u);
    EXPECT_EQ(std::strlen(block->comment), 30u);
}

TEST(Kq3Parse, WriterStoresOnlyFramesTheReaderTakesBack) {
    SongRecord entry("x.mp3", false);
    entry.SetTagFlags(kTagId3v2 | kTagId3v1);  // bit 0 without a block
    entry.AddFrame(new Id3v2FieldFrame(kTIT2, "Title"), false);
    entry.AddFrame(new Id3v2FieldFrame(kTXXX, "user text"), false);  // field frame, not kept
    entry.AddFrame(new Id3v2FieldFrame(kTLEN, "1000"), false);
    auto* popm = new Id3v2BinaryFrame(kPOPM);
    entry.AddFrame(popm, false);
    std::string file;
    appendKq3Header(1, 0, file);
    appendKq3Song(entry, file);
    Kq3Contents out;
    ASSERT_EQ(Parse(file, out), Kq3Parse::Ok);
    ASSERT_EQ(out.entries.size(), 1u);
    EXPECT_EQ(out.entries[0]->FrameCount(), 1);
    EXPECT_EQ(out.entries[0]->GetTagFlags(), kTagId3v2);
}

TEST(Kq3Names, StartFileReplacesTheLibrarysExtension) {
    EXPECT_EQ(kq3StartFilePath("C:\\Winamp\\Plugins\\gen_Tunedeck.dll"),
              "C:\\Winamp\\Plugins\\gen_Tunedeck.KQ3");
    EXPECT_EQ(kq3StartFilePath("/opt/td.v2/gen_Tunedeck"), "/opt/td.v2/gen_Tunedeck.KQ3");
}

TEST(Kq3Names, SaveAsAddsTheExtensionUnlessPresent) {
    EXPECT_EQ(withKq3Extension("list"), "list.kq3");
    EXPECT_EQ(withKq3Extension("LIST.KQ3"), "LIST.KQ3");
    EXPECT_EQ(withKq3Extension(".kq3"), ".kq3.kq3");
    EXPECT_EQ(withKq3Extension("a.kq"), "a.kq.kq3");
}

// --- saving and loading through the list -------------------------------------

TEST_F(Kq3Test, SaveThenLoadReproducesEveryColumnOfEveryEntry) {
    List list;
    list.playlist.appendVolume(VolumeBytes("MUSIC", "C:\\", 0xCAFE0001, 2, 3).data());
    auto full = MakeEntry("C:\\Music\\One.mp3", 3725, 0xCAFE0001);
    Id3v1Tag block = MakeBlock("V1 Title", "V1 Artist", 18, 7);
    full->SetId3v1(&block);
    full->SetTagFlags(3);
    full->SetRating(3);
    for (int type : {kTPE1, kTCON, kTYER, kTALB, kTRCK, kTBPM, kTPE2, kWXXX, kUSLT}) {
        full->AddFrame(new Id3v2FieldFrame(type, std::string("text of ") + Id3v2FrameTable[type].id),
                       false);
    }
    auto* comm = new Id3v2FieldFrame(kCOMM, "Comment text");
    comm->SetLanguage('f' << 16 | 'r' << 8 | 'a');
    comm->Fields()[0] = "description";
    full->AddFrame(comm, false);
    full->AddFrame(new Id3v2FieldFrame(kTRCK, "second TRCK"), false);
    list.playlist.append(std::move(full));
    list.playlist.append(MakeEntry("C:\\Music\\Two.mp2", 65, 0xCAFE0001));
    list.playlist.append(MakeEntry("\\\\server\\share\\no volume.mp3", 0, 0));
    list.playlist.entryAt(2)->SetRating(9);  // out of range, kept as it is

    const std::string path = dir_.Path("list.kq3");
    ASSERT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::Saved);
    EXPECT_FALSE(FileExists(path + ".tmp~"));

    List loaded;
    ASSERT_EQ(loadKq3(path, true, loaded.playlist, loaded.view, prompter_), Kq3Load::Loaded);
    EXPECT_TRUE(prompter_.shown.empty());
    ASSERT_EQ(loaded.playlist.count(), 3);
    ASSERT_EQ(loaded.view.rowCount(), 3);
    EXPECT_EQ(loaded.view.totalLength(), 3725 + 65);
    ASSERT_EQ(loaded.playlist.volumeCount(), 1);
    EXPECT_EQ(std::memcmp(loaded.playlist.volumeAt(0), list.playlist.volumeAt(0), kKq3VolumeSize), 0);
    for (int i = 0; i < 3; ++i) {
        const SongRecord& before = *list.playlist.entryAt(i);
        const SongRecord& after = *loaded.view.entryAt(i);
        EXPECT_EQ(loaded.view.imageAt(i), static_cast<int>(before.GetTagFlags() & 3));
        for (int source = 0; source < 4; ++source) {
            list.view.setViewSource(source);
            loaded.view.setViewSource(source);
            for (int id = 0; id < kColumnCount; ++id) {
                EXPECT_EQ(loaded.view.columnTextById(after, id), list.view.columnTextById(before, id))
                    << "entry " << i << " column " << id << " source " << source;
            }
        }
        ASSERT_EQ(after.FrameCount(), before.FrameCount());
        for (int f = 0; f < before.FrameCount(); ++f) {
            EXPECT_EQ(after.GetFrameAt(f)->Type(), before.GetFrameAt(f)->Type());
            EXPECT_EQ(MainText(after.GetFrameAt(f)), MainText(before.GetFrameAt(f)));
        }
    }
    // Comment frames keep only their text: the language becomes "eng" and the
    // description empty.
    const auto* loadedComm =
        dynamic_cast<const Id3v2FieldFrame*>(loaded.playlist.entryAt(0)->GetFrame(kCOMM));
    ASSERT_NE(loadedComm, nullptr);
    EXPECT_EQ(loadedComm->LanguageText(), "eng");
    EXPECT_EQ(loadedComm->Fields()[0], "");
}

TEST_F(Kq3Test, AVolumeOfTwoEntriesIsWrittenOnceAndCountsBoth) {
    List list;
    list.playlist.appendVolume(VolumeBytes("DATA", "D:\\", 77, 0, 3).data());
    list.playlist.setCurrentVolume(0);
    list.playlist.add(MakeEntry("D:\\a.mp3", 1, 0));
    list.playlist.add(MakeEntry("D:\\b.mp3", 2, 0));
    const std::string path = dir_.Path("vol.kq3");
    ASSERT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::Saved);
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(0, 16), "KQ3DATA3" + Le32(2) + Le32(1));

    List loaded;
    ASSERT_EQ(loadKq3(path, true, loaded.playlist, loaded.view, prompter_), Kq3Load::Loaded);
    ASSERT_EQ(loaded.playlist.volumeCount(), 1);
    EXPECT_EQ(loaded.playlist.volumeAt(0)->fileCount, 2);
    EXPECT_EQ(loaded.playlist.volumeOf(loaded.playlist.entryAt(1)), loaded.playlist.volumeAt(0));
}

TEST_F(Kq3Test, Version1FileSavesAgainAsVersion3WithoutVolumes) {
    const std::string path = dir_.Path("old.kq3");
    ASSERT_TRUE(WriteBytes(path, Kq3File(1, SampleSongs())));
    List list;
    ASSERT_EQ(loadKq3(path, true, list.playlist, list.view, prompter_), Kq3Load::Loaded);
    EXPECT_EQ(list.playlist.entryAt(0)->GetRating(), 0);
    EXPECT_EQ(list.playlist.volumeCount(), 0);
    ASSERT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::Saved);

    std::vector<SongSpec> expected = SampleSongs();
    for (SongSpec& s : expected) {
        s.rating = 0;
        s.serial = 0;
    }
    EXPECT_EQ(ReadBytes(path), Kq3File(3, expected));
}

TEST_F(Kq3Test, InsertShowsTheNewRowsFirstAndAppendsTheEntries) {
    List list;
    for (const char* name : {"old1.mp3", "old2.mp3", "old3.mp3"}) {
        list.view.appendRow(list.playlist.entryAt(list.playlist.append(MakeEntry(name, 10, 0))));
    }
    List two;
    two.playlist.append(MakeEntry("new1.mp3", 1, 0));
    two.playlist.append(MakeEntry("new2.mp3", 2, 0));
    const std::string insert = dir_.Path("two.kq3");
    ASSERT_EQ(saveKq3(two.playlist, insert, nullptr), Kq3Save::Saved);

    ASSERT_EQ(loadKq3(insert, false, list.playlist, list.view, prompter_), Kq3Load::Loaded);
    EXPECT_EQ(Names(list.view), (std::vector<std::string>{"new1.mp3", "new2.mp3", "old1.mp3",
                                                          "old2.mp3", "old3.mp3"}));
    const std::vector<std::string> playlistOrder = {"old1.mp3", "old2.mp3", "old3.mp3", "new1.mp3",
                                                    "new2.mp3"};
    EXPECT_EQ(Names(list.playlist), playlistOrder);
    EXPECT_EQ(list.view.totalLength(), 33);

    const std::string all = dir_.Path("all.kq3");
    ASSERT_EQ(saveKq3(list.playlist, all, nullptr), Kq3Save::Saved);
    List reloaded;
    ASSERT_EQ(loadKq3(all, true, reloaded.playlist, reloaded.view, prompter_), Kq3Load::Loaded);
    EXPECT_EQ(Names(reloaded.view), playlistOrder);
}

TEST_F(Kq3Test, CorruptFileOnOpenEmptiesTheListAndSaysSo) {
    List list;
    list.view.appendRow(list.playlist.entryAt(list.playlist.append(MakeEntry("keep.mp3", 5, 0))));
    std::string file = Kq3File(3, SampleSongs());
    file.resize(file.size() - 1);
    const std::string path = dir_.Path("cut.kq3");
    ASSERT_TRUE(WriteBytes(path, file));

    EXPECT_EQ(loadKq3(path, true, list.playlist, list.view, prompter_), Kq3Load::Corrupt);
    EXPECT_EQ(list.playlist.count(), 0);
    EXPECT_EQ(list.view.rowCount(), 0);
    EXPECT_EQ(list.view.totalLength(), 0);
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text, "Corrupt file: Tunedeck");
    EXPECT_EQ(prompter_.shown[0].caption, "Error");
    EXPECT_EQ(prompter_.shown[0].icon, PromptIcon::Error);
}

TEST_F(Kq3Test, CorruptFileOnInsertKeepsTheListThatWasThere) {
    List list;
    list.view.appendRow(list.playlist.entryAt(list.playlist.append(MakeEntry("keep.mp3", 5, 0))));
    std::vector<SongSpec> songs = SampleSongs();
    songs[1].frames = {{24, "1000"}};
    const std::string path = dir_.Path("bad.kq3");
    ASSERT_TRUE(WriteBytes(path, Kq3File(3, songs)));

    EXPECT_EQ(loadKq3(path, false, list.playlist, list.view, prompter_), Kq3Load::Corrupt);
    EXPECT_EQ(Names(list.playlist), std::vector<std::string>{"keep.mp3"});
    EXPECT_EQ(list.view.rowCount(), 1);
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text, "Corrupt file: Tunedeck");
}

TEST_F(Kq3Test, ShortOrForeignFilesLeaveTheListAloneWithTheirMessage) {
    const struct {
        std::string bytes;
        const char* message;
    } cases[] = {{std::string("KQ3DATA3\0\0\0", 11), "Error file: Tunedeck"},
                 {"KQ2DATA3" + Le32(0), "Bad file format: Tunedeck"}};
    for (const auto& c : cases) {
        List list;
        list.view.appendRow(list.playlist.entryAt(list.playlist.append(MakeEntry("keep.mp3", 5, 0))));
        const std::string path = dir_.Path("x.kq3");
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        prompter_.shown.clear();
        loadKq3(path, true, list.playlist, list.view, prompter_);
        EXPECT_EQ(list.playlist.count(), 1);
        EXPECT_EQ(list.view.rowCount(), 1);
        ASSERT_EQ(prompter_.shown.size(), 1u);
        EXPECT_EQ(prompter_.shown[0].text, c.message);
        EXPECT_EQ(prompter_.shown[0].caption, "Error");
    }
}

TEST_F(Kq3Test, MissingFileLoadsNothingSilently) {
    List list;
    list.playlist.append(MakeEntry("keep.mp3", 5, 0));
    EXPECT_EQ(loadKq3(dir_.Path("none.kq3"), true, list.playlist, list.view, prompter_),
              Kq3Load::NotOpened);
    EXPECT_EQ(list.playlist.count(), 1);
    EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(Kq3Test, ReadErrorLeavesTheListAlone) {
    const std::string path = dir_.Path("list.kq3");
    ASSERT_TRUE(WriteBytes(path, Kq3File(3, SampleSongs())));
    List list;
    list.playlist.append(MakeEntry("keep.mp3", 5, 0));
    FaultyFileSystem faulty;
    ScopedFs installed(faulty);
    faulty.FailAt(FaultyFileSystem::Op::Read, 1);
    EXPECT_EQ(loadKq3(path, true, list.playlist, list.view, prompter_), Kq3Load::ReadFailed);
    EXPECT_EQ(Names(list.playlist), std::vector<std::string>{"keep.mp3"});
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text, "Error file: Tunedeck");
}

TEST_F(Kq3Test, FailedSaveLeavesTheOldFileIntactAndIsReported) {
    const std::string path = dir_.Path("list.kq3");
    const std::string old = Kq3File(3, SampleSongs());
    List list;
    for (int i = 0; i < 50; ++i) list.playlist.append(MakeEntry("song" + std::to_string(i) + ".mp3", i, 0));

    using Op = FaultyFileSystem::Op;
    for (Op op : {Op::Write, Op::Flush, Op::Close, Op::Replace}) {
        for (bool shortWrites : {false, true}) {
            ASSERT_TRUE(WriteBytes(path, old));
            prompter_.shown.clear();
            FaultyFileSystem faulty;
            faulty.SetShortWrites(shortWrites);
            faulty.FailAt(op, 1);
            {
                ScopedFs installed(faulty);
                EXPECT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::WriteFailed)
                    << "op " << static_cast<int>(op);
            }
            EXPECT_EQ(ReadBytes(path), old);
            EXPECT_FALSE(FileExists(path + ".tmp~"));
            ASSERT_EQ(prompter_.shown.size(), 1u);
            EXPECT_EQ(prompter_.shown[0].text, "Error file: Tunedeck");
        }
    }
    // A file that cannot be created at all is passed over silently.
    FaultyFileSystem faulty;
    faulty.FailAt(Op::Open, 1);
    prompter_.shown.clear();
    {
        ScopedFs installed(faulty);
        EXPECT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::NotOpened);
    }
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_TRUE(prompter_.shown.empty());
}

}  // namespace
}  // namespace td
