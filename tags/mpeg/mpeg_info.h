// MPEG audio stream information: the first accepted frame header of a file,
// a Xing/Info/VBRI header inside that frame, and the frame count and length.
#pragma once

#include <cstdint>
#include <string>

namespace td {

class File;

// Nineteen 32-bit fields in a fixed order; stored raw in playlist files.
struct MpegInfo {
    int32_t fileSize;
    int32_t channels;
    int32_t lsf;
    int32_t mpeg25;
    int32_t layer;
    int32_t crcProtected;
    int32_t frequency;  // index while decoding, Hz afterwards
    int32_t bitrate;    // index while decoding, kbit/s afterwards
    int32_t vbr;
    int32_t frames;
    int32_t seconds;
    int32_t padding;
    int32_t privateBit;
    int32_t mode;
    int32_t modeExtension;
    int32_t copyright;
    int32_t original;
    int32_t emphasis;
    int32_t frameSize;
};
static_assert(sizeof(MpegInfo) == 76, "MpegInfo is stored raw: 19 x 4 bytes");

// Xing ("Xing"/"Info") or VBRI header found in the first frame.
struct XingHeader {
    int version = 0;     // version flag of the frame header (bit 3 of byte 1)
    uint32_t flags = 0;  // 1 frames, 2 bytes, 4 table of contents, 8 quality
    uint32_t frames = 0;
    uint32_t bytes = 0;
    int32_t quality = -1;
    bool isInfo = false;  // "Info": a LAME header of a constant-bit-rate file
    bool isVbri = false;  // Fraunhofer VBRI header
};

bool IsValidFrameHeader(uint32_t header);
bool DecodeFrameHeader(MpegInfo& info, uint32_t header);
double SecondsPerFrame(const MpegInfo& info);  // while frequency/bitrate are indexes
double BytesPerFrame(const MpegInfo& info);    // while frequency/bitrate are indexes
// `frame` holds the first frame (header included), `size` bytes of it.
bool ReadXingHeader(const uint8_t* frame, size_t size, XingHeader& xing);

// Reads the file at `path` and fills fields 2 to 19 of `info`.
void ReadMpegInfo(const std::string& path, MpegInfo& info, bool hasId3v1);
// The same on an open file, searching from `audioStart` (the end of an ID3v2
// tag, 0 when there is none); `fileLength` is the file's size.
void ReadMpegInfo(File& file, uint64_t audioStart, uint64_t fileLength, MpegInfo& info, bool hasId3v1);

std::string FormatMpegVersion(const MpegInfo& info);
std::string FormatBitrate(const MpegInfo& info);
// The two texts of the tag editor's information panel.
void FormatMpegInfoText(const MpegInfo& info, std::string& first, std::string& second);

const char* ChannelModeName(int mode);  // "Stereo", ...
const char* EmphasisName(int emphasis);
const char* YesNoName(int flag);

}  // namespace td
