#include "tags/mpeg/mpeg_info.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "tags/id3v2/id3v2_flags.h"

namespace td {

namespace {

// kbit/s by lsf, layer - 1 and bit-rate index.
const int kBitrates[2][3][16] = {
    {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    },
    {
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    },
};

const int kFrequencies[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};

// The factor of the length arithmetic: 1152 for layers II and III whatever the
// version, which the constant-bit-rate estimate relies on (see TrueSamplesPerFrame).
const int kSamplesFactor[4] = {0, 384, 1152, 1152};

const char* const kModeNames[4] = {"Stereo", "Joint-Stereo", "Dual-Channel", "Single-Channel"};
const char* const kEmphasisNames[4] = {"None", "50/15 ms", ".", "CCIT J.17"};

constexpr int kMaxFrameSize = 1792;
constexpr uint64_t kFirstBlock = 16 * 1024;
constexpr uint64_t kNextBlock = 64 * 1024;

// Table lookups that stay inside the tables whatever the fields hold.
int TableBitrate(const MpegInfo& info) {
    if (info.lsf < 0 || info.lsf > 1 || info.layer < 1 || info.layer > 3 || info.bitrate < 0 ||
        info.bitrate > 15)
        return 0;
    return kBitrates[info.lsf][info.layer - 1][info.bitrate];
}

int TableFrequency(const MpegInfo& info) {
    if (info.frequency < 0 || info.frequency > 8) return 0;
    return kFrequencies[info.frequency];
}

bool ValidShift(const MpegInfo& info) { return info.lsf == 0 || info.lsf == 1; }

// Samples in one frame as the standard defines them; unlike the factor table,
// MPEG-2 and 2.5 layer III frames carry 576. Used with exact frame counts.
int TrueSamplesPerFrame(const MpegInfo& info) {
    switch (info.layer) {
    case 1: return 384;
    case 2: return 1152;
    case 3: return info.lsf ? 576 : 1152;
    default: return 0;
    }
}

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Big-endian value at `offset`; bytes beyond `size` count as zero.
uint32_t Field32(const uint8_t* frame, size_t size, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value <<= 8;
        if (offset + i < size) value |= frame[offset + i];
    }
    return value;
}

uint32_t Field16(const uint8_t* frame, size_t size, size_t offset) {
    return Field32(frame, size, offset) >> 16;
}

bool HasMarker(const uint8_t* frame, size_t size, size_t offset, const char* marker) {
    return offset + 4 <= size && std::memcmp(frame + offset, marker, 4) == 0;
}

// Double to int32 without the undefined behaviour of an out-of-range cast:
// absurd Xing counts must not turn into garbage or traps.
int32_t ClampToInt32(double value) {
    if (!(value > 0.0)) return 0;  // also NaN
    if (value >= 2147483647.0) return 2147483647;
    return static_cast<int32_t>(value);
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Printf(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&out[0], out.size(), format, args);
    va_end(args);
    out.resize(static_cast<size_t>(n));
    return out;
}

// The four header bytes, most significant bit first:
//
//   AAAAAAAA AAABBCCD EEEEFFGH IIJJKLMM
//   A  sync, all set              B  version: 00 MPEG 2.5, 10 MPEG-2, 11 MPEG-1
//   C  layer: 01 III, 10 II, 11 I D  protection: 0 when a CRC follows
//   E  bit-rate index             F  sampling-frequency index
//   G  padding                    H  private
//   I  channel mode               J  mode extension
//   K  copyright                  L  original
//   M  emphasis
struct HeaderField {
    int shift;
    uint32_t mask;  // after the shift
};
constexpr HeaderField kSync{21, 0x7FF};
constexpr HeaderField kVersion{19, 3};
constexpr HeaderField kLayer{17, 3};
constexpr HeaderField kProtection{16, 1};
constexpr HeaderField kBitrateIndex{12, 15};
constexpr HeaderField kFrequencyIndex{10, 3};
constexpr HeaderField kPadding{9, 1};
constexpr HeaderField kPrivate{8, 1};
constexpr HeaderField kChannelMode{6, 3};
constexpr HeaderField kModeExtension{4, 3};
constexpr HeaderField kCopyright{3, 1};
constexpr HeaderField kOriginal{2, 1};
constexpr HeaderField kEmphasis{0, 3};
// The two version bits on their own: clear high bit for MPEG 2.5, low bit
// set for MPEG-1.
constexpr uint32_t kNotMpeg25Bit = 1u << 20;
constexpr uint32_t kMpeg1Bit = 1u << 19;
constexpr uint32_t kLayerOneBits = 3;
constexpr uint32_t kReservedIndex = 15;     // bit-rate index with no bit rate
constexpr uint32_t kFreeFormatIndex = 0;    // bit-rate index of free format
constexpr uint32_t kReservedFrequency = 3;  // sampling-frequency index with no frequency
constexpr int32_t kSingleChannel = 3;       // channel mode
// The top 16 bits of an MPEG-1 layer I header with a CRC, also the first
// two bytes of a UTF-16 byte-order mark.
constexpr uint32_t kLayerOneCrcTop = 0xFFFE;

constexpr uint32_t Mask(HeaderField field) { return field.mask << field.shift; }
constexpr uint32_t Bits(uint32_t header, HeaderField field) { return (header >> field.shift) & field.mask; }

// XingHeader::flags: which fields of a Xing header are present.
constexpr uint32_t kXingFrames = 1;
constexpr uint32_t kXingBytes = 2;
constexpr uint32_t kXingToc = 4;  // a 100-byte table of contents
constexpr uint32_t kXingQuality = 8;

// Sync, version, layer and sampling frequency: what the headers of one
// stream share from frame to frame.
constexpr uint32_t kStreamMask = Mask(kSync) | Mask(kVersion) | Mask(kLayer) | Mask(kFrequencyIndex);
static_assert(kStreamMask == 0xFFFE0C00u, "sync, version, layer and frequency");
// How far past the first header that passes the rules a confirmed one is
// looked for, so that a file that is no MPEG stream at all is not read whole.
constexpr uint64_t kConfirmWindow = 1024 * 1024;

// Length of the frame a header starts, header included; 0 when it does not decode.
uint32_t FrameLength(uint32_t header) {
    MpegInfo probe{};
    if (!DecodeFrameHeader(probe, header)) return 0;
    return static_cast<uint32_t>(probe.frameSize) + 4;
}

// Reads the four bytes at `offset` outside the block scan.
bool PeekHeader(File& file, uint64_t offset, uint32_t& header) {
    uint8_t b[4];
    if (!file.Seek(offset) || file.Read(b, 4) != 4) return false;
    header = BigEndian32(b);
    return true;
}

// Finds the first frame header at or after `start`. Four bytes that pass
// IsValidFrameHeader can as well be part of leading garbage, so a candidate
// counts only when the header of a frame of the same stream follows it at the
// length it implies, the way players find their first frame. When that next
// header would lie beyond `audioEnd` there is nothing to confirm with and the
// candidate is taken as it is; when no candidate is confirmed, the first one
// is. The file is searched in blocks: a small first block because the first
// frame nearly always follows at once, larger ones after. `buffer` ends up
// holding the last block read, from file offset `bufferStart`.
bool FindFrameHeader(File& file, uint64_t start, uint64_t fileLength, uint64_t audioEnd, uint64_t& found,
                     std::vector<uint8_t>& buffer, uint64_t& bufferStart) {
    if (start >= fileLength) return false;
    buffer.clear();
    bufferStart = start;
    uint64_t next = start;  // file offset of the byte after the buffer
    size_t scanFrom = 0;    // buffer index of the first window not yet tested
    uint64_t block = kFirstBlock;
    bool haveFirst = false;
    uint64_t first = 0;
    while (next < fileLength) {
        size_t want = static_cast<size_t>(fileLength - next < block ? fileLength - next : block);
        size_t old = buffer.size();
        buffer.resize(old + want);
        size_t got = file.Seek(next) ? file.Read(buffer.data() + old, want) : 0;
        buffer.resize(old + got);
        if (got == 0) break;
        next += got;
        for (size_t i = scanFrom; i + 4 <= buffer.size(); ++i) {
            const uint32_t header = BigEndian32(&buffer[i]);
            if (!IsValidFrameHeader(header)) continue;
            const uint64_t at = bufferStart + i;
            if (!haveFirst) {
                haveFirst = true;
                first = at;
            }
            const uint32_t length = FrameLength(header);
            if (length == 0) continue;
            if (at + length + 4 > audioEnd) {
                found = at;
                return true;
            }
            uint32_t following = 0;
            if (i + length + 4 <= buffer.size()) {
                following = BigEndian32(&buffer[i + length]);
            } else if (!PeekHeader(file, at + length, following)) {
                continue;
            }
            if (IsValidFrameHeader(following) && (following & kStreamMask) == (header & kStreamMask)) {
                found = at;
                return true;
            }
        }
        if (haveFirst && next - first > kConfirmWindow) break;
        // Keep the last three bytes: a header may straddle two blocks.
        size_t keep = buffer.size() < 3 ? buffer.size() : 3;
        std::memmove(buffer.data(), buffer.data() + buffer.size() - keep, keep);
        bufferStart += buffer.size() - keep;
        buffer.resize(keep);
        scanFrom = 0;
        block = kNextBlock;
    }
    found = first;
    return haveFirst;
}

}  // namespace

bool IsValidFrameHeader(uint32_t header) {
    if ((header & Mask(kSync)) != Mask(kSync)) return false;
    const uint32_t layerBits = Bits(header, kLayer);
    if (layerBits == 0) return false;
    const uint32_t bitrateIndex = Bits(header, kBitrateIndex);
    if (bitrateIndex == kReservedIndex) return false;
    if (bitrateIndex == kFreeFormatIndex) return false;
    if (Bits(header, kFrequencyIndex) == kReservedFrequency) return false;
    if ((header & kMpeg1Bit) && layerBits == kLayerOneBits && Bits(header, kProtection)) return false;
    if ((header >> 16) == kLayerOneCrcTop) return false;
    return true;
}

bool DecodeFrameHeader(MpegInfo& info, uint32_t header) {
    if (header & kNotMpeg25Bit) {
        info.lsf = (header & kMpeg1Bit) ? 0 : 1;
        info.mpeg25 = 0;
    } else {
        info.lsf = 1;
        info.mpeg25 = 1;
    }
    const auto field = [header](HeaderField f) { return static_cast<int32_t>(Bits(header, f)); };
    info.layer = 4 - field(kLayer);
    const int32_t frequencyBits = field(kFrequencyIndex);
    info.frequency = info.mpeg25 ? frequencyBits + 6 : frequencyBits + 3 * info.lsf;
    info.crcProtected = 1 - field(kProtection);
    info.bitrate = field(kBitrateIndex);
    info.padding = field(kPadding);
    info.privateBit = field(kPrivate);
    info.mode = field(kChannelMode);
    info.modeExtension = field(kModeExtension);
    info.copyright = field(kCopyright);
    info.original = field(kOriginal);
    info.emphasis = field(kEmphasis);
    info.channels = info.mode == kSingleChannel ? 1 : 2;

    if (info.bitrate == static_cast<int32_t>(kFreeFormatIndex)) return false;
    // Reserved indexes: no table entry to compute with.
    if (info.bitrate == static_cast<int32_t>(kReservedIndex) ||
        frequencyBits == static_cast<int32_t>(kReservedFrequency)) {
        return false;
    }
    if (info.layer < 1 || info.layer > 3) return false;
    int b = TableBitrate(info);
    int f = TableFrequency(info);
    switch (info.layer) {
    case 1: info.frameSize = ((b * 12000 / f) + info.padding) * 4 - 4; break;
    case 2: info.frameSize = b * 144000 / f + info.padding - 4; break;
    default: info.frameSize = b * 144000 / (f << info.lsf) + info.padding - 4; break;
    }
    return info.frameSize <= kMaxFrameSize;
}

double SecondsPerFrame(const MpegInfo& info) {
    int f = TableFrequency(info);
    if (f == 0 || !ValidShift(info) || info.layer < 0 || info.layer > 3) return 0.0;
    return kSamplesFactor[info.layer] / static_cast<double>(f << info.lsf);
}

double BytesPerFrame(const MpegInfo& info) {
    int f = TableFrequency(info);
    if (f == 0 || !ValidShift(info)) return 1.0;
    double b = TableBitrate(info);
    switch (info.layer) {
    case 1: return b * 48000.0 / (f << info.lsf);
    case 2:
    case 3: return b * 144000.0 / (f << info.lsf);
    default: return 1.0;
    }
}

bool ReadXingHeader(const uint8_t* frame, size_t size, XingHeader& xing) {
    if (frame == nullptr || size < 4) return false;
    xing = XingHeader();
    const uint32_t header = BigEndian32(frame);
    xing.version = (header & kMpeg1Bit) ? 1 : 0;
    const bool single = static_cast<int32_t>(Bits(header, kChannelMode)) == kSingleChannel;
    size_t offset;
    if (xing.version)
        offset = single ? 21 : 36;
    else
        offset = single ? 13 : 21;

    bool isXing = HasMarker(frame, size, offset, "Xing");
    bool isInfo = !isXing && HasMarker(frame, size, offset, "Info");
    if (isXing || isInfo) {
        xing.isInfo = isInfo;
        size_t at = offset + 4;
        xing.flags = Field32(frame, size, at);
        at += 4;
        if (xing.flags & kXingFrames) {
            xing.frames = Field32(frame, size, at);
            at += 4;
        }
        if (xing.flags & kXingBytes) {
            xing.bytes = Field32(frame, size, at);
            at += 4;
        }
        if (xing.flags & kXingToc) at += 100;
        if (xing.flags & kXingQuality) xing.quality = static_cast<int32_t>(Field32(frame, size, at));
        return true;
    }

    // Fraunhofer's encoder puts its header 32 bytes after the frame header,
    // whatever the version and mode.
    const size_t vbriOffset = 36;
    if (HasMarker(frame, size, vbriOffset, "VBRI")) {
        xing.isVbri = true;
        xing.quality = static_cast<int32_t>(Field16(frame, size, vbriOffset + 8));
        xing.bytes = Field32(frame, size, vbriOffset + 10);
        xing.frames = Field32(frame, size, vbriOffset + 14);
        xing.flags = kXingFrames | kXingBytes | kXingQuality;
        return true;
    }
    return false;
}

void ReadMpegInfo(File& file, uint64_t audioStart, uint64_t fileLength, MpegInfo& info, bool hasId3v1) {
    std::vector<uint8_t> buffer;
    uint64_t bufferStart = 0;
    uint64_t headerAt = 0;
    const uint64_t tail = hasId3v1 ? 128 : 0;
    const uint64_t audioEnd = fileLength > tail ? fileLength - tail : 0;
    if (!FindFrameHeader(file, audioStart, fileLength, audioEnd, headerAt, buffer, bufferStart)) return;
    const bool buffered = headerAt >= bufferStart && headerAt - bufferStart + 4 <= buffer.size();
    const size_t index = buffered ? static_cast<size_t>(headerAt - bufferStart) : 0;
    uint32_t header = 0;
    if (buffered) {
        header = BigEndian32(&buffer[index]);
    } else if (!PeekHeader(file, headerAt, header)) {
        return;
    }
    if (!DecodeFrameHeader(info, header)) return;

    // The whole first frame, header included; what lies past the end of the
    // file reads as zero.
    size_t frameBytes = static_cast<size_t>(info.frameSize) + 4;
    std::vector<uint8_t> frame(frameBytes, 0);
    if (buffered && index + frameBytes <= buffer.size()) {
        std::memcpy(frame.data(), &buffer[index], frameBytes);
    } else if (file.Seek(headerAt)) {
        size_t got = 0;
        while (got < frameBytes) {
            size_t n = file.Read(frame.data() + got, frameBytes - got);
            if (n == 0) break;
            got += n;
        }
    }

    double secondsPerFrame = SecondsPerFrame(info);
    double bytesPerFrame = BytesPerFrame(info);
    int frequencyHz = TableFrequency(info);
    int tableBitrate = TableBitrate(info);
    // The true duration of one frame, for exact frame counts.
    double trueSecondsPerFrame = TrueSamplesPerFrame(info) / static_cast<double>(frequencyHz);

    // Audio bytes: from the first frame (neither the ID3v2 tag at the head nor
    // garbage after it) up to the ID3v1 trailer.
    uint64_t audioBytes = audioEnd > headerAt ? audioEnd - headerAt : 0;

    XingHeader xing;
    bool exact =
        ReadXingHeader(frame.data(), frame.size(), xing) && (xing.flags & kXingFrames) && xing.frames != 0;
    if (exact && !xing.isInfo) {
        // Variable bit rate: the average over the bytes the header counts, or
        // over the audio bytes when it counts none.
        double bytes =
            (xing.flags & kXingBytes) ? static_cast<double>(xing.bytes) : static_cast<double>(audioBytes);
        info.vbr = 1;
        info.frames = ClampToInt32(xing.frames);
        info.bitrate = ClampToInt32(bytes * 8.0 / (xing.frames * trueSecondsPerFrame * 1000.0));
        info.seconds = ClampToInt32(xing.frames * trueSecondsPerFrame);
    } else if (exact) {
        // "Info": the encoder counted the frames of a constant-bit-rate file.
        info.vbr = 0;
        info.frames = ClampToInt32(xing.frames);
        info.bitrate = tableBitrate;
        info.seconds = ClampToInt32(xing.frames * trueSecondsPerFrame);
    } else {
        // Estimate. For MPEG-2 layers I and II both factors are off by two in
        // opposite directions, so the seconds come out right.
        info.vbr = 0;
        info.frames = ClampToInt32(static_cast<double>(audioBytes) / bytesPerFrame + 1.0);
        info.bitrate = tableBitrate;
        info.seconds = ClampToInt32(info.frames * secondsPerFrame);
    }
    info.frequency = frequencyHz;
}

void ReadMpegInfo(const std::string& path, MpegInfo& info, bool hasId3v1) {
    std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
    if (!file) return;
    uint64_t length = 0;
    if (!file->GetSize(length)) {
        file->Close();
        return;
    }
    // Skip an ID3v2 tag (and a v2.4 footer): pictures and texts inside it can
    // hold byte patterns that look like frame headers.
    uint64_t audioStart = 0;
    uint8_t head[10];
    if (length >= 10 && file->Read(head, 10) == 10 && std::memcmp(head, "ID3", 3) == 0 && head[3] != 0xFF &&
        head[4] != 0xFF && (head[6] | head[7] | head[8] | head[9]) < 0x80) {
        uint64_t size = (uint64_t(head[6]) << 21) | (uint64_t(head[7]) << 14) | (uint64_t(head[8]) << 7) |
                        uint64_t(head[9]);
        audioStart = 10 + size + ((head[3] == 4 && (head[5] & kId3Footer)) ? 10 : 0);
    }
    ReadMpegInfo(*file, audioStart, length, info, hasId3v1);
    file->Close();
}

std::string FormatMpegVersion(const MpegInfo& info) {
    if (info.mpeg25 == 1) return Printf("MPEG 2.5, layer %d", info.layer);
    // Records from playlist files can hold any value here.
    return Printf("MPEG %lld, layer %d", static_cast<long long>(info.lsf) + 1, info.layer);
}

std::string FormatBitrate(const MpegInfo& info) {
    if (info.vbr == 1) return Printf("%dkb/s (VBR)", info.bitrate);
    return Printf("%dkb/s", info.bitrate);
}

void FormatMpegInfoText(const MpegInfo& info, std::string& first, std::string& second) {
    first = Printf("Size: %d bytes\r\nLength: %lu seconds\r\n%s\r\n%s\r\n%d frames", info.fileSize,
                   static_cast<unsigned long>(static_cast<uint32_t>(info.seconds)),
                   FormatMpegVersion(info).c_str(), FormatBitrate(info).c_str(), info.frames);
    second = Printf("%dHz %s\r\nCRCs: %s\r\nCopyrighted: %s\r\nOriginal: %s\r\nEmphasis: %s", info.frequency,
                    ChannelModeName(info.mode), YesNoName(info.crcProtected), YesNoName(info.copyright),
                    YesNoName(info.original), EmphasisName(info.emphasis));
}

const char* ChannelModeName(int mode) { return mode >= 0 && mode < 4 ? kModeNames[mode] : ""; }

const char* EmphasisName(int emphasis) {
    return emphasis >= 0 && emphasis < 4 ? kEmphasisNames[emphasis] : "";
}

const char* YesNoName(int flag) { return flag ? "Yes" : "No"; }

}  // namespace td
