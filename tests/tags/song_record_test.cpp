#include "tags/song_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "support/test_support.h"
#include "tests/support/recording_prompter.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::Id3v1Trailer;
using test::MpegAudio;
using test::ReadBytes;
using test::ScopedFs;
using test::Synchsafe;
using test::TempDir;
using test::WriteBytes;

std::string Be32(uint32_t n) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(n >> (8 * (3 - i)));
    return out;
}

std::string Frame(const char* id, const std::string& body) {
    return std::string(id, 4) + Be32(static_cast<uint32_t>(body.size())) + std::string(2, '\0') + body;
}

std::string Text(const std::string& value) { return std::string(1, '\0') + value; }

// A tag of `frames` followed by `padding` zero bytes.
std::string Tag(const std::string& frames, size_t padding, uint8_t major = 3) {
    return std::string("ID3") + static_cast<char>(major) + std::string(2, '\0') +
           Synchsafe(static_cast<uint32_t>(frames.size() + padding)) + frames + std::string(padding, '\0');
}

std::string WithFlags(std::string tag, char flags) {
    tag[5] = flags;
    return tag;
}

Id3v1Tag MakeBlock(const char* title) {
    Id3v1Tag block;
    std::memset(&block, 0, sizeof block);
    std::strncpy(block.title, title, 30);
    return block;
}

class SongRecordFileTest : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.Path(name);
        WriteBytes(path, bytes);
        return path;
    }
    // Opens `path` with `faulty` in place of the file system.
    static std::unique_ptr<SongRecord> OpenUnder(FaultyFileSystem& faulty, const std::string& path) {
        ScopedFs scoped(faulty);
        return std::make_unique<SongRecord>(path, true);
    }
    // A read-only file with its title edited in the record, ready to save.
    TempDir dir_;
};

TEST_F(SongRecordFileTest, UntaggedFileGetsArtistFromItsNameAndSavesNothing) {
    const std::string bytes = MpegAudio(20000);
    const std::string path = Make("my song.mp3", bytes);
    SongRecord record(path, true);
    EXPECT_EQ(record.GetTagFlags(), 0u);
    ASSERT_EQ(record.FrameCount(), 1);
    EXPECT_EQ(record.GetFrameAt(0)->Type(), kTPE1);
    EXPECT_EQ(SongRecord::MainText(record.GetFrameAt(0)), "My song.mp3");
    EXPECT_EQ(record.GetAudioSize(), 20000u);

    EXPECT_EQ(record.SaveTags(), Id3v2Error::NoError);
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(SongRecordFileTest, FailingReadsNeverYieldATagToSave) {
    const std::string bytes = Tag(Frame("TIT2", Text("T")), 100) + MpegAudio(5000);
    const std::string path = Make("r.mp3", bytes);
    for (int nth = 1; nth <= 4; ++nth) {
        FaultyFileSystem faulty;
        faulty.FailAt(FaultyFileSystem::Op::Read, nth);
        auto record = OpenUnder(faulty, path);
        // Either the tag was read whole, or the record refuses to save over it.
        EXPECT_TRUE(nth != 1 || record->HasUnreadableId3v2());
        if (record->HasId3v2()) {
            EXPECT_EQ(SongRecord::MainText(record->GetFrame(kTIT2)), "T") << nth;
        } else {
            EXPECT_TRUE(record->HasUnreadableId3v2()) << nth;
            record->AddFrame(std::make_unique<Id3v2FieldFrame>(kTALB, "New"), false);
            record->SetTagFlags(kTagId3v2);
            EXPECT_EQ(record->SaveTags(), Id3v2Error::TagCorrupt) << nth;
        }
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}

TEST_F(SongRecordFileTest, UnreadableTrailerIsNeverCutOff) {
    const std::string bytes = Tag(Frame("TIT2", Text("T")), 100) + MpegAudio(5000) + Id3v1Trailer("Old");
    const std::string path = Make("trailer.mp3", bytes);
    FaultyFileSystem faulty;
    faulty.FailAt(FaultyFileSystem::Op::Read, 2);  // the head reads, the trailer does not
    auto record = OpenUnder(faulty, path);
    EXPECT_TRUE(record->HasId3v2());
    EXPECT_FALSE(record->HasId3v1());
    record->UpdateFrame(Id3v2FieldFrame(kTIT2, "New"));
    EXPECT_EQ(record->SaveTags(), Id3v2Error::ReadFailed);
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(SongRecordFileTest, TagCutOffByTheEndOfTheFileIsNeverRewritten) {
    // A cut-off download: the header claims far more than the file holds.
    std::string bytes = Tag(Frame("TIT2", Text("Cut")), 100000);
    bytes.resize(5000);
    const std::string path = Make("cut.mp3", bytes);
    SongRecord record(path, true);
    EXPECT_EQ(record.GetAudioSize(), 0u);
    record.UpdateFrame(Id3v2FieldFrame(kTIT2, "Edited"));
    record.SetTagFlags(kTagId3v2);
    EXPECT_NE(record.SaveTags(), Id3v2Error::NoError);
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(SongRecordFileTest, TsizGivesTheSizeDelta) {
    const std::string tag = Tag(Frame("TSIZ", Text("999000")), 100);
    SongRecord record(Make("tsiz.mp3", tag + MpegAudio(1000000)), true);
    EXPECT_EQ(record.GetAudioSize(), 1000000u);
    EXPECT_EQ(record.GetSizeDelta(), 1000);

    const std::string huge = Tag(Frame("TSIZ", Text("99999999999999999999999")), 10);
    SongRecord overflow(Make("huge.mp3", huge + MpegAudio(1000)), true);
    EXPECT_LT(overflow.GetSizeDelta(), 0);
}

TEST_F(SongRecordFileTest, UnreadableTagIsNeverSavedOverButCanBeRemoved) {
    const std::string tags[] = {
        Tag(Frame("TIT2", Text("Future")), 50, 5),  // a version this system does not know
        // ID3v2.2 announced compression but never defined how it works.
        WithFlags(Tag(Frame("TT2\0", Text("Old")), 50, 2), 0x40)};
    for (int which = 0; which < 2; ++which) {
        const std::string bytes = tags[which] + MpegAudio(3000) + Id3v1Trailer("Old");
        const std::string path = Make("u" + std::to_string(which) + ".mp3", bytes);
        SongRecord record(path, true);
        const Id3v1Tag block = MakeBlock("New title");
        record.SetId3v1(&block);
        record.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, "New"), true);
        record.SetTagFlags(3);
        EXPECT_EQ(record.SaveTags(), Id3v2Error::TagCorrupt) << which;
        EXPECT_FALSE(record.CanSaveTags()) << which;
        EXPECT_FALSE(record.RemoveTagsAndSave(1)) << which;
        EXPECT_EQ(ReadBytes(path), bytes) << which;
        SongRecord fresh(path, true);
        EXPECT_TRUE(fresh.RemoveTagsAndSave(2)) << which;
        EXPECT_EQ(ReadBytes(path), MpegAudio(3000) + Id3v1Trailer("Old")) << which;
        // Once removed, the record saves normally again.
        fresh.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, "Fresh"), true);
        fresh.SetTagFlags(fresh.GetTagFlags() | kTagId3v2);
        EXPECT_EQ(fresh.SaveTags(), Id3v2Error::NoError);
    }
}

TEST_F(SongRecordFileTest, CarriedFramesSurviveATitleEdit) {
    const std::string txxx = std::string("\0Mood\0Calm", 10);
    const std::string priv = std::string("owner.example\0\x01\x02\x03\x00\xFF", 19);
    const std::string frames = Frame("TIT2", Text("Old")) + Frame("TXXX", txxx) + Frame("PRIV", priv) +
                               Frame("TPE1", Text("Artist"));
    const std::string path = Make("carried.mp3", Tag(frames, 20) + MpegAudio(4000));
    SongRecord record(path, true);
    ASSERT_EQ(record.FrameCount(), 2);
    ASSERT_EQ(record.CarriedFrames().size(), 2u);

    Id3v2FieldFrame title(kTIT2, "A much longer new title than the padding allows");
    EXPECT_TRUE(record.UpdateFrame(title));
    EXPECT_EQ(record.SaveTags(), Id3v2Error::NoError);

    SongRecord reread(path, true);
    EXPECT_EQ(SongRecord::MainText(reread.GetFrame(kTIT2)), title.Fields()[0]);
    ASSERT_EQ(reread.CarriedFrames().size(), 2u);
    EXPECT_STREQ(reread.CarriedFrames()[1].id, "PRIV");
    EXPECT_EQ(std::string(reread.CarriedFrames()[1].body.begin(), reread.CarriedFrames()[1].body.end()),
              priv);
    const std::string after = ReadBytes(path);
    EXPECT_EQ(after.substr(after.size() - 4000), MpegAudio(4000));
}

// The record's frames and carried frames, each as identifier and body.
std::vector<std::string> Snapshot(const SongRecord& record) {
    std::vector<std::string> out;
    for (const auto& frame : record.Frames()) {
        std::string body(static_cast<size_t>(frame->GetSize()), '\0');
        frame->GetData(reinterpret_cast<uint8_t*>(&body[0]), static_cast<int>(body.size()));
        out.push_back(std::string(frame->Id()) + "=" + body);
    }
    for (const CarriedFrame& frame : record.CarriedFrames()) {
        out.push_back(std::string("carried ") + frame.id + "=" +
                      std::string(frame.body.begin(), frame.body.end()));
    }
    return out;
}

TEST_F(SongRecordFileTest, DamagedTagsAreReadAndSavedWithoutLoss) {
    const std::string picture = std::string("\0image/png\0\x03\0\x89PNG", 18);
    const std::string badEncoding = std::string("\x07", 1) + "Broken";
    const std::string text = Frame("TIT2", Text("Title")) + Frame("TPE1", Text("Artist")) +
                             Frame("TALB", Text("Album")) + Frame("TRCK", Text("3")) +
                             Frame("TCON", Text("Jazz")) + Frame("COMM", std::string("\0eng\0Nice", 9));
    const std::string empties = Frame("TENC", std::string(1, '\x01')) + Frame("TCOP", "") +
                                Frame("WXXX", std::string(2, '\0')) + Frame("TENC", "");
    struct Case {
        const char* what;
        std::string tag;
        size_t kept;
    } cases[] = {
        {"empty and short frames first", Tag(empties + text, 40, 4), 8},
        {"extended header flag without one", WithFlags(Tag(text, 40, 4), 0x40), 6},
        {"empty frame before a picture", Tag(Frame("TPE1", "") + Frame("APIC", picture), 0), 1},
        {"bad frame last", Tag(text + Frame("TCOP", badEncoding), 20), 6},
        {"all at once",
         WithFlags(Tag(empties + Frame("APIC", picture) + text + Frame("TCOP", badEncoding), 0, 4), 0x40), 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Make("damaged.mp3", c.tag + MpegAudio(3000));
        SongRecord record(path, true);
        EXPECT_FALSE(record.HasUnreadableId3v2());
        EXPECT_EQ(record.GetAudioSize(), 3000u);
        EXPECT_EQ(static_cast<size_t>(record.FrameCount()), c.kept);
        const std::vector<std::string> before = Snapshot(record);
        ASSERT_EQ(record.SaveTags(), Id3v2Error::NoError);

        // Everything read is written: the frames, the size frame the save
        // adds and the carried frames; the header flags are cleared.
        std::vector<std::string> expected = before;
        expected.insert(expected.begin() + static_cast<long>(c.kept), "TSIZ=" + Text("3000"));
        SongRecord reread(path, true);
        EXPECT_EQ(Snapshot(reread), expected);
        const std::string after = ReadBytes(path);
        EXPECT_EQ(after.substr(0, 6), std::string("ID3\x03\0\0", 6));
        EXPECT_EQ(after.substr(after.size() - 3000), MpegAudio(3000));
    }
}

TEST_F(SongRecordFileTest, NewTextReplacesAnUndecodableFrameOfItsType) {
    const std::string bad = std::string("\x07", 1) + "Broken";
    const std::string path =
        Make("twin.mp3", Tag(Frame("TPE1", bad) + Frame("TIT2", Text("T")), 30) + MpegAudio(2000));
    SongRecord record(path, true);
    ASSERT_EQ(record.CarriedFrames().size(), 1u);
    EXPECT_TRUE(record.UpdateFrame(Id3v2FieldFrame(kTPE1, "Artist")));
    EXPECT_TRUE(record.CarriedFrames().empty());
    ASSERT_EQ(record.SaveTags(), Id3v2Error::NoError);
    SongRecord reread(path, true);
    EXPECT_EQ(SongRecord::MainText(reread.GetFrame(kTPE1)), "Artist");
    EXPECT_TRUE(reread.CarriedFrames().empty());
}

TEST_F(SongRecordFileTest, FailedId3v1StepIsReported) {
    const std::string bytes = MpegAudio(3000) + Id3v1Trailer("Old");
    const std::string path = Make("v1.mp3", bytes);
    for (bool remove : {false, true}) {
        WriteBytes(path, bytes);
        SongRecord record(path, true);
        const Id3v1Tag block = MakeBlock("New");
        if (remove)
            record.RemoveTags(1);
        else
            record.SetId3v1(&block);
        FaultyFileSystem counting;
        {
            ScopedFs scoped(counting);
            ASSERT_EQ(record.SaveTags(), Id3v2Error::NoError);
        }
        // The last open is the ID3v1 step's.
        const int opens = counting.Count(FaultyFileSystem::Op::Open);
        WriteBytes(path, bytes);
        FaultyFileSystem faulty;
        faulty.FailFrom(FaultyFileSystem::Op::Open, opens);
        {
            ScopedFs scoped(faulty);
            EXPECT_EQ(record.SaveTags(), Id3v2Error::WriteFailed) << remove;
            EXPECT_FALSE(record.RemoveTagsAndSave(1)) << remove;
        }
        EXPECT_EQ(ReadBytes(path), bytes) << remove;
    }
}

TEST_F(SongRecordFileTest, CarriedFramesFollowACopyAndKeepTheTag) {
    const std::string frames = Frame("TIT2", Text("T")) + Frame("TXXX", std::string("\0k\0v", 4));
    const std::string path = Make("c.mp3", Tag(frames, 10) + MpegAudio(1000));
    SongRecord fresh(path, true);
    SongRecord listed(path, false);
    listed.CopyFrom(fresh);
    ASSERT_EQ(listed.CarriedFrames().size(), 1u);
    listed.UpdateFrame(Id3v2FieldFrame(kTIT2, "Edited"));
    EXPECT_EQ(listed.SaveTags(), Id3v2Error::NoError);
    SongRecord record(path, true);
    EXPECT_EQ(record.CarriedFrames().size(), 1u);
    // Removing every kept frame still leaves a tag for the carried one.
    EXPECT_TRUE(record.RemoveFrame(kTIT2, nullptr));
    EXPECT_TRUE(record.HasId3v2());
    EXPECT_EQ(record.SaveTags(), Id3v2Error::NoError);
    SongRecord reread(path, true);
    EXPECT_EQ(reread.CarriedFrames().size(), 1u);
    EXPECT_EQ(reread.GetFrame(kTIT2), nullptr);
}

TEST_F(SongRecordFileTest, Id3v1ToId3v2MakesAllSevenFrames) {
    const std::string path = Make("v1.mp3", MpegAudio(2000) + Id3v1Trailer("Song", "  ", "", "1999", "", 17));
    SongRecord record(path, true);
    ASSERT_EQ(record.GetTagFlags(), kTagId3v1);
    EXPECT_TRUE(record.CopyId3v1ToId3v2());
    EXPECT_EQ(record.GetTagFlags(), 3u);
    EXPECT_EQ(SongRecord::MainText(record.GetFrame(kTIT2)), "Song");
    EXPECT_EQ(SongRecord::MainText(record.GetFrame(kTCON)), "Rock");
    EXPECT_EQ(SongRecord::MainText(record.GetFrame(kTPE1)), "");  // blank counts as empty
    ASSERT_NE(record.GetFrame(kTRCK), nullptr);

    SongRecord reread(path, true);
    EXPECT_EQ(reread.GetTagFlags(), 3u);
    EXPECT_EQ(reread.GetAudioSize(), 2000u);
}

TEST_F(SongRecordFileTest, Id3v1ToId3v2WithoutAnId3v1TagChangesNothing) {
    const std::string path = Make("none.mp3", MpegAudio(2000));
    SongRecord record(path, true);
    ASSERT_EQ(record.GetTagFlags(), 0u);
    EXPECT_FALSE(record.CopyId3v1ToId3v2());
    EXPECT_EQ(record.GetTagFlags(), 0u);
    EXPECT_EQ(record.GetFrame(kTIT2), nullptr);
}

TEST_F(SongRecordFileTest, Id3v2ToId3v1CutsFieldsAndParsesNumbers) {
    const std::string frames = Frame("TIT2", Text(std::string(40, 'x'))) + Frame("TYER", Text("20245")) +
                               Frame("TRCK", Text("3/12")) + Frame("TCON", Text("Not a genre")) +
                               Frame("COMM", std::string("\0eng\0Nice", 9));
    const std::string path = Make("v2.mp3", Tag(frames, 10) + MpegAudio(2000));
    SongRecord record(path, true);
    EXPECT_TRUE(record.CopyId3v2ToId3v1());
    const Id3v1Tag* block = record.GetId3v1();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(block->title), std::string(30, 'x'));
    EXPECT_STREQ(block->year, "2024");
    EXPECT_STREQ(block->comment, "Nice");
    EXPECT_EQ(block->genre, 0);

    SongRecord reread(path, true);
    ASSERT_NE(reread.GetId3v1(), nullptr);
    EXPECT_EQ(reread.GetId3v1()->track, 3u);
    EXPECT_EQ(reread.GetAudioSize(), 2000u);
}

TEST(SongRecordPlaylist, RecordRoundTripCarriesFlagsSizesAndStream) {
    SongRecord source("dir/song.mp3", false);
    source.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, "t"), false);
    source.AddFrame(std::make_unique<Id3v2BinaryFrame>(kPOPM), false);
    source.AddFrame(std::make_unique<Id3v2FieldFrame>(kCOMM, "c"), false);
    source.SetTagFlags(3);
    MpegInfo& mpeg = source.GetMpegInfo();
    int32_t* fields = &mpeg.fileSize;
    for (int i = 0; i < 19; ++i) fields[i] = 1000 + i;
    SongFileRecord r;
    std::memset(&r, 0xCC, sizeof r);
    source.ToPlaylistRecord(r);
    EXPECT_EQ(r.fieldFrameCount, 2u);
    EXPECT_EQ(r.nameLength, 12u);
    EXPECT_EQ(r.sizeDelta, 0);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&r);
    EXPECT_EQ(bytes[20], 1000 & 0xFF);  // fileSize at offset 20, little-endian
    EXPECT_EQ(bytes[21], 1000 >> 8);

    r.audioSize = 123456;
    r.sizeDelta = -77;
    SongRecord target("other.mp3", false);
    target.FromPlaylistRecord(r);
    EXPECT_EQ(target.GetAudioSize(), 123456u);
    EXPECT_EQ(target.GetSizeDelta(), -77);
    EXPECT_EQ(std::memcmp(&target.GetMpegInfo(), &mpeg, sizeof mpeg), 0);
    EXPECT_EQ(target.FrameCount(), 0);
}

}  // namespace
}  // namespace td
