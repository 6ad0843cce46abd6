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
using test::Id3Tag;
using test::Id3v1Trailer;
using test::MpegAudio;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using test::WriteBytes;

std::string Frame(const char* id, const std::string& body) { return test::Id3Frame(3, id, body); }

std::string Text(const std::string& value) { return std::string(1, '\0') + value; }

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
    TempDir dir_;
};

TEST_F(SongRecordFileTest, FailingReadsNeverYieldATagToSave) {
    const std::string bytes = Id3Tag(3, Frame("TIT2", Text("T")), 100) + MpegAudio(5000);
    const std::string path = Make("r.mp3", bytes);
    for (int nth = 0; nth <= 4; ++nth) {
        FaultyFileSystem faulty;
        // Step 0: the file does not open at all.
        faulty.FailAt(nth == 0 ? FaultyFileSystem::Op::Open : FaultyFileSystem::Op::Read, std::max(nth, 1));
        auto record = OpenUnder(faulty, path);
        // Either the tag was read whole, or the record refuses to save over it.
        EXPECT_TRUE(nth > 1 || record->HasUnreadableId3v2()) << nth;
        EXPECT_TRUE(nth > 1 || record->GetAudioSize() == bytes.size()) << nth;
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
    const std::string bytes =
        Id3Tag(3, Frame("TIT2", Text("T")), 100) + MpegAudio(5000) + Id3v1Trailer("Old");
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

TEST_F(SongRecordFileTest, TsizGivesTheSizeDelta) {
    // The ID3v1 trailer is no audio. The TSIZ frame lies past the first block
    // the record reads.
    const std::string tag = Id3Tag(3, Frame("PRIV", std::string(20000, 'p')) + Frame("TSIZ", Text("999000")), 100);
    SongRecord record(Make("tsiz.mp3", tag + MpegAudio(1000000) + Id3v1Trailer("T")), true);
    EXPECT_EQ(record.GetAudioSize(), 1000000u);
    EXPECT_EQ(record.GetSizeDelta(), 1000);

    const std::string huge = Id3Tag(3, Frame("TSIZ", Text("99999999999999999999999")), 10);
    SongRecord overflow(Make("huge.mp3", huge + MpegAudio(1000)), true);
    EXPECT_LT(overflow.GetSizeDelta(), 0);
}

TEST_F(SongRecordFileTest, UnreadableTagIsNeverSavedOverButCanBeRemoved) {
    const std::string tags[] = {
        Id3Tag(5, Frame("TIT2", Text("Future")), 50),  // a version this system does not know
        // ID3v2.2 announced compression but never defined how it works.
        Id3Tag(2, test::Id3Frame(2, "TT2", Text("Old")), 50, 0x40)};
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
        {"empty frame before a picture", Id3Tag(3, Frame("TPE1", "") + Frame("APIC", picture), 0), 1},
        {"bad frame last", Id3Tag(3, text + Frame("TCOP", badEncoding), 20), 6},
        {"all at once",
         Id3Tag(4, empties + Frame("APIC", picture) + text + Frame("TCOP", badEncoding), 0, 0x40), 9},
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
        Make("twin.mp3", Id3Tag(3, Frame("TPE1", bad) + Frame("TIT2", Text("T")), 30) + MpegAudio(2000));
    SongRecord record(path, true);
    ASSERT_EQ(record.CarriedFrames().size(), 1u);
    EXPECT_TRUE(record.UpdateFrame(Id3v2FieldFrame(kTPE1, "Artist")));
    EXPECT_TRUE(record.CarriedFrames().empty());
    // A frame added in place of the first frame of its type replaces it.
    EXPECT_TRUE(record.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, "Title"), true));
    EXPECT_EQ(record.FrameCount(), 2);
    ASSERT_EQ(record.SaveTags(), Id3v2Error::NoError);
    SongRecord reread(path, true);
    EXPECT_EQ(SongRecord::MainText(reread.GetFrame(kTPE1)), "Artist");
    EXPECT_EQ(SongRecord::MainText(reread.GetFrame(kTIT2)), "Title");
    EXPECT_TRUE(reread.CarriedFrames().empty());
}

TEST_F(SongRecordFileTest, CommentEditKeepsLanguageAndDescriptionSoNoTwinsAppear) {
    const std::string note = std::string("\0fra", 4) + "note" + std::string(1, '\0') + "Deux";
    const std::string plain = std::string("\0eng", 4) + std::string(1, '\0') + "Un";
    const std::string path =
        Make("comments.mp3", Id3Tag(3, Frame("COMM", note) + Frame("COMM", plain), 30) + MpegAudio(2000));
    SongRecord record(path, true);
    EXPECT_TRUE(record.UpdateFrame(Id3v2FieldFrame(kCOMM, "New")));
    EXPECT_FALSE(record.UpdateFrame(Id3v2FieldFrame(kCOMM, "New")));
    ASSERT_EQ(record.SaveTags(), Id3v2Error::NoError);
    SongRecord reread(path, true);
    const int at = reread.FindFrame(kCOMM, -1);
    const int next = reread.FindFrame(kCOMM, at);
    ASSERT_GE(next, 0);
    EXPECT_LT(reread.FindFrame(kCOMM, next), 0);
    const auto* first = static_cast<const Id3v2FieldFrame*>(reread.GetFrameAt(at));
    const auto* second = static_cast<const Id3v2FieldFrame*>(reread.GetFrameAt(next));
    EXPECT_EQ(first->LanguageText(), "fra");
    EXPECT_EQ(first->Fields(), (std::vector<std::string>{"note", "New"}));
    EXPECT_EQ(second->LanguageText(), "eng");
    EXPECT_EQ(second->Fields(), (std::vector<std::string>{"", "Un"}));

    // A comment read without its text has one field: it takes the new frame whole.
    const std::string bare = std::string("\0deu", 4) + "only";
    SongRecord other(Make("bare.mp3", Id3Tag(3, Frame("COMM", bare), 30) + MpegAudio(2000)), true);
    EXPECT_TRUE(other.UpdateFrame(Id3v2FieldFrame(kCOMM, "New")));
    EXPECT_EQ(SongRecord::MainText(other.GetFrame(kCOMM)), "New");
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
    const std::string path = Make("c.mp3", Id3Tag(3, frames, 10) + MpegAudio(1000));
    SongRecord fresh(path, true);
    SongRecord listed(path, false);
    listed.CopyFrom(fresh);
    ASSERT_EQ(listed.CarriedFrames().size(), 1u);
    listed.UpdateFrame(Id3v2FieldFrame(kTIT2, "Edited"));
    EXPECT_EQ(listed.SaveTags(), Id3v2Error::NoError);
    SongRecord record(path, true);
    EXPECT_EQ(record.CarriedFrames().size(), 1u);
    // Removing every kept frame (the title, and the size the save added)
    // still leaves a tag for the carried one.
    EXPECT_TRUE(record.RemoveFrame(kTIT2, nullptr));
    EXPECT_TRUE(record.RemoveFrame(kTSIZ, nullptr));
    ASSERT_TRUE(record.Frames().empty());
    EXPECT_TRUE(record.HasId3v2());
    EXPECT_EQ(record.SaveTags(), Id3v2Error::NoError);
    SongRecord reread(path, true);
    EXPECT_EQ(reread.CarriedFrames().size(), 1u);
    EXPECT_EQ(reread.GetFrame(kTIT2), nullptr);
}

}  // namespace
}  // namespace td
