// ID3v2.3 writing and removal: bytes written, in-place vs temporary file, and
// no failure anywhere leaves a changed original or a temporary file behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_stream.h"
#include "tags/id3v2/id3v2_tag.h"
#include "tests/support/test_support.h"

namespace td {
namespace {

using test::BigEndian;
using test::FaultyFileSystem;
using test::Id3v1Trailer;
using test::ReadBytes;
using test::ScopedFs;
using test::Synchsafe;
using test::TempDir;
using test::WriteBytes;
using Op = FaultyFileSystem::Op;

std::string TagHeader(uint8_t major, uint8_t flags, uint32_t size) {
    return std::string("ID3") + char(major) + '\0' + char(flags) + Synchsafe(size);
}

std::string FrameBytes(const std::string& id, const std::string& body, uint8_t status = 0,
                       uint8_t format = 0) {
    return test::Id3Frame(3, id, body, status, format);
}

// An old ID3v2 tag of `size` bytes after its header: one title frame, then zeros.
std::string OldTag(uint32_t size, uint8_t major = 3, uint8_t flags = 0) {
    std::string tag = TagHeader(major, flags, size) + FrameBytes("TIT2", std::string("\0Old", 4));
    tag.resize(10 + size, '\0');
    return tag;
}

// A title frame and a size frame whose bytes with headers total `total`.
FrameList FramesTotalling(size_t total) {
    FrameList frames;
    const size_t sizeFrame = 10 + 1 + 4;  // TSIZ "1234"
    frames.emplace_back(new Id3v2FieldFrame(kTIT2, std::string(total - sizeFrame - 11, 'x')));
    frames.emplace_back(new Id3v2FieldFrame(kTSIZ, "1234"));
    return frames;
}

std::string ExpectedFrames(size_t total) {
    return FrameBytes("TIT2", '\0' + std::string(total - 26, 'x')) +
           FrameBytes("TSIZ", '\0' + std::string("1234"));
}

class Id3v2WriterTest : public ::testing::Test {
protected:
    std::string Make(const std::string& bytes, const std::string& name = "song.mp3") {
        const std::string path = dir_.Path(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    bool TemporaryLeft() const { return test::HasTemporaryFiles(dir_.path()); }
    static Id3v2Error WriteUnder(FaultyFileSystem& fs, const std::string& path, FrameList& frames,
                                 uint32_t audioSize = 0) {
        ScopedFs use(fs);
        return WriteId3v2(path, frames, true, audioSize);
    }
    static CarriedFrame Carried(const char* id, std::vector<uint8_t> body, uint8_t status = 0,
                                uint8_t format = 0) {
        CarriedFrame frame;
        std::memcpy(frame.id, id, std::strlen(id));
        frame.body = std::move(body);
        frame.status = status;
        frame.format = format;
        return frame;
    }
    TempDir dir_;
};

TEST_F(Id3v2WriterTest, TagIsWrittenInPlaceOrThroughTheTemporaryFile) {
    // Frames that fit go over the old region with zero padding; larger ones, or a
    // file without a tag, get 128 bytes of padding through the temporary file.
    // Old header flags (unsynchronisation, extended header, footer) are dropped.
    const std::string v24Footer =
        OldTag(300, 4, 0x10) + "3DI" + std::string(1, 4) + '\0' + char(0x10) + Synchsafe(300);
    struct Case {
        const char* name;
        std::string oldTag, audio;
        size_t total, size;
        int replaces;
    } cases[] = {
        {"fits", OldTag(2000), test::NoiseBytes(5000) + Id3v1Trailer("Title"), 1500, 2000, 0},
        {"fills exactly", OldTag(2000), test::NoiseBytes(5000), 2000, 2000, 0},
        // More than one copy block of audio.
        {"too large", OldTag(2000), test::NoiseBytes(700000) + Id3v1Trailer("Title"), 2001, 2129, 1},
        {"empty file", "", "", 50, 178, 1},
        {"ID3 alone", "", "ID3", 50, 178, 1},
        {"no tag", "", test::NoiseBytes(5000), 50, 178, 1},
        {"v2.4 footer", v24Footer, test::NoiseBytes(2000), 305, 310, 0},  // needs the footer's room
        {"flags", OldTag(400, 3, 0xC0), test::NoiseBytes(1000), 100, 400, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Make(c.oldTag + c.audio);
        FrameList frames = FramesTotalling(c.total);
        FaultyFileSystem fs;
        ASSERT_EQ(Id3v2Error::NoError,
                  WriteUnder(fs, path, frames, 4321));  // the list's own size frame stays
        EXPECT_EQ(c.replaces, fs.Count(Op::Replace));
        EXPECT_EQ(0, fs.Count(Op::Remove));
        const std::string after = ReadBytes(path);
        ASSERT_EQ(10 + c.size + c.audio.size(), after.size());
        EXPECT_EQ(
            TagHeader(3, 0, uint32_t(c.size)) + ExpectedFrames(c.total) + std::string(c.size - c.total, '\0'),
            after.substr(0, 10 + c.size));
        EXPECT_TRUE(c.audio == after.substr(10 + c.size));
        EXPECT_EQ(2u, frames.size());  // a TSIZ frame was there already
        EXPECT_FALSE(TemporaryLeft());
    }
}

TEST_F(Id3v2WriterTest, FrameOver16MiBStatesItsWholeSize) {
    const std::string path = Make(test::NoiseBytes(100));
    const uint32_t total = (1u << 24) + 100;
    FrameList frames = FramesTotalling(total);
    ASSERT_EQ(Id3v2Error::NoError, WriteId3v2(path, frames, true, 0));
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(10, 8), "TIT2" + BigEndian(total - 25));
    // The tag's own size, past 2^21 in all four synchsafe bytes, ends where the audio begins.
    EXPECT_EQ(bytes.substr(6, 4), test::Synchsafe(static_cast<uint32_t>(bytes.size() - 110)));
}

TEST_F(Id3v2WriterTest, CarriedFramesFollowTheListByteForByteAndCountForInPlace) {
    // An experimental identifier of the first and last letters and digits;
    // PRIV: file alter preservation, and grouping (the group byte is part of
    // the body). 14 + 19 bytes after the 40 of the list.
    CarriedFrameList carried = {Carried("ZA09", {0, 'k', 0, 'v'}),
                                Carried("PRIV", {7, 'o', 'w', 'n', 0, 1, 2, 3, 0xFF}, 0x40, 0x20)};
    const std::string carriedBytes =
        FrameBytes("ZA09", std::string("\0k\0v", 4)) +
        FrameBytes("PRIV", std::string("\x07own\0\x01\x02\x03\xFF", 9), 0x40, 0x20);
    const std::string audio = test::NoiseBytes(500);
    // The list alone fits either old tag; with the carried frames only the first.
    for (const auto& [oldSize, size] : {std::pair<uint32_t, uint32_t>{73, 73}, {72, 40 + 33 + 128}}) {
        SCOPED_TRACE(oldSize);
        const std::string path = Make(OldTag(oldSize) + audio);
        FrameList frames = FramesTotalling(40);
        ASSERT_EQ(Id3v2Error::NoError, WriteId3v2(path, frames, true, 0, &carried));
        const std::string after = ReadBytes(path);
        const std::string tag = ExpectedFrames(40) + carriedBytes;
        EXPECT_EQ(TagHeader(3, 0, size) + tag + std::string(size - tag.size(), '\0'),
                  after.substr(0, 10 + size));
        EXPECT_EQ(audio, after.substr(10 + size));
    }
}

TEST_F(Id3v2WriterTest, RefusedRewriteLeavesTheFileUntouched) {
    const std::string tagged = OldTag(60) + test::NoiseBytes(500);
    // A body left in the file that would take the tag past the largest size
    // its header can state.
    CarriedFrame huge = Carried("PRIV", {'o', 0});
    huge.fileOffset = 20;
    huge.fileBytes = kId3MaxTagSize;
    const struct {
        const char* what;
        std::string before;
        CarriedFrameList carried;
        Id3v2Error rc;
    } cases[] = {
        {"header claiming more than the file",
         TagHeader(3, 0, 5000) + std::string(100, 'a'),
         {},
         Id3v2Error::TagCorrupt},
        {"identifier of another version", tagged, {Carried("TT2", {0, 'x'})}, Id3v2Error::BadIdentifier},
        {"larger than a tag can be", tagged, {huge}, Id3v2Error::WriteFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Make(c.before);
        FrameList frames = FramesTotalling(30);
        CarriedFrameList carried = c.carried;
        EXPECT_EQ(c.rc, WriteId3v2(path, frames, true, 0, &carried));
        EXPECT_EQ(c.before, ReadBytes(path));
        EXPECT_FALSE(TemporaryLeft());
    }
    // Nor is a tag removed whose header claims more than the file.
    const std::string path = Make(cases[0].before);
    EXPECT_EQ(Id3v2Error::TagCorrupt, RemoveId3v2File(path));
    EXPECT_EQ(cases[0].before, ReadBytes(path));

    // The stream keeps an in-place tag inside the old region whatever size
    // it was told: the frame, every later one and the close are refused.
    const std::string inPlace = Make(tagged, "in-place.mp3");
    Id3v2Stream stream;
    ASSERT_EQ(Id3v2Error::NoError, stream.Open(inPlace, 10, true));
    const std::vector<uint8_t> body(100, 'x');
    EXPECT_EQ(Id3v2Error::OldTagTooSmall, stream.WriteFrame("TIT2", 0, 0, body.data(), body.size()));
    EXPECT_EQ(Id3v2Error::OldTagTooSmall, stream.WriteFrame("TALB", 0, 0, body.data(), 1));
    EXPECT_EQ(Id3v2Error::OldTagTooSmall, stream.Close());
    EXPECT_EQ(tagged, ReadBytes(inPlace));
}

// Removing the tag of a file we may not write fails and leaves the file whole.
TEST_F(Id3v2WriterTest, ReadOnlyFileKeepsItsTagAndSaysSo) {
    const std::string before = OldTag(100) + test::NoiseBytes(300);
    const std::string path = Make(before);
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    EXPECT_EQ(Id3v2Error::WriteFailed, RemoveId3v2File(path));
    EXPECT_EQ(before, ReadBytes(path));
}

struct Scenario {
    const char* name;
    std::string before;
    std::function<Id3v2Error(const std::string&)> run;
    int writes;  // block writes of a good run: the audio moves in 512 KiB blocks
};

class Id3v2WriterFaultTest : public Id3v2WriterTest {
protected:
    // Runs `scenario` once to count its calls, then once per call of each
    // operation with that call failing.
    void FailEveryStep(const Scenario& scenario) {
        const std::string path = Make(scenario.before);
        FaultyFileSystem counter;
        {
            ScopedFs use(counter);
            ASSERT_EQ(Id3v2Error::NoError, scenario.run(path)) << scenario.name;
        }
        ASSERT_NE(scenario.before, ReadBytes(path)) << scenario.name;
        EXPECT_EQ(scenario.writes, counter.Count(Op::Write)) << scenario.name;

        int runs = 0;
        for (Op op :
             {Op::Open, Op::GetSize, Op::Seek, Op::Read, Op::Write, Op::Flush, Op::Close, Op::Replace}) {
            const int calls = counter.Count(op);
            for (int nth = 1; nth <= calls; ++nth) {
                ASSERT_TRUE(WriteBytes(path, scenario.before));
                FaultyFileSystem fs;
                fs.FailAt(op, nth);
                Id3v2Error rc;
                {
                    ScopedFs use(fs);
                    rc = scenario.run(path);
                }
                SCOPED_TRACE(std::string(scenario.name) + ": call " + std::to_string(nth) + " of op " +
                             std::to_string(static_cast<int>(op)));
                EXPECT_EQ(1, fs.Failures());
                // The song itself, only read from, is closed after the commit:
                // it keeps other writers out until the new file has its name.
                const bool afterCommit = op == Op::Close && nth == calls && counter.Count(Op::Replace) > 0;
                EXPECT_EQ(afterCommit, rc == Id3v2Error::NoError);
                EXPECT_EQ(afterCommit, ReadBytes(path) != scenario.before);
                EXPECT_FALSE(TemporaryLeft());
                ++runs;
            }
        }
        // Open, size, seek, read, write, flush, close and replace were all hit.
        EXPECT_GE(runs, 8) << scenario.name;
    }
};

TEST_F(Id3v2WriterFaultTest, EveryFailingStepLeavesTheFileAsItWas) {
    auto rewrite = [](const std::string& path) {
        FrameList frames = FramesTotalling(400);
        return WriteId3v2(path, frames, true, 0);
    };
    FailEveryStep(
        {"temporary", OldTag(100) + test::NoiseBytes(1200000) + Id3v1Trailer("Title"), rewrite, 1 + 3});
    FailEveryStep({"in place", OldTag(1000) + test::NoiseBytes(3000), rewrite, 1});
    FailEveryStep({"removal", OldTag(1000) + test::NoiseBytes(1100000),
                   [](const std::string& path) { return RemoveId3v2File(path); }, 3});
}

TEST_F(Id3v2WriterFaultTest, ShortInPlaceWriteIsReportedAndTakenBack) {
    const std::string audio = test::NoiseBytes(3000);
    const std::string before = OldTag(1000) + audio;
    const std::string path = Make(before);
    FrameList frames = FramesTotalling(400);
    FaultyFileSystem fs;
    fs.SetShortWrites(true);
    fs.FailAt(Op::Write, 1);
    EXPECT_EQ(Id3v2Error::WriteFailed, WriteUnder(fs, path, frames));
    // Half of the new tag reached the file; the old region was written back.
    EXPECT_EQ(before, ReadBytes(path));
}

}  // namespace
}  // namespace td
