#include "tags/mpeg/mpeg_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "support/test_support.h"

namespace td {
namespace {

using Bytes = std::string;
using test::BigEndian;
using test::Id3Tag;

const uint32_t kMpeg1Layer3 = 0xFFFB9044;      // 128 kbit/s, 44100 Hz, joint stereo, original
const uint32_t kMpeg1Layer3Mono = 0xFFFB90C4;  // 128 kbit/s, 44100 Hz, single channel
const uint32_t kMpeg2Layer3 = 0xFFF38044;      // 64 kbit/s, 22050 Hz, joint stereo
const uint32_t kMpeg2Layer2 = 0xFFF58000;      // 64 kbit/s, 22050 Hz, stereo
const uint32_t kMpeg2Layer1 = 0xFFF79000;      // 144 kbit/s, 22050 Hz, stereo

// A first frame: the header, zeros, and `payload` at `offset` from the header.
Bytes Frame(uint32_t header, size_t offset = 0, const Bytes& payload = Bytes(), size_t size = 417) {
    Bytes frame = BigEndian(header);
    frame.resize(size, '\0');
    if (!payload.empty()) frame.replace(offset, payload.size(), payload);
    return frame;
}

Bytes XingPayload(const char* marker, uint32_t flags, uint32_t frames, uint32_t bytes) {
    Bytes p = Bytes(marker, 4) + BigEndian(flags);
    if (flags & 1) p += BigEndian(frames);
    if (flags & 2) p += BigEndian(bytes);
    if (flags & 4) p += Bytes(100, '\x01');
    if (flags & 8) p += BigEndian(78);
    return p;
}

// A VBRI header: version, delay, quality, then the byte and frame counts.
Bytes VbriPayload(uint32_t frames, uint32_t bytes) {
    return Bytes("VBRI") + BigEndian(1, 2) + BigEndian(0, 2) + BigEndian(80, 2) + BigEndian(bytes) +
           BigEndian(frames);
}

bool ReadXing(const Bytes& frame, XingHeader& xing) {
    return ReadXingHeader(reinterpret_cast<const uint8_t*>(frame.data()), frame.size(), xing);
}

const Bytes kXingFrame = Frame(kMpeg1Layer3, 36, XingPayload("Xing", 3, 10000, 4000000));

Bytes Padded(Bytes data, size_t length) {
    data.resize(length, '\0');
    return data;
}

MpegInfo Zero() {
    MpegInfo info;
    std::memset(&info, 0, sizeof info);
    return info;
}

class MpegFileTest : public ::testing::Test {
protected:
    MpegInfo Read(const Bytes& content, bool hasId3v1 = false) {
        std::string path = dir_.Path("song.mp3");
        EXPECT_TRUE(test::WriteBytes(path, content));
        MpegInfo info = Zero();
        ReadMpegInfo(path, info, hasId3v1);
        return info;
    }
    test::TempDir dir_;
};

TEST(MpegHeader, FrameSizesFollowTheBitRateAndFrequencyTables) {
    // The frame size excludes the four header bytes; the bytes per frame are
    // what the length estimate divides by. A header may decode without being
    // one the search accepts.
    const struct {
        const char* what;
        uint32_t header;
        bool valid;
        bool decodes;
        int frameSize;
        double bytesPerFrame;
    } cases[] = {
        {"MPEG 2.5 layer II, 160 kbit/s at 8000 Hz: 2880 bytes", 0xFFE5E800, true, false, 0, 0},
        {"free format", 0xFFFB0044, false, false, 0, 0},
        {"bit-rate index 15", 0xFFFBF044, false, false, 0, 0},
        {"frequency index 3", 0xFFFB9C44, false, false, 0, 0},
        {"sync incomplete", 0x7FFB9044, false, true, 417 - 4, 417.96},
        {"MPEG-1 layer I without CRC, 288 kbit/s", 0xFFFF9044, false, true, 78 * 4 - 4, 313.47},
        {"MPEG-1 layer I with CRC, or a byte-order mark", 0xFFFE8000, false, true, 69 * 4 - 4, 278.64},
        {"MPEG-1 layer II, 256 kbit/s at 44100 Hz", 0xFFFDC000, true, true, 835 - 4, 835.92},
        {"MPEG-1 layer III, 128 kbit/s at 44100 Hz, padded", 0xFFFB9264, true, true, 418 - 4, 417.96},
        {"MPEG-2 layer I, 144 kbit/s at 22050 Hz: 78 slots of four bytes", kMpeg2Layer1, true, true,
         78 * 4 - 4, 156.73},
        {"MPEG-2 layer II, 64 kbit/s at 22050 Hz", kMpeg2Layer2, true, true, 417 - 4, 208.98},
        {"MPEG-2 layer III, 160 kbit/s at 22050 Hz, the top rate", 0xFFF3E044, true, true, 522 - 4, 522.45},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.valid, IsValidFrameHeader(c.header));
        MpegInfo info = Zero();
        ASSERT_EQ(c.decodes, DecodeFrameHeader(info, c.header));
        if (!c.decodes) continue;
        EXPECT_EQ(c.frameSize, info.frameSize);
        EXPECT_NEAR(c.bytesPerFrame, BytesPerFrame(info), 0.01);
    }
    // The fields are written even when the frame is refused.
    MpegInfo info = Zero();
    EXPECT_FALSE(DecodeFrameHeader(info, 0xFFE5E800));
    EXPECT_EQ(2, info.layer);
    // The copyright bit sits beside the mode extension and the original bit.
    ASSERT_TRUE(DecodeFrameHeader(info, 0xFFFB9074));
    EXPECT_EQ(0, info.copyright);
    EXPECT_EQ(1, info.original);
    // A layer I frame lasts 384 samples.
    ASSERT_TRUE(DecodeFrameHeader(info, 0xFFFF9044));
    EXPECT_NEAR(384.0 / 44100, SecondsPerFrame(info), 1e-9);
    // Values no header gives, as a damaged playlist file may hold, name nothing.
    for (int value : {-1, 4}) {
        EXPECT_STREQ(ChannelModeName(value), "");
        EXPECT_STREQ(EmphasisName(value), "");
    }
}

TEST(XingHeaderTest, FoundWhereTheSideInformationEnds) {
    struct Case {
        uint32_t header;
        size_t offset;
    } cases[] = {{kMpeg1Layer3, 36}, {kMpeg1Layer3Mono, 21}, {kMpeg2Layer3, 21}, {kMpeg2Layer3 | 0xC0, 13}};
    for (const Case& c : cases) {
        Bytes frame = Frame(c.header, c.offset, XingPayload("Xing", 15, 1234, 56789));
        XingHeader xing;
        ASSERT_TRUE(ReadXing(frame, xing)) << c.offset;
        EXPECT_EQ(1234u, xing.frames);
        EXPECT_EQ(56789u, xing.bytes);
        EXPECT_EQ(78, xing.quality);
        // Anywhere else it is not a Xing header.
        Bytes moved = Frame(c.header, c.offset + 1, XingPayload("Xing", 15, 1234, 56789));
        EXPECT_FALSE(ReadXing(moved, xing));
        // A VBRI header sits 32 bytes after the frame header whatever the mode.
        ASSERT_TRUE(ReadXing(Frame(c.header, 36, VbriPayload(1234, 56789)), xing));
        EXPECT_TRUE(xing.isVbri);
        EXPECT_EQ(1234u, xing.frames);
        EXPECT_EQ(56789u, xing.bytes);
        EXPECT_EQ(80, xing.quality);
    }
    // Only the fields the flags announce follow, in their order.
    XingHeader part;
    ASSERT_TRUE(ReadXing(Frame(kMpeg1Layer3, 36, XingPayload("Xing", 9, 1234, 56789)), part));
    EXPECT_EQ(1234u, part.frames);
    EXPECT_EQ(0u, part.bytes);
    EXPECT_EQ(78, part.quality);
}

TEST_F(MpegFileTest, ConstantBitRateEstimateLeavesTheId3v1TrailerOut) {
    MpegInfo info = Read(Padded(Frame(kMpeg1Layer3), 5000000), true);
    EXPECT_EQ(11963, info.frames);
    EXPECT_EQ(312, info.seconds);
    EXPECT_EQ(413, info.frameSize);
    // 4,999,700 bytes: 11962.2 frames, but 11961.9 without the trailer.
    Bytes content = Padded(Frame(kMpeg1Layer3), 4999700);
    EXPECT_EQ(11963, Read(content, false).frames);
    EXPECT_EQ(11962, Read(content, true).frames);
    // 4,999,628 bytes before the trailer make 11962.0006 frames.
    EXPECT_EQ(11963, Read(Padded(Frame(kMpeg1Layer3), 4999628 + 128), true).frames);
    // A file gone before it is read leaves the information as it was.
    MpegInfo gone = Zero();
    ReadMpegInfo(dir_.Path("gone.mp3"), gone, false);
    EXPECT_EQ(0, gone.frames);
    // A read that fails during the search for the first frame ends it.
    test::FaultyFileSystem faulty;
    faulty.FailFrom(test::FaultyFileSystem::Op::Read, 2);
    test::ScopedFs scoped(faulty);
    EXPECT_EQ(0, Read(Padded(Bytes(5000, 0) + Frame(kMpeg1Layer3), 500000)).frames);
}

TEST_F(MpegFileTest, XingOrVbriGivesFramesLengthAndAverage) {
    const Bytes vbriFrame = Frame(kMpeg1Layer3, 36, VbriPayload(10000, 4000000));
    for (const Bytes& first : {kXingFrame, vbriFrame}) {
        MpegInfo info = Read(Padded(first, 4000417));
        EXPECT_EQ(1, info.vbr);
        EXPECT_EQ(10000, info.frames);
        EXPECT_EQ(261, info.seconds);
        EXPECT_EQ(122, info.bitrate);
    }
    // Without its frame count a Xing header gives no exact length: the
    // frame's bit rate stands for the file.
    MpegInfo counted = Read(Padded(Frame(kMpeg1Layer3, 36, XingPayload("Xing", 2, 0, 4000000)), 5000000));
    EXPECT_EQ(0, counted.vbr);
    EXPECT_EQ(128, counted.bitrate);
    EXPECT_EQ(312, counted.seconds);
    // A file of one frame is read whole with the first search block: the
    // frame is taken from there, so reads failing after it change nothing.
    test::FaultyFileSystem faulty;
    faulty.FailFrom(test::FaultyFileSystem::Op::Read, 3);
    test::ScopedFs scoped(faulty);
    MpegInfo info = Read(kXingFrame);
    EXPECT_EQ(1, info.vbr);
    EXPECT_EQ(10000, info.frames);
}

TEST_F(MpegFileTest, ExactCountsUseTheTrueFrameDuration) {
    // MPEG-2 layer III: 576 samples per frame.
    MpegInfo info = Read(Padded(Frame(kMpeg2Layer3, 21, XingPayload("Xing", 3, 1000, 200000), 200), 300000));
    EXPECT_EQ(26, info.seconds);  // 1000 * 576 / 22050 = 26.1
    EXPECT_EQ(61, info.bitrate);  // 1,600,000 bits over 26.1 s
    // MPEG-2 layer II: 1152 samples per frame.
    info = Read(Padded(Frame(kMpeg2Layer2, 21, XingPayload("Info", 1, 1000, 0)), 500000));
    EXPECT_EQ(1000, info.frames);
    EXPECT_EQ(52, info.seconds);  // 1000 * 1152 / 22050 = 52.2
    EXPECT_EQ(64, info.bitrate);
    // MPEG-2 layer I: 384 samples per frame.
    info = Read(Padded(Frame(kMpeg2Layer1, 21, XingPayload("Info", 1, 1000, 0), 312), 500000));
    EXPECT_EQ(1000, info.frames);
    EXPECT_EQ(17, info.seconds);  // 1000 * 384 / 22050 = 17.4
}

TEST_F(MpegFileTest, FirstFrameIsFoundAfterLeadingBytes) {
    // FF FE 90 44 and FF FF 90 44 would decode as MPEG-1 layer I; the real frame
    // after them carries a Xing header, which shows where the search stopped.
    // The zero runs put the frame across the search's block boundaries.
    for (const Bytes& lead : {BigEndian(0xFFFE9044u), BigEndian(0xFFFF9044u), Bytes(16382, '\0'),
                              Bytes(16384 + 65536 - 1, '\0'), Bytes(700001, '\0')}) {
        MpegInfo info = Read(Padded(lead + kXingFrame, lead.size() + 100000));
        SCOPED_TRACE(lead.size());
        EXPECT_EQ(3, info.layer);
        EXPECT_EQ(1, info.vbr);
        EXPECT_EQ(10000, info.frames);
    }
}

TEST_F(MpegFileTest, GarbageBeforeTheAudioIsPassedOver) {
    // Garbage holding an MPEG-2 header (24000 Hz, 144 kbit/s) with nothing at
    // its frame length, and an MPEG-1 header followed at its frame length by
    // one of another stream; then 44100 Hz, 64 kbit/s frames of 208 bytes.
    Bytes garbage(3000, '\x55');
    garbage.replace(100, 4, BigEndian(0xFFF3D400u));
    garbage.replace(1000, 4, BigEndian(kMpeg1Layer3));
    garbage.replace(1417, 4, BigEndian(kMpeg2Layer3));
    Bytes audio;
    for (int i = 0; i < 100; ++i) audio += Frame(0xFFFB5000u, 0, Bytes(), 208);
    MpegInfo info = Read(garbage + audio);
    EXPECT_EQ(44100, info.frequency);
    EXPECT_EQ(64, info.bitrate);
    EXPECT_EQ(100, info.frames);  // the garbage is not counted as audio
    EXPECT_EQ(2, info.seconds);
    // The first header straddles the end of the first block read.
    info = Read(Bytes(16 * 1024 - 3, '\x55') + audio);
    EXPECT_EQ(100, info.frames);

    // The Xing header is looked for in the frame that was confirmed.
    Bytes vbr = kXingFrame;
    for (int i = 0; i < 20; ++i) vbr += Frame(kMpeg1Layer3);
    info = Read(garbage + vbr);
    EXPECT_EQ(1, info.vbr);
    EXPECT_EQ(10000, info.frames);

    // With nothing confirmed the first candidate is taken, not the header of
    // an oversized frame that ends the file.
    info = Read(Frame(kMpeg2Layer3, 0, Bytes(), 300) + BigEndian(0xFFE5E800u));
    EXPECT_EQ(22050, info.frequency);
}

TEST_F(MpegFileTest, Id3v2TagAndFooterAreSkippedWhenTheHeadIsOne) {
    // A picture inside the tag holds what looks like an MPEG-1 frame with a
    // Xing header; the audio after the tag is MPEG-2.
    const Bytes audio = Padded(Frame(kMpeg2Layer3, 0, Bytes(), 200), 100000);
    const Bytes body = Padded(Bytes(500, 'A') + kXingFrame, 2000);
    MpegInfo info = Read(Id3Tag(3, body) + audio);
    EXPECT_EQ(22050, info.frequency);
    EXPECT_EQ(0, info.vbr);
    // The ten bytes after a v2.4 tag with the footer flag are the footer,
    // never audio, whatever they hold; without the flag they are audio.
    const Bytes footer = Padded(BigEndian(kMpeg1Layer3), 10);
    EXPECT_EQ(22050, Read(Id3Tag(4, "", 100, 0x10) + footer + audio).frequency);
    EXPECT_EQ(44100, Read(Id3Tag(4, "", 100) + footer + audio).frequency);

    // Version FF, revision FF, or a size byte with its top bit set: no tag.
    // The frame with the Xing header right after these ten bytes is then the
    // first, not passed over with a tag of 128 bytes.
    Bytes frames = kXingFrame;
    for (int i = 0; i < 20; ++i) frames += Frame(kMpeg1Layer3);
    const std::pair<size_t, char> damage[] = {{3, '\xFF'}, {4, '\xFF'}, {6, '\x80'},
                                              {7, '\x80'}, {8, '\x80'}, {9, '\x80'}};
    for (const auto& [at, value] : damage) {
        Bytes head = Id3Tag(3, "", 128).substr(0, 10);
        head[at] = value;
        info = Read(head + frames);
        EXPECT_EQ(1, info.vbr) << at;
        EXPECT_EQ(10000, info.frames) << at;
    }
}

}  // namespace
}  // namespace td
