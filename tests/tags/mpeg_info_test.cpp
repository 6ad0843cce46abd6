#include "tags/mpeg/mpeg_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "support/test_support.h"

namespace td {
namespace {

using Bytes = std::string;

const uint32_t kMpeg1Layer3 = 0xFFFB9044;      // 128 kbit/s, 44100 Hz, joint stereo, original
const uint32_t kMpeg1Layer3Mono = 0xFFFB90C4;  // 128 kbit/s, 44100 Hz, single channel
const uint32_t kMpeg2Layer3 = 0xFFF38044;      // 64 kbit/s, 22050 Hz, joint stereo
const uint32_t kMpeg2Layer2 = 0xFFF58000;      // 64 kbit/s, 22050 Hz, stereo

Bytes Be32(uint32_t v, int shift = 8, uint32_t mask = 0xFF) {
    Bytes out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((v >> (shift * (3 - i))) & mask);
    return out;
}

// A first frame: the header, zeros, and `payload` at `offset` from the header.
Bytes Frame(uint32_t header, size_t offset = 0, const Bytes& payload = Bytes(), size_t size = 417) {
    Bytes frame = Be32(header);
    frame.resize(size, '\0');
    if (!payload.empty()) frame.replace(offset, payload.size(), payload);
    return frame;
}

Bytes XingPayload(const char* marker, uint32_t flags, uint32_t frames, uint32_t bytes) {
    Bytes p = Bytes(marker, 4) + Be32(flags);
    if (flags & 1) p += Be32(frames);
    if (flags & 2) p += Be32(bytes);
    if (flags & 4) p += Bytes(100, '\x01');
    if (flags & 8) p += Be32(78);
    return p;
}

// An ID3v2.3 tag header of `size` body bytes.
Bytes Id3v2Header(uint32_t size, uint8_t version = 3, uint8_t flags = 0) {
    return Bytes("ID3", 3) + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           Be32(size, 7, 0x7F);
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

TEST(MpegHeader, RejectsInvalidHeaders) {
    EXPECT_FALSE(IsValidFrameHeader(0x7FFB9044));  // sync incomplete
    EXPECT_FALSE(IsValidFrameHeader(0xFFFB0044));  // free format
    EXPECT_FALSE(IsValidFrameHeader(0xFFFB9C44));  // frequency index 3
    EXPECT_FALSE(IsValidFrameHeader(0xFFFF9044));  // MPEG-1 layer I without CRC
    EXPECT_FALSE(IsValidFrameHeader(0xFFFE9044));  // MPEG-1 layer I with CRC, or a BOM
}

TEST(MpegHeader, FailsOversizedAndReservedFrames) {
    MpegInfo info = Zero();
    // MPEG 2.5 layer II, 160 kbit/s at 8000 Hz: 2880 bytes.
    EXPECT_FALSE(DecodeFrameHeader(info, 0xFFE5E800));
    EXPECT_EQ(2, info.layer);  // the fields are written all the same
    EXPECT_FALSE(DecodeFrameHeader(info, 0xFFFB0044));
    // MPEG-2 layer I, 144 kbit/s at 22050 Hz: 78 slots of four bytes, header included.
    ASSERT_TRUE(DecodeFrameHeader(info, 0xFFF79000));
    EXPECT_EQ(78 * 4 - 4, info.frameSize);
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
    }
}

TEST(XingHeaderTest, TruncatedFrameReadsAsZeros) {
    Bytes frame = Frame(kMpeg1Layer3, 36, XingPayload("Xing", 3, 0x01020304, 4000000));
    frame.resize(36 + 4 + 4 + 2);  // the frame count is cut in half
    XingHeader xing;
    ASSERT_TRUE(ReadXing(frame, xing));
    EXPECT_EQ(0x01020000u, xing.frames);
    EXPECT_EQ(0u, xing.bytes);
    frame.resize(38);  // the marker itself is cut
    EXPECT_FALSE(ReadXing(frame, xing));
}

TEST_F(MpegFileTest, ConstantBitRateEstimate) {
    MpegInfo info = Read(Padded(Frame(kMpeg1Layer3), 5000000));
    EXPECT_EQ(44100, info.frequency);
    EXPECT_EQ(128, info.bitrate);
    EXPECT_EQ(11963, info.frames);
    EXPECT_EQ(312, info.seconds);
    EXPECT_EQ(413, info.frameSize);
}

TEST_F(MpegFileTest, Id3v1TrailerIsNotAudio) {
    // 4,999,700 bytes: 11962.2 frames, but 11961.9 without the trailer.
    Bytes content = Padded(Frame(kMpeg1Layer3), 4999700);
    EXPECT_EQ(11963, Read(content, false).frames);
    EXPECT_EQ(11962, Read(content, true).frames);
    EXPECT_EQ(11963, Read(Padded(Frame(kMpeg1Layer3), 5000000), true).frames);
}

TEST_F(MpegFileTest, XingGivesFramesLengthAndAverage) {
    MpegInfo info = Read(Padded(kXingFrame, 4000417));
    EXPECT_EQ(1, info.vbr);
    EXPECT_EQ(10000, info.frames);
    EXPECT_EQ(261, info.seconds);
    EXPECT_EQ(122, info.bitrate);
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
}

TEST(MpegTextTest, VersionOfAHostileRecordDoesNotOverflow) {
    // A playlist file's record can carry any number in the version field.
    MpegInfo info{};
    info.lsf = 2147483647;
    info.layer = 3;
    EXPECT_EQ("MPEG 2147483648, layer 3", FormatMpegVersion(info));
}

TEST_F(MpegFileTest, FirstFrameIsFoundAfterLeadingBytes) {
    // FF FE 90 44 and FF FF 90 44 would decode as MPEG-1 layer I; the real frame
    // after them carries a Xing header, which shows where the search stopped.
    // The zero runs put the frame across the search's block boundaries.
    for (const Bytes& lead : {Be32(0xFFFE9044u), Be32(0xFFFF9044u), Bytes(16382, '\0'),
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
    garbage.replace(100, 4, Be32(0xFFF3D400u));
    garbage.replace(1000, 4, Be32(kMpeg1Layer3));
    garbage.replace(1417, 4, Be32(kMpeg2Layer3));
    Bytes audio;
    for (int i = 0; i < 100; ++i) audio += Frame(0xFFFB5000u, 0, Bytes(), 208);
    MpegInfo info = Read(garbage + audio);
    EXPECT_EQ(44100, info.frequency);
    EXPECT_EQ(64, info.bitrate);
    EXPECT_EQ(100, info.frames);  // the garbage is not counted as audio
    EXPECT_EQ(2, info.seconds);

    // The Xing header is looked for in the frame that was confirmed.
    Bytes vbr = kXingFrame;
    for (int i = 0; i < 20; ++i) vbr += Frame(kMpeg1Layer3);
    info = Read(garbage + vbr);
    EXPECT_EQ(1, info.vbr);
    EXPECT_EQ(10000, info.frames);
}

TEST_F(MpegFileTest, HeaderInsideAnId3v2TagIsNotTheFirstFrame) {
    // A picture inside the tag holds what looks like an MPEG-1 frame with a
    // Xing header; the audio after the tag is MPEG-2.
    Bytes body = Padded(Bytes(500, 'A') + kXingFrame, 2000);
    Bytes content = Id3v2Header(2000) + body + Padded(Frame(kMpeg2Layer3, 0, Bytes(), 200), 500000);
    MpegInfo info = Read(content);
    EXPECT_EQ(22050, info.frequency);
    EXPECT_EQ(0, info.vbr);
}

TEST_F(MpegFileTest, Id3v24FooterIsSkipped) {
    // The ten bytes after a v2.4 tag with the footer flag are the footer,
    // never audio, whatever they hold.
    Bytes footer = Padded(Be32(kMpeg1Layer3), 10);
    Bytes audio = Padded(Frame(kMpeg2Layer3, 0, Bytes(), 200), 100000);
    MpegInfo info = Read(Id3v2Header(100, 4, 0x10) + Bytes(100, '\0') + footer + audio);
    EXPECT_EQ(22050, info.frequency);
    // Without the flag those bytes are audio.
    info = Read(Id3v2Header(100, 4, 0) + Bytes(100, '\0') + footer + audio);
    EXPECT_EQ(44100, info.frequency);
}

TEST_F(MpegFileTest, UnreadableOrShortFilesLeaveTheFieldsAlone) {
    MpegInfo sentinel;
    std::memset(&sentinel, 7, sizeof sentinel);
    for (const Bytes& content : {Bytes(), Bytes("\xFF\xFB\x90", 3), Bytes(100000, '\x55')}) {
        MpegInfo info = sentinel;
        std::string path = dir_.Path("short.mp3");
        ASSERT_TRUE(test::WriteBytes(path, content));
        ReadMpegInfo(path, info, false);
        EXPECT_EQ(0, std::memcmp(&info, &sentinel, sizeof info)) << content.size();
    }
    MpegInfo info = sentinel;
    ReadMpegInfo(dir_.Path("missing.mp3"), info, false);
    EXPECT_EQ(0, std::memcmp(&info, &sentinel, sizeof info));
}

TEST(MpegTexts, VersionBitrateAndPanel) {
    MpegInfo info = Zero();
    ASSERT_TRUE(DecodeFrameHeader(info, kMpeg1Layer3));
    info.fileSize = 4000417;
    info.frequency = 44100;
    info.bitrate = 122;
    info.vbr = 1;
    info.frames = 10000;
    info.seconds = 261;
    std::string first, second;
    FormatMpegInfoText(info, first, second);
    EXPECT_EQ(
        "Size: 4000417 bytes\r\nLength: 261 seconds\r\nMPEG 1, layer 3\r\n122kb/s (VBR)\r\n"
        "10000 frames",
        first);
    EXPECT_EQ("44100Hz Joint-Stereo\r\nCRCs: No\r\nCopyrighted: No\r\nOriginal: Yes\r\nEmphasis: None",
              second);
}

}  // namespace
}  // namespace td
