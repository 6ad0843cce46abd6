// ID3v2.2/2.3/2.4 reading: frames kept, frames carried, malformed tags.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_tag.h"
#include "tags/mpeg/memory_file.h"
#include "tests/support/byte_builders.h"
#include "tests/support/test_support.h"

namespace td {
namespace {

using test::B;
using test::Bytes;
using test::Text;
using test::operator+;

using Fields = std::vector<std::string>;
using Types = std::vector<int>;

Bytes Be32(uint32_t v, int shift = 8, uint32_t mask = 0xFF) {
    return B({int((v >> 3 * shift) & mask), int((v >> 2 * shift) & mask), int((v >> shift) & mask),
              int(v & mask)});
}
Bytes Synchsafe(uint32_t v) { return Be32(v, 7, 0x7F); }

Bytes Frame22(const char* id, const Bytes& body) {
    const Bytes size = Be32(uint32_t(body.size()));
    return Text(std::string(id, 3)) + Bytes(size.begin() + 1, size.end()) + body;
}
Bytes Frame23(const char* id, const Bytes& body, int status = 0, int format = 0) {
    return Text(std::string(id, 4)) + Be32(uint32_t(body.size())) + B({status, format}) + body;
}
Bytes Frame24(const char* id, const Bytes& body, int status = 0, int format = 0) {
    return Text(std::string(id, 4)) + Synchsafe(uint32_t(body.size())) + B({status, format}) + body;
}
Bytes Tag(int major, const Bytes& content, int flags = 0, size_t padding = 0) {
    return Text("ID3") + B({major, 0, flags}) + Synchsafe(uint32_t(content.size() + padding)) + content +
           Bytes(padding, 0);
}
// Inserts a zero after every 0xFF (a valid, if generous, unsynchronisation).
Bytes Unsync(const Bytes& in) {
    Bytes out;
    for (uint8_t c : in) {
        out.push_back(c);
        if (c == 0xFF) out.push_back(0);
    }
    return out;
}
Bytes Compress(const Bytes& in) {
    uLongf length = compressBound(static_cast<uLong>(in.size()));
    Bytes out(length);
    EXPECT_EQ(Z_OK, compress(out.data(), &length, in.data(), static_cast<uLong>(in.size())));
    out.resize(length);
    return out;
}

struct Result {
    Id3v2Error code = Id3v2Error::NotImplemented;
    uint32_t tagSize = 0;
    FrameList frames;
    CarriedFrameList carried;

    std::vector<int> Types() const {
        std::vector<int> t;
        for (const auto& f : frames) t.push_back(f->Type());
        return t;
    }
    std::vector<std::string> CarriedIds() const {
        std::vector<std::string> ids;
        for (const CarriedFrame& c : carried) ids.push_back(c.id);
        return ids;
    }
    Bytes Data(size_t i) const {
        Bytes out(static_cast<size_t>(frames.at(i)->GetSize()));
        EXPECT_EQ(Id3v2Error::NoError, frames[i]->GetData(out.data(), static_cast<int>(out.size())));
        return out;
    }
};

Result Read(const Bytes& file, Id3v2Error expectedCode = Id3v2Error::NoError) {
    Result r;
    size_t needMore = 0;
    r.code = ReadId3v2Frames(file.data(), file.size(), r.frames, r.tagSize, &r.carried, needMore);
    EXPECT_EQ(0u, needMore);
    EXPECT_EQ(expectedCode, r.code);
    return r;
}

const Bytes kTitle = B({0}) + Text("Title");
const Bytes kArtist = B({0}) + Text("Artist");

TEST(Id3v2ReaderV23Test, WalkStopsSilentlyAtPaddingGarbageAndOverruns) {
    // Padding, then something that looks like a frame: not read.
    Result a = Read(Tag(3, Frame23("TIT2", kTitle) + Bytes(20, 0) + Frame23("TPE1", kArtist)));
    EXPECT_EQ((Types{kTIT2}), a.Types());
    // A frame larger than the rest of the tag.
    Bytes big = Frame23("TPE1", kArtist);
    big[7] = 200;
    Result c = Read(Tag(3, Frame23("TIT2", kTitle) + big));
    EXPECT_EQ((Types{kTIT2}), c.Types());
    // A header cut short by the end of the tag.
    EXPECT_EQ(1u, Read(Tag(3, Frame23("TIT2", kTitle) + Text("TPE1"))).frames.size());
    // Versions before 2.2 never existed; such tags are walked like 2.3 ones.
    EXPECT_EQ((Types{kTIT2, kTPE1}), Read(Tag(1, Frame23("TIT2", kTitle) + Frame23("TPE1", kArtist))).Types());
}

TEST(Id3v2ReaderTest, DamagedFramesArePassedOverNotTheTag) {
    const Bytes noText = B({0, 'e', 'n'});
    const Bytes badEncoding = B({7}) + Text("Broken");
    struct Case {
        const char* what;
        Bytes tag;
        Types kept;
        std::vector<std::string> carried;
    } cases[] = {
        {"v2.3 comment without text, unknown encoding, then good frames",
         Tag(3, Frame23("COMM", noText) + Frame23("TPE1", badEncoding) + Frame23("TIT2", kTitle), 0, 20),
         {kTIT2},
         {"COMM", "TPE1"}},
        {"v2.2 empty frame before a picture",
         Tag(2, Frame22("TP1", Bytes()) + Frame22("PIC", B({0}) + Text("PNG") + B({3, 0, 1}))),
         {kAPIC},
         {}},
        {"v2.3 extended header flag without an extended header",
         Tag(3, Frame23("TIT2", kTitle) + Frame23("TPE1", kArtist), 0x40),
         {kTIT2, kTPE1},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Result r = Read(c.tag);
        EXPECT_EQ(c.kept, r.Types());
        EXPECT_EQ(c.carried, r.CarriedIds());
    }
    // A carried frame goes back byte for byte.
    Result r = Read(cases[0].tag);
    ASSERT_EQ(2u, r.carried.size());
    EXPECT_EQ(noText, r.carried[0].body);
    EXPECT_EQ(0, r.carried[0].format);
    EXPECT_EQ(badEncoding, r.carried[1].body);
}

TEST(Id3v2ReaderV23Test, CompressedFramesInflateToTheirDeclaredSize) {
    const Bytes text = B({0}) + Bytes(999, 'a');  // 1000 bytes
    const Bytes exact = Be32(1000) + Compress(text);
    Result r = Read(Tag(3, Frame23("TIT2", exact, 0, 0x80) + Frame23("TPE1", kArtist)));
    ASSERT_EQ(2u, r.frames.size());
    EXPECT_EQ(std::string(999, 'a'), MainText(r.frames[0].get()));

    // 999 bytes where 1000 were declared: passed over, and carried compressed.
    const Bytes shorter = Be32(1000) + Compress(Bytes(text.begin(), text.end() - 1));
    Result s =
        Read(Tag(3, Frame23("TALB", kTitle) + Frame23("TIT2", shorter, 0, 0x80) + Frame23("TPE1", kArtist)));
    EXPECT_EQ((Types{kTALB, kTPE1}), s.Types());
    ASSERT_EQ(1u, s.carried.size());
    EXPECT_EQ(0x80, s.carried[0].format);
    EXPECT_EQ(shorter, s.carried[0].body);

    // Absurd declared sizes are not allocated.
    const Bytes absurd = Be32(0x7FFFFFFF) + Compress(text);
    Result t = Read(Tag(3, Frame23("TALB", kTitle) + Frame23("TIT2", absurd, 0, 0x80)));
    EXPECT_EQ(1u, t.frames.size());
    // Nor are true sizes past 16 MiB.
    const Bytes large = B({0}) + Bytes(16u << 20, 'a');
    const Bytes tooLarge = Be32(uint32_t(large.size())) + Compress(large);
    EXPECT_EQ((Types{kTALB}),
              Read(Tag(3, Frame23("TALB", kTitle) + Frame23("TIT2", tooLarge, 0, 0x80))).Types());
}

TEST(Id3v2ReaderV23Test, UnsynchronisationAndExtendedHeader) {
    const Bytes title = B({0}) + Text("A\xFF\xE0 B\xFF");
    const Bytes picture = Text("image/jpeg") + B({0, 3, 0, 0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0x00});
    const Bytes frames = Frame23("TIT2", title) + Frame23("APIC", picture);
    const Bytes extended = B({0, 0, 0, 6, 0, 0, 0, 0, 0, 0});
    Result r = Read(Tag(3, Unsync(extended + frames), 0xC0, 30));
    ASSERT_EQ(2u, r.frames.size());
    EXPECT_EQ("A\xFF\xE0 B\xFF", MainText(r.frames[0].get()));
    EXPECT_EQ(picture, r.Data(1));

    // An extended header larger than the tag leaves nothing to read.
    Result d = Read(Tag(3, B({0, 0, 1, 0, 0, 0}) + frames, 0x40));
    EXPECT_TRUE(d.frames.empty());
    // Too short to hold the extended header's own size: nothing is read past the tag.
    const Bytes tiny = Tag(3, B({0, 0, 6}), 0x40);
    EXPECT_TRUE(Read(tiny).frames.empty());
}

TEST(Id3v2ReaderV22Test, FramesMapToTheirSuccessors) {
    const Bytes comment = B({0, 'e', 'n', 'g', 0}) + Text("Nice");
    Result r = Read(Tag(2, Frame22("TT2", kTitle) + Frame22("COM", comment) + Frame22("TOA", kArtist) +
                               Frame22("TXX", B({0, 'k', 0, 'v'})) + Frame22("TOR", kTitle) +
                               Frame22("WAR", Text("http://w/")) + Frame22("XYZ", kTitle) +
                               Frame22("CRM", kTitle) + Frame22("UFI", Text("o") + B({0, 7}))));
    EXPECT_EQ((Types{kTIT2, kCOMM, kTOPE, kWOAR}), r.Types());
    EXPECT_EQ((Fields{"", "Nice"}), dynamic_cast<const Id3v2FieldFrame&>(*r.frames.at(1)).Fields());
    EXPECT_EQ("http://w/", MainText(r.frames[3].get()));
    // A user text frame stays a user text frame; unknown ones are dropped.
    ASSERT_EQ((std::vector<std::string>{"TXXX", "TORY", "UFID"}), r.CarriedIds());
    EXPECT_EQ(B({0, 'k', 0, 'v'}), r.carried[0].body);
    // A picture gets a MIME type in place of its three-letter format.
    Result pic = Read(Tag(2, Frame22("PIC", B({0}) + Text("PNG") + B({3, 0, 1}))));
    ASSERT_EQ(1u, pic.frames.size());
    EXPECT_EQ(B({0}) + Text("image/png") + B({0, 3, 0, 1}), pic.Data(0));
    // Or "-->" for a link to the picture, in a tag that may be unsynchronised.
    Result link = Read(Tag(2, Unsync(Frame22("PIC", B({0}) + Text("-->") + B({3, 0, 0xFF, 0xE0}))), 0x80));
    ASSERT_EQ(1u, link.frames.size());
    EXPECT_EQ(B({0}) + Text("-->") + B({0, 3, 0, 0xFF, 0xE0}), link.Data(0));
}

TEST(Id3v2ReaderV24Test, DataLengthIndicatorAndFrameUnsynchronisation) {
    const Bytes title = B({0}) + Text("A\xFF\xE0");
    Result r = Read(Tag(4, Frame24("TIT2", Synchsafe(uint32_t(title.size())) + title, 0, 0x01) +
                               Frame24("TPE1", Unsync(B({0}) + Text("\xFF\xFF")), 0, 0x02) +
                               Frame24("TALB", Synchsafe(4) + Unsync(title), 0, 0x03)));
    ASSERT_EQ(3u, r.frames.size());
    EXPECT_EQ("A\xFF\xE0", MainText(r.frames[0].get()));
    EXPECT_EQ("\xFF\xFF", MainText(r.frames[1].get()));
    EXPECT_EQ("A\xFF\xE0", MainText(r.frames[2].get()));
}

TEST(Id3v2ReaderV24Test, CompressionExtendedHeaderAndFooter) {
    const Bytes text = B({0}) + Bytes(500, 'z');
    const Bytes extended = Synchsafe(6) + B({1, 0});
    Bytes tag = Tag(4, extended + Frame24("TIT2", Synchsafe(501) + Compress(text), 0, 0x09), 0x50);
    const Bytes footer = Text("3DI") + Bytes(tag.begin() + 3, tag.begin() + 10);
    tag = tag + footer;
    Result r = Read(tag);
    EXPECT_EQ(tag.size(), r.tagSize);
    ASSERT_EQ(1u, r.frames.size());
    EXPECT_EQ(std::string(500, 'z'), MainText(r.frames[0].get()));

    // Inflating to another size than the data length indicator says.
    Result t =
        Read(Tag(4, Frame24("TALB", kTitle) + Frame24("TIT2", Synchsafe(400) + Compress(text), 0, 0x09)));
    EXPECT_EQ((Types{kTALB}), t.Types());
    ASSERT_EQ(1u, t.carried.size());
    EXPECT_EQ(0x80, t.carried[0].format);
    EXPECT_EQ(Be32(400) + Compress(text), t.carried[0].body);

    // A group byte first, then a data length written as a plain number (F5 is no synchsafe byte).
    Result g = Read(Tag(4, Frame24("TIT2", B({7}) + Be32(501) + Compress(text), 0, 0x49)));
    ASSERT_EQ(1u, g.frames.size());
    EXPECT_EQ(std::string(500, 'z'), MainText(g.frames[0].get()));
}

TEST(Id3v2ReaderV24Test, FramesTakeTheirId3v23Forms) {
    Result r = Read(Tag(4, Frame24("TDRC", B({3}) + Text("2004-05-06T07:08:09")) +
                               Frame24("TDOR", B({0}) + Text("1969-01")) +
                               Frame24("WXXX", B({3}) + Text("d\xC3\xA9") + B({0}) + Text("http://x")) +
                               Frame24("TPE1", B({0}) + Text("A") + B({0}) + Text("B")) +
                               Frame24("TALB", B({2, 0xFF, 0xFE, 0, 'x'})) +
                               Frame24("TCOM", B({1, 0xFE, 0xFF, 0, 'y', 0, 0, 0xFF, 0xFE, 'z', 0}))));
    ASSERT_EQ((Types{kTYER, kTDAT, kTIME, kWXXX, kTPE1, kTALB, kTCOM}), r.Types());
    EXPECT_EQ("y/z", MainText(r.frames[6].get()));  // each after its own byte-order mark
    // UTF-16BE text has no byte-order mark: FF FE is a character of its own.
    EXPECT_EQ(2u, MainText(r.frames[5].get()).size());
    // Several performers, separated by zeros in ID3v2.4, by a slash in ID3v2.3.
    EXPECT_EQ((Fields{"A/B"}), dynamic_cast<const Id3v2FieldFrame&>(*r.frames.at(4)).Fields());
    // A UTF-8 description becomes UTF-16; the URL stays as it is.
    EXPECT_EQ((Fields{"d\xE9", "http://x"}), dynamic_cast<const Id3v2FieldFrame&>(*r.frames.at(3)).Fields());
    EXPECT_EQ("2004", MainText(r.frames[0].get()));
    EXPECT_EQ("0605", MainText(r.frames[1].get()));
    EXPECT_EQ("0708", MainText(r.frames[2].get()));
    ASSERT_EQ((std::vector<std::string>{"TORY"}), r.CarriedIds());

    // Not a time stamp: carried as it is rather than lost.
    Result n = Read(Tag(4, Frame24("TDRC", B({0}) + Text("late"))));
    EXPECT_TRUE(n.frames.empty());
    EXPECT_EQ((std::vector<std::string>{"TDRC"}), n.CarriedIds());
    // A year without a valid month gives the year alone.
    EXPECT_EQ((Types{kTYER}), Read(Tag(4, Frame24("TDRC", B({0}) + Text("2004-ab-06")))).Types());

    // Status flags move to their ID3v2.3 places; "discard when the tag changes" drops the frame.
    Result s = Read(Tag(4, Frame24("PRIV", Text("file-alter"), 0x20) + Frame24("PRIV", Text("read-only"), 0x10) +
                               Frame24("PRIV", Text("tag-alter"), 0x40) + Frame24("PRIV", Text("stray"), 0x8F)));
    ASSERT_EQ((std::vector<std::string>{"PRIV", "PRIV", "PRIV"}), s.CarriedIds());
    EXPECT_EQ(0x40, s.carried[0].status);
    EXPECT_EQ(0x20, s.carried[1].status);
    EXPECT_EQ(0, s.carried[2].status);
}

TEST(Id3v2ReaderV24Test, FrameSizesAreReadTheWayTheWholeTagWalksBest) {
    // Some writers stored plain sizes in ID3v2.4 tags. A 256-byte body has the
    // size bytes 00 00 01 00: 256 plain, 128 synchsafe. The reading that walks
    // more frames wins; on a tie, the one that ends cleanly at padding or the
    // end of the tag, and synchsafe when both do.
    const Bytes body = Text("owner") + B({0}) + Bytes(250, 'x');
    struct Case {
        const char* what;
        Bytes tag;
        size_t bodySize;
    } cases[] = {
        {"plain: only it ends cleanly", Tag(4, Frame23("PRIV", body)), 256},
        {"plain: it walks more frames", Tag(4, Frame23("PRIV", body) + Frame23("TIT2", kTitle)), 256},
        {"plain: 00 00 00 80 is no synchsafe size", Tag(4, Frame23("PRIV", B({0}) + Bytes(127, 'x'))), 128},
        {"synchsafe: both end cleanly",
         Tag(4, Frame24("PRIV", Bytes(body.begin(), body.begin() + 128)), 0, 200), 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Result r = Read(c.tag);
        ASSERT_FALSE(r.carried.empty());
        EXPECT_EQ(c.bodySize, r.carried[0].body.size());
        // The same decision when the body is left in the file.
        MemoryFile file(c.tag.data(), c.tag.size());
        FrameList frames;
        CarriedFrameList carried;
        uint32_t tagSize = 0;
        ASSERT_EQ(Id3v2Error::NoError, ReadId3v2Frames(file, frames, tagSize, &carried, 100));
        ASSERT_FALSE(carried.empty());
        EXPECT_TRUE(carried[0].InFile());
        EXPECT_EQ(c.bodySize, carried[0].Size());
    }
}

TEST(Id3v2ReaderFileTest, DeclaredSizeBeyondTheFileIsNotAllocated) {
    Bytes tag = Tag(3, Frame23("TIT2", kTitle) + Frame23("TPE1", kArtist));
    const Bytes claim = Synchsafe(0x0FFFFFF0);
    std::copy(claim.begin(), claim.end(), tag.begin() + 6);
    MemoryFile file(tag.data(), tag.size());
    file.Seek(17);  // anywhere: the tag is read from the start
    FrameList frames;
    uint32_t tagSize = 0;
    EXPECT_EQ(Id3v2Error::NoError, ReadId3v2Frames(file, frames, tagSize));
    EXPECT_EQ(2u, frames.size());
    EXPECT_EQ(10u + 0x0FFFFFF0u, tagSize);
    EXPECT_LE(file.largestRead(), tag.size());
}

TEST(Id3v2ReaderFileTest, MissingAndFailingFilesAreReported) {
    test::TempDir dir;
    const std::string tagged = dir.Path("tagged.mp3");
    ASSERT_TRUE(test::WriteBytes(tagged, Tag(3, Frame23("TIT2", kTitle), 0, 50)));
    FrameList frames;
    uint32_t tagSize = 0;
    EXPECT_EQ(Id3v2Error::CannotOpen, ReadId3v2Frames(dir.Path("missing.mp3"), frames, tagSize));
    ASSERT_TRUE(test::WriteBytes(dir.Path("bare.mp3"), Text("no tag at all")));
    EXPECT_EQ(Id3v2Error::NoTag, ReadId3v2Frames(dir.Path("bare.mp3"), frames, tagSize));
    EXPECT_EQ(0u, tagSize);

    // A head too short to tell asks for more only while it can be a tag.
    size_t needMore = 0;
    EXPECT_EQ(Id3v2Error::ReadFailed, ReadId3v2Frames(Text("ID").data(), 2, frames, tagSize, nullptr, needMore));
    EXPECT_EQ(10u, needMore);
    EXPECT_EQ(Id3v2Error::NoTag, ReadId3v2Frames(Text("IX").data(), 2, frames, tagSize, nullptr, needMore));

    // A read that fails anywhere in the tag is reported, not taken for its
    // end: in a small tag, and in one whose large body stays in the file.
    const std::string large = dir.Path("large.mp3");
    const Bytes longTitle = B({0}) + Bytes(4500, 'x');
    ASSERT_TRUE(test::WriteBytes(large, Tag(4, Frame24("PRIV", Bytes(6000, 'p')) + Frame24("TIT2", longTitle))));
    test::FaultyFileSystem faulty;
    test::ScopedFs scoped(faulty);
    faulty.FailAt(test::FaultyFileSystem::Op::Read, 2);
    EXPECT_EQ(Id3v2Error::ReadFailed, ReadId3v2Frames(tagged, frames, tagSize));
    EXPECT_TRUE(frames.empty());
    for (int nth = 1;; ++nth) {
        faulty.Reset();
        faulty.FailAt(test::FaultyFileSystem::Op::Read, nth);
        std::unique_ptr<File> file = Fs().Open(large, OpenMode::Read);
        CarriedFrameList carried;
        const Id3v2Error rc = ReadId3v2Frames(*file, frames, tagSize, &carried, 5000);
        if (faulty.Failures() == 0) {
            EXPECT_EQ(Id3v2Error::NoError, rc);
            EXPECT_EQ(std::string(4500, 'x'), MainText(frames.at(0).get()));
            break;
        }
        EXPECT_EQ(Id3v2Error::ReadFailed, rc) << nth;
        EXPECT_TRUE(frames.empty()) << nth;
    }
}

}  // namespace
}  // namespace td
