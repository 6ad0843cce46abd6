#include "playlist/kq3.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/prompter.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "support/test_support.h"
#include "tags/id3v2/frame.h"
#include "tests/support/recording_prompter.h"

namespace td {
namespace {

using namespace test;

std::string Le32(uint32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); }

struct SongBytes {
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

std::string SongBlock(const SongBytes& s, int version) {
    std::string out = Le32(static_cast<uint32_t>(s.frames.size())) + Le32(s.tagFlags) + Le32(s.audioSize) +
                      Le32(static_cast<uint32_t>(s.sizeDelta)) + Le32(static_cast<uint32_t>(s.name.size()));
    const int32_t* m = &s.mpeg.fileSize;
    for (int i = 0; i < 19; ++i) out += Le32(static_cast<uint32_t>(m[i]));
    out += s.name;
    if (version >= 3) out += std::string(1, static_cast<char>(s.rating)) + Le32(0);
    if (version >= 2) out += Le32(s.serial);
    if (s.tagFlags & 1) out.append(reinterpret_cast<const char*>(&s.block), sizeof(s.block));
    for (const auto& f : s.frames)
        out += Le32(f.first) + Le32(static_cast<uint32_t>(f.second.size())) + f.second;
    return out;
}

std::string VolumeBytes(const char* label, uint32_t serial) {
    VolumeRecord v;
    std::memset(&v, 0, sizeof(v));
    std::strcpy(v.label, label);
    std::strcpy(v.root, "C:\\");
    v.serial = serial;
    v.fileCount = 1;
    v.driveType = 3;
    return std::string(reinterpret_cast<const char*>(&v), sizeof(v));
}

std::string Kq3File(int version, const std::vector<SongBytes>& songs,
                    const std::vector<std::string>& volumes = {}) {
    std::string out = (version == 0 ? std::string("KQ3DATA0") : "KQ3DATA" + std::to_string(version)) +
                      Le32(static_cast<uint32_t>(songs.size()));
    if (version >= 2) {
        out += Le32(static_cast<uint32_t>(volumes.size()));
        for (const std::string& v : volumes) out += v;
    }
    for (const SongBytes& s : songs) out += SongBlock(s, version);
    return out;
}

// Two songs: one with both tags, a rating and three frames, one bare.
std::vector<SongBytes> SampleSongs() {
    SongBytes a, b;
    a.name = "C:\\Music\\Artist - Song.mp3";
    a.tagFlags = 3;
    a.audioSize = 4000000;
    a.sizeDelta = -12;
    a.mpeg.fileSize = 4000600;
    a.mpeg.layer = 3;
    a.mpeg.frequency = 44100;
    a.mpeg.seconds = 250;
    a.rating = 4;
    a.serial = 0xCAFE0001;
    a.block.genre = 18;
    a.block.track = 7;
    a.frames = {{kTIT2, "The Song"}, {kTPE1, "The Artist"}, {kCOMM, "A comment"}};
    b.name = "D:\\Other\\b.mp2";
    b.mpeg.seconds = 61;
    b.serial = 0xBEEF0002;
    return {a, b};
}

Kq3Parse Parse(const std::string& bytes, Kq3Contents& out) {
    return parseKq3(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

class Kq3Test : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    struct List {
        Playlist playlist;
        PlaylistView view{playlist};
        void Show(const std::string& name) {
            view.appendRow(playlist.entryAt(playlist.append(MakeEntry(name, 5, 0))));
        }
    };

    // A record as the gathering worker would leave it, without a file.
    static std::unique_ptr<SongRecord> MakeEntry(const std::string& name, int seconds, uint32_t serial) {
        auto entry = std::make_unique<SongRecord>(name, false);
        SongFileRecord r{};
        r.tagFlags = kTagId3v2;
        r.audioSize = 1000u * static_cast<uint32_t>(seconds);
        r.mpeg.fileSize = static_cast<int32_t>(r.audioSize + 300);
        r.mpeg.seconds = seconds;
        r.mpeg.layer = 3;
        entry->FromPlaylistRecord(r);
        entry->AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, name), false);
        entry->SetVolumeSerial(serial);
        return entry;
    }

    TempDir dir_;
    RecordingPrompter prompter_;
};

TEST(Kq3Parse, EveryVersionBuiltByteByByteLoads) {
    const std::vector<SongBytes> songs = SampleSongs();
    const std::vector<std::string> volumes = {VolumeBytes("MUSIC", 0xCAFE0001),
                                              VolumeBytes("OTHER", 0xBEEF0002)};
    for (int version = 0; version <= 3; ++version) {
        SCOPED_TRACE("version " + std::to_string(version));
        Kq3Contents out;
        ASSERT_EQ(Parse(Kq3File(version, songs, volumes), out), Kq3Parse::Ok);
        EXPECT_EQ(out.version, version);
        ASSERT_EQ(out.entries.size(), 2u);

        const SongRecord& a = *out.entries[0];
        EXPECT_EQ(a.GetFileName(), songs[0].name);
        EXPECT_EQ(a.GetAudioSize(), 4000000u);
        EXPECT_EQ(a.GetSizeDelta(), -12);
        EXPECT_EQ(std::memcmp(&a.GetMpegInfo(), &songs[0].mpeg, sizeof(MpegInfo)), 0);
        EXPECT_EQ(a.GetRating(), version >= 3 ? 4 : 0);
        EXPECT_EQ(a.GetVolumeSerial(), version >= 2 ? 0xCAFE0001u : 0u);
        ASSERT_NE(a.GetId3v1(), nullptr);
        EXPECT_EQ(a.GetId3v1()->track, 7u);
        ASSERT_EQ(a.FrameCount(), 3);
        EXPECT_EQ(MainText(a.GetFrame(kCOMM)), "A comment");

        EXPECT_EQ(out.entries[1]->GetId3v1(), nullptr);

        EXPECT_EQ(out.volumeCount, version >= 2 ? 2u : 0u);
        if (version >= 2) {
            EXPECT_EQ(std::memcmp(out.volumes.data(), volumes[0].data(), kKq3VolumeSize), 0);
        }
        // The smallest song block there is: no name, no tag.
        Kq3Contents bare;
        EXPECT_EQ(Parse(Kq3File(version, {SongBytes()}), bare), Kq3Parse::Ok);
    }
}

TEST(Kq3Parse, EveryTruncationIsCorruptAndNeverReadsPastTheData) {
    const std::string file = Kq3File(3, SampleSongs(), {VolumeBytes("MUSIC", 0xCAFE0001)});
    for (size_t size = 0; size < file.size(); ++size) {
        // An exact-size heap copy, so that a sanitizer sees any overrun.
        std::vector<uint8_t> bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        Kq3Contents out;
        const Kq3Parse result = parseKq3(bytes.data(), bytes.size(), out);
        EXPECT_EQ(result, size < kKq3HeaderSize ? Kq3Parse::ShortHeader : Kq3Parse::Corrupt)
            << "size " << size;
        EXPECT_TRUE(out.entries.empty());
    }
}

TEST(Kq3Parse, HugeCountsAndUnknownFrameTypesMakeTheFileCorrupt) {
    const std::string valid = Kq3File(3, SampleSongs());
    const size_t firstBlock = 16;  // after magic, song count, volume count
    const size_t firstFrameAt = firstBlock + 96 + SampleSongs()[0].name.size() + 5 + 4 + 136;
    // Song count, volume count, frame count, name length, text length: each
    // refused before anything is allocated for it. Frame types: TLEN (24) is
    // never kept, POPM (42) is no field frame, 55 is past the table.
    std::vector<std::pair<size_t, uint32_t>> fields;
    for (size_t offset : {size_t{8}, size_t{12}, firstBlock, firstBlock + 16, firstFrameAt + 4}) {
        for (uint32_t value : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000000u}) fields.emplace_back(offset, value);
    }
    for (uint32_t type : {24u, 42u, 55u, 0xFFFFFFFFu}) fields.emplace_back(firstFrameAt, type);
    for (const auto& [offset, value] : fields) {
        std::string file = valid;
        file.replace(offset, 4, Le32(value));
        Kq3Contents out;
        EXPECT_EQ(Parse(file, out), Kq3Parse::Corrupt) << "offset " << offset << " value " << value;
        EXPECT_TRUE(out.entries.empty());
    }
}

TEST(Kq3Parse, UnterminatedId3v1TextsAreCutAtTheirLastByte) {
    std::vector<SongBytes> songs = SampleSongs();
    std::memset(&songs[0].block, 'A', sizeof(songs[0].block));
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
    entry.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, "Title"), false);
    entry.AddFrame(std::make_unique<Id3v2FieldFrame>(kTXXX, "user text"), false);  // field frame, not kept
    entry.AddFrame(std::make_unique<Id3v2FieldFrame>(kTLEN, "1000"), false);
    entry.AddFrame(std::make_unique<Id3v2BinaryFrame>(kPOPM), false);
    std::string file;
    appendKq3Header(1, 0, file);
    appendKq3Song(entry, file);
    Kq3Contents out;
    ASSERT_EQ(Parse(file, out), Kq3Parse::Ok);
    ASSERT_EQ(out.entries.size(), 1u);
    EXPECT_EQ(out.entries[0]->FrameCount(), 1);
    EXPECT_EQ(out.entries[0]->GetTagFlags(), kTagId3v2);
}

TEST_F(Kq3Test, SaveThenLoadKeepsVolumesRatingsAndCommentTextOnly) {
    List list;
    list.playlist.appendVolume(VolumeBytes("MUSIC", 0xCAFE0001).data());
    auto entry = MakeEntry("C:\\Music\\One.mp3", 3725, 0xCAFE0001);
    entry->SetRating(9);  // out of range, kept as it is
    auto comm = std::make_unique<Id3v2FieldFrame>(kCOMM, "Comment text");
    comm->SetLanguage('f' << 16 | 'r' << 8 | 'a');
    comm->Fields()[0] = "description";
    entry->AddFrame(std::move(comm), false);
    entry->AddFrame(std::make_unique<Id3v2FieldFrame>(kUSLT, std::string(300, 'l')), false);
    list.playlist.append(std::move(entry));
    const std::string path = dir_.Path("list.kq3");
    ASSERT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::Saved);
    EXPECT_FALSE(HasTemporaryFiles(dir_.path()));
    EXPECT_EQ(encodeKq3(list.playlist), ReadBytes(path));

    List loaded;
    loaded.Show("replaced.mp3");
    loaded.view.setSelected(0, true);
    ASSERT_EQ(loadKq3(path, true, loaded.playlist, loaded.view, prompter_), Kq3Load::Loaded);
    EXPECT_EQ(loaded.view.selectedLength(), 0);
    ASSERT_EQ(loaded.playlist.volumeCount(), 1);
    EXPECT_EQ(std::memcmp(loaded.playlist.volumeAt(0), list.playlist.volumeAt(0), kKq3VolumeSize), 0);
    const SongRecord& after = *loaded.view.entryAt(0);
    EXPECT_EQ(after.GetRating(), 9);
    EXPECT_EQ(loaded.view.totalLength(), 3725);
    ASSERT_EQ(after.FrameCount(), 3);
    EXPECT_EQ(MainText(after.GetFrame(kUSLT)), std::string(300, 'l'));
    // Comment frames keep only their text: the language becomes "eng" and the
    // description empty.
    const auto* loadedComm = dynamic_cast<const Id3v2FieldFrame*>(after.GetFrame(kCOMM));
    ASSERT_NE(loadedComm, nullptr);
    EXPECT_EQ(MainText(loadedComm), "Comment text");
    EXPECT_EQ(loadedComm->LanguageText(), "eng");
    EXPECT_EQ(loadedComm->Fields()[0], "");
}

TEST(Kq3Name, SaveAsAddsTheExtensionOnlyWhenItIsMissing) {
    EXPECT_EQ(withKq3Extension("C:\\Lists\\mix.KQ3"), "C:\\Lists\\mix.KQ3");
    EXPECT_EQ(withKq3Extension("mix.kq"), "mix.kq.kq3");
    EXPECT_EQ(withKq3Extension(".kq3"), ".kq3.kq3");  // an extension alone is no name
}

TEST_F(Kq3Test, Version1FileSavesAgainAsVersion3WithoutVolumes) {
    const std::string path = dir_.Path("old.kq3");
    ASSERT_TRUE(WriteBytes(path, Kq3File(1, SampleSongs())));
    List list;
    ASSERT_EQ(loadKq3(path, true, list.playlist, list.view, prompter_), Kq3Load::Loaded);
    ASSERT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::Saved);
    std::vector<SongBytes> expected = SampleSongs();
    for (SongBytes& s : expected) {
        s.rating = 0;
        s.serial = 0;
    }
    EXPECT_EQ(ReadBytes(path), Kq3File(3, expected));
}

TEST_F(Kq3Test, InsertShowsTheNewRowsFirstAndSavesThemAfterTheOldEntries) {
    const std::string path = dir_.Path("two.kq3");
    ASSERT_TRUE(WriteBytes(path, Kq3File(3, SampleSongs())));
    List list;
    list.Show("old.mp3");
    ASSERT_EQ(loadKq3(path, false, list.playlist, list.view, prompter_), Kq3Load::Loaded);
    const std::vector<SongBytes> songs = SampleSongs();
    ASSERT_EQ(list.view.rowCount(), 3);
    EXPECT_EQ(list.view.entryAt(0)->GetFileName(), songs[0].name);
    EXPECT_EQ(list.view.entryAt(1)->GetFileName(), songs[1].name);
    EXPECT_EQ(list.view.entryAt(2)->GetFileName(), "old.mp3");
    EXPECT_EQ(list.view.totalLength(), 5 + 250 + 61);
    ASSERT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::Saved);
    List again;
    ASSERT_EQ(loadKq3(path, true, again.playlist, again.view, prompter_), Kq3Load::Loaded);
    ASSERT_EQ(again.playlist.count(), 3);
    EXPECT_EQ(again.playlist.entryAt(0)->GetFileName(), "old.mp3");
    EXPECT_EQ(again.playlist.entryAt(2)->GetFileName(), songs[1].name);
}

TEST_F(Kq3Test, UnreadableFilesGiveTheirMessageAndKeepTheList) {
    std::string cut = Kq3File(3, SampleSongs());
    cut.resize(cut.size() - 1);
    const struct {
        std::string bytes;
        bool open, failRead;
        const char* message;
        int left;
    } cases[] = {{std::string("KQ3DATA3\0\0\0", 11), true, false, "Error file: Tunedeck", 1},
                 {"KQ2DATA3" + Le32(0), true, false, "Bad file format: Tunedeck", 1},
                 {cut, true, false, "Corrupt file: Tunedeck", 1},
                 {cut, false, false, "Corrupt file: Tunedeck", 1},
                 {Kq3File(3, SampleSongs()), true, true, "Error file: Tunedeck", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        List list;
        list.Show("keep.mp3");
        const std::string path = dir_.Path("x.kq3");
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        prompter_.shown.clear();
        FaultyFileSystem faulty;
        faulty.FailAt(FaultyFileSystem::Op::Read, c.failRead ? 1 : 1000000);
        Kq3Load result = Kq3Load::Loaded;
        {
            ScopedFs installed(faulty);
            result = loadKq3(path, c.open, list.playlist, list.view, prompter_);
            EXPECT_TRUE(!c.failRead || result == Kq3Load::ReadFailed);
        }
        EXPECT_EQ(list.playlist.count(), c.left);
        EXPECT_EQ(list.view.rowCount(), c.left);
        EXPECT_EQ(list.view.totalLength(), 5 * c.left);
        ASSERT_EQ(prompter_.shown.size(), 1u);
        EXPECT_EQ(prompter_.shown[0].text, c.message);
    }
    // A missing file (the very first start) is no error to show.
    prompter_.shown.clear();
    List list;
    EXPECT_EQ(loadKq3(dir_.Path("absent.kq3"), true, list.playlist, list.view, prompter_), Kq3Load::NotOpened);
    EXPECT_TRUE(prompter_.shown.empty());
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
            EXPECT_FALSE(HasTemporaryFiles(dir_.path()));
            ASSERT_EQ(prompter_.shown.size(), 1u);
            EXPECT_EQ(prompter_.shown[0].text, "Error file: Tunedeck");
        }
    }
    // A file that cannot be created at all is left to the caller to report;
    // a read-only file is never replaced, and that is reported.
    FaultyFileSystem faulty;
    faulty.FailAt(Op::Open, 1);
    prompter_.shown.clear();
    {
        ScopedFs installed(faulty);
        EXPECT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::NotOpened);
    }
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    EXPECT_EQ(saveKq3(list.playlist, path, &prompter_), Kq3Save::ReadOnly);
    ASSERT_TRUE(Fs().SetAttributes(path, 0));
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_FALSE(HasTemporaryFiles(dir_.path()));
    EXPECT_EQ(prompter_.shown.size(), 1u);
}

}  // namespace
}  // namespace td
