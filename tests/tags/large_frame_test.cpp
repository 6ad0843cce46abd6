// Frame bodies too large to hold in memory (big pictures): left in the file
// when the tag is read, copied across block by block when it is rewritten.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "support/test_support.h"
#include "tags/id3v2/id3v2_tag.h"
#include "tags/mpeg/memory_file.h"
#include "tags/song_record.h"

namespace td {
namespace {

using test::BigEndian;
using test::Id3Frame;
using test::Id3Tag;
using test::MpegAudio;
using test::ReadBytes;
using test::Synchsafe;
using test::TempDir;
using test::WriteBytes;

// Every frame of the tag at the head of `bytes` as identifier and ID3v2.3
// body, read with bodies over `largeBody` left in the file, each such body
// completed from `bytes`.
std::vector<std::pair<std::string, std::string>> ReadLeavingInFile(const std::string& bytes,
                                                                   uint32_t largeBody, size_t& leftInFile) {
    MemoryFile file(bytes);
    FrameList frames;
    CarriedFrameList carried;
    uint32_t tagSize = 0;
    EXPECT_EQ(ReadId3v2Frames(file, frames, tagSize, &carried, largeBody), Id3v2Error::NoError);
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& frame : frames) {
        std::string body(static_cast<size_t>(frame->GetSize()), '\0');
        frame->GetData(reinterpret_cast<uint8_t*>(&body[0]), static_cast<int>(body.size()));
        out.emplace_back(frame->Id(), body);
    }
    leftInFile = 0;
    for (const CarriedFrame& frame : carried) {
        std::string body(frame.body.begin(), frame.body.end());
        if (frame.InFile()) {
            ++leftInFile;
            EXPECT_LE(frame.fileOffset + frame.fileBytes, bytes.size());
            body += bytes.substr(static_cast<size_t>(frame.fileOffset), frame.fileBytes);
        }
        const std::string status = frame.status != 0 ? " status " + std::to_string(frame.status) : "";
        out.emplace_back(frame.id + status, body);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string FindBody(const std::vector<std::pair<std::string, std::string>>& frames, const std::string& id) {
    for (const auto& frame : frames) {
        if (frame.first == id) return frame.second;
    }
    return "<none>";
}

// One way a big picture is stored: its frame, and the APIC body the reader
// delivers for it in ID3v2.3 form.
struct PictureCase {
    const char* name;
    int major;
    std::string frame;
    std::string expected;
};

std::vector<PictureCase> PictureCases(const std::string& picture) {
    const std::string apic = std::string("\0image/jpeg\0\x03", 13) + std::string("Cover\0", 6) + picture;
    const std::string utf8 = std::string("\x03image/png\0\x03", 12) + "B\xC3\xBCld" + '\0' + picture;
    const std::string utf16 = std::string("\x01image/png\0\x03", 12) +
                              std::string(
                                  "\xFF\xFE"
                                  "B\0\xFC\0l\0d\0\0\0",
                                  12) +
                              picture;
    const std::string utf16be =
        std::string("\x02image/png\0\x03", 12) + std::string("\0B\0\xFC\0l\0d\0\0", 10) + picture;
    return {
        {"ID3v2.3", 3, Id3Frame(3, "APIC", apic), apic},
        {"ID3v2.2 picture", 2, Id3Frame(2, "PIC", std::string("\0JPG\x03", 5) + "Cover" + '\0' + picture),
         apic},
        {"ID3v2.4 UTF-8 description", 4, Id3Frame(4, "APIC", utf8), utf16},
        {"ID3v2.4 UTF-16BE description", 4, Id3Frame(4, "APIC", utf16be), utf16},
        {"ID3v2.4 group, data length and UTF-8", 4,
         Id3Frame(4, "APIC", "\x07" + Synchsafe(static_cast<uint32_t>(utf8.size())) + utf8, 0, 0x41), utf16},
    };
}

std::string TitleFrame(int major, const std::string& title) {
    return Id3Frame(major, major == 2 ? "TT2" : "TIT2", std::string(1, '\0') + title);
}

std::string ArtistFrame(int major) {
    return Id3Frame(major, major == 2 ? "TP1" : "TPE1", std::string("\0Artist", 7));
}

class LargeFrameTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(LargeFrameTest, BigPictureStaysInTheFileAndSurvivesARetitleByteForByte) {
    const std::string picture = test::NoiseBytes(kLargeFrameBody + 300000);
    const std::string audio = MpegAudio(50000);
    for (const PictureCase& c : PictureCases(picture)) {
        SCOPED_TRACE(c.name);
        const std::string frames = TitleFrame(c.major, "Old") + c.frame + ArtistFrame(c.major);
        const std::string path = dir_.Path("song.mp3");
        ASSERT_TRUE(WriteBytes(path, Id3Tag(c.major, frames, 200) + audio + test::Id3v1Trailer("Old title")));

        SongRecord record(path, true);
        EXPECT_EQ(SongRecord::MainText(record.GetFrame(kTIT2)), "Old");
        EXPECT_EQ(SongRecord::MainText(record.GetFrame(kTPE1)), "Artist");
        EXPECT_EQ(record.GetFrame(kAPIC), nullptr);
        ASSERT_EQ(record.CarriedFrames().size(), 1u);
        const CarriedFrame& left = record.CarriedFrames()[0];
        EXPECT_STREQ(left.id, "APIC");
        EXPECT_TRUE(left.InFile());
        EXPECT_EQ(left.Size(), c.expected.size());
        EXPECT_LT(left.body.size(), 100u);

        // A short title fits the padding, but the picture is copied, not
        // overwritten in place.
        Id3v2FieldFrame title(kTIT2, "New");
        EXPECT_TRUE(record.UpdateFrame(title));
        ASSERT_EQ(record.SaveTags(), Id3v2Error::NoError);

        const std::string after = ReadBytes(path);
        size_t inFile = 0;
        const auto reread = ReadLeavingInFile(after, UINT32_MAX, inFile);
        EXPECT_TRUE(FindBody(reread, "APIC") == c.expected);
        EXPECT_EQ(FindBody(reread, "TIT2"), std::string("\0New", 4));
        EXPECT_EQ(FindBody(reread, "TPE1"), std::string("\0Artist", 7));
        ASSERT_GE(after.size(), audio.size() + 128);
        EXPECT_TRUE(after.substr(after.size() - 128 - audio.size(), audio.size()) == audio);
        // Nothing but the new tag comes before the audio.
        MemoryFile written(after);
        Id3v2Header header;
        ASSERT_EQ(ReadId3v2Header(written, header), Id3v2Error::NoError);
        EXPECT_EQ(after.size(), 10 + header.size + audio.size() + 128);

        // Read again, the copy is left in the new file just the same.
        SongRecord again(path, true);
        ASSERT_EQ(again.CarriedFrames().size(), 1u);
        EXPECT_TRUE(again.CarriedFrames()[0].InFile());
        EXPECT_EQ(SongRecord::MainText(again.GetFrame(kTIT2)), "New");
        EXPECT_FALSE(test::HasTemporaryFiles(dir_.path()));
    }
}

// The picture's body ends where the file ends: no padding, no audio.
TEST_F(LargeFrameTest, FileThatIsATagEndingInTheBigPictureIsRewritten) {
    const std::string apic = std::string("\0image/png\0\x03\0", 13) + test::NoiseBytes(kLargeFrameBody + 10);
    const std::string path = dir_.Path("cover.mp3");
    ASSERT_TRUE(WriteBytes(path, Id3Tag(3, TitleFrame(3, "Old") + Id3Frame(3, "APIC", apic))));
    SongRecord record(path, true);
    ASSERT_EQ(record.CarriedFrames().size(), 1u);
    Id3v2FieldFrame title(kTIT2, "A longer title");
    EXPECT_TRUE(record.UpdateFrame(title));
    ASSERT_EQ(record.SaveTags(), Id3v2Error::NoError);

    size_t inFile = 0;
    const auto reread = ReadLeavingInFile(ReadBytes(path), UINT32_MAX, inFile);
    EXPECT_TRUE(FindBody(reread, "APIC") == apic);
    EXPECT_EQ(FindBody(reread, "TIT2"), std::string("\0A longer title", 15));
}

TEST_F(LargeFrameTest, FileChangedSinceReadingIsNotSavedOver) {
    const std::string picture = test::NoiseBytes(kLargeFrameBody + 1000);
    const std::string apic = std::string("\0image/png\0\x03\0", 13) + picture;
    const std::string path = dir_.Path("song.mp3");
    const std::string audio = MpegAudio(20000);
    ASSERT_TRUE(WriteBytes(path, Id3Tag(3, TitleFrame(3, "Old") + Id3Frame(3, "APIC", apic), 100) + audio));
    SongRecord record(path, true);
    ASSERT_EQ(record.CarriedFrames().size(), 1u);

    struct Change {
        const char* name;
        std::string bytes;
    };
    std::string lastBytes = picture;
    lastBytes.back() = static_cast<char>(lastBytes.back() ^ 1);
    const Change changes[] = {
        {"picture moved",
         Id3Tag(3, TitleFrame(3, "A longer title") + Id3Frame(3, "APIC", apic), 100) + audio},
        {"picture replaced",
         Id3Tag(3, TitleFrame(3, "Old") + Id3Frame(3, "APIC", apic.substr(0, 13) + lastBytes), 100) + audio},
        {"file cut", Id3Tag(3, TitleFrame(3, "Old"), 100) + audio},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        ASSERT_TRUE(WriteBytes(path, change.bytes));
        Id3v2FieldFrame title(kTIT2, "Mine");
        record.UpdateFrame(title);
        EXPECT_EQ(record.SaveTags(), Id3v2Error::ReadFailed);
        EXPECT_EQ(LastFileError(), kReasonChanged);
        EXPECT_TRUE(ReadBytes(path) == change.bytes);
        EXPECT_FALSE(test::HasTemporaryFiles(dir_.path()));
    }
}

TEST(LargeFrameReader, LeavingBodiesInTheFileDeliversTheSameFrames) {
    const std::string blob = test::NoiseBytes(3000);
    const std::string geob =
        std::string("\x03", 1) + "application/x-data" + '\0' + "n\xC3\xA4me" + '\0' + "d" + '\0' + blob;
    const std::string owner("o\0", 2);
    const std::string ufid("u\0", 2);
    const std::string text = std::string("\0Title", 6);
    const std::string big = std::string(1, '\0') + std::string(2000, 'x');
    struct Case {
        const char* name;
        std::string tag;
        size_t leftInFile;
    };
    const std::string ext23 = BigEndian(6, 4) + std::string(6, '\0');
    const std::string ext24 = Synchsafe(6) + std::string("\x01\x00", 2);
    const Case cases[] = {
        {"ID3v2.3 binary and text",
         Id3Tag(3,
                Id3Frame(3, "TIT2", text) + Id3Frame(3, "PRIV", owner + blob) + Id3Frame(3, "TXXX", big) +
                    Id3Frame(3, "UFID", ufid + blob),
                10),
         3},
        {"ID3v2.3 extended header", Id3Tag(3, ext23 + Id3Frame(3, "PRIV", owner + blob), 0, 0x40), 1},
        {"ID3v2.3 compressed, encrypted, grouped",
         Id3Tag(3,
                Id3Frame(3, "PRIV", BigEndian(5000, 4) + blob, 0, 0x80) +
                    Id3Frame(3, "PRIV", "\x05" + blob, 0, 0x40) +
                    Id3Frame(3, "PRIV", "\x09" + owner + blob, 0, 0x20),
                4),
         3},
        {"ID3v2.3 discarded on change",
         Id3Tag(3, Id3Frame(3, "PRIV", owner + blob, 0x80) + Id3Frame(3, "TIT2", text), 0), 0},
        {"ID3v2.4 discarded on change",
         Id3Tag(4, Id3Frame(4, "PRIV", owner + blob, 0x40) + Id3Frame(4, "TIT2", text), 0), 0},
        {"ID3v2.4 extended header and UTF-8 object", Id3Tag(4, ext24 + Id3Frame(4, "GEOB", geob), 3, 0x40),
         1},
        {"ID3v2.4 status flags",
         Id3Tag(4,
                Id3Frame(4, "PRIV", owner + blob, 0x30) + Id3Frame(4, "PRIV", ufid + blob, 0x8F) +
                    Id3Frame(4, "TIT2", text),
                0),
         2},
        // The file name and the description are converted, however the data reads.
        {"ID3v2.4 UTF-8 object with data free of zeros",
         Id3Tag(4, Id3Frame(4, "GEOB", std::string("\x03" "a/b\0f\0d\0", 9) + std::string(5000, 'x'))), 1},
        {"ID3v2.4 plain sizes", Id3Tag(4, Id3Frame(3, "PRIV", owner + blob) + Id3Frame(3, "TIT2", text), 0),
         1},
        {"ID3v2.4 UTF-8 text is decoded",
         Id3Tag(4,
                Id3Frame(4, "TXXX", std::string("\x03k\0", 3) + std::string(2000, 'y')) +
                    Id3Frame(4, "SEEK", blob),
                0),
         0},
        {"ID3v2.4 unsynchronised", Id3Tag(4, Id3Frame(4, "PRIV", owner + blob, 0, 0x02), 0), 0},
        {"ID3v2.4 Latin-1 comment", Id3Tag(4, Id3Frame(4, "COMM", std::string("\0eng\0", 5) + big)), 1},
        {"ID3v2.4 UTF-8 comment is decoded", Id3Tag(4, Id3Frame(4, "COMM", std::string("\3eng\0", 5) + big)), 0},
        // The UTF-16BE description does not end inside the sample read.
        {"ID3v2.4 picture description longer than the sample",
         Id3Tag(4, Id3Frame(4, "APIC",
                            std::string("\x02image/png\0\x03", 12) + std::string(5000, 'd') +
                                std::string(2, '\0') + blob)),
         0},
        {"ID3v2.3 unsynchronised tag", Id3Tag(3, Id3Frame(3, "PRIV", owner + blob), 0, 0x80), 0},
        {"ID3v2.2",
         Id3Tag(2, Id3Frame(2, "UFI", ufid + blob) + Id3Frame(2, "XYZ", blob) + Id3Frame(2, "TT2", text), 0),
         1},
        {"frame overruns the tag", Id3Tag(3, Id3Frame(3, "PRIV", owner + blob), 0).substr(0, 2000), 0},
        {"last frame longer than the tag by less than a header",
         Id3Tag(3, Id3Frame(3, "TIT2", text) + "PRIV" + BigEndian(owner.size() + blob.size() + 5, 4) +
                       std::string(2, '\0') + owner + blob,
                0),
         0},
        {"ID3v2.4 extended header without its flag", Id3Tag(4, ext24 + Id3Frame(4, "PRIV", owner + blob), 0), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = c.tag + MpegAudio(1000);
        size_t whole = 0;
        const auto expected = ReadLeavingInFile(bytes, UINT32_MAX, whole);
        EXPECT_EQ(whole, 0u);
        size_t left = 0;
        const auto delivered = ReadLeavingInFile(bytes, 1000, left);
        EXPECT_EQ(left, c.leftInFile);
        EXPECT_TRUE(delivered == expected);
    }
}

}  // namespace
}  // namespace td
