// Feeds arbitrary bytes to the frame-header decoder, the Xing/Info/VBRI
// reader and the stream reader over an in-memory file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tags/mpeg/memory_file.h"
#include "tags/mpeg/mpeg_info.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void ReadStream(const uint8_t* data, size_t size, uint64_t audioStart, uint64_t fileLength, bool hasId3v1) {
    td::MemoryFile file(data, size);
    td::MpegInfo info;
    std::memset(&info, 0, sizeof info);
    td::ReadMpegInfo(file, audioStart, fileLength, info, hasId3v1);
    if (info.layer != 0 && info.frequency > 8) {
        // A completed reading: the Hz and kbit/s replaced the indexes.
        Check(info.frameSize <= 1792);
        Check(info.frames >= 0 && info.seconds >= 0 && info.bitrate >= 0);
        Check(info.vbr == 0 || info.vbr == 1);
    }
    std::string first, second;
    td::FormatMpegInfoText(info, first, second);
}

// Serves the input as every file, so that the path overload (which skips an
// ID3v2 tag itself) runs too.
class InputFileSystem : public td::FileSystem {
public:
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::unique_ptr<td::File> Open(const std::string&, td::OpenMode mode) override {
        if (mode != td::OpenMode::Read) return nullptr;
        return std::make_unique<td::MemoryFile>(data, size);
    }
    bool GetStatus(const std::string&, td::FileStatus& status) override {
        status.size = size;
        return true;
    }
    bool GetAttributes(const std::string&, uint32_t&) override { return false; }
    bool SetAttributes(const std::string&, uint32_t) override { return false; }
    bool Remove(const std::string&) override { return false; }
    bool Rename(const std::string&, const std::string&) override { return false; }
    bool Replace(const std::string&, const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 4) {
        uint32_t header = (uint32_t(data[0]) << 24) | (uint32_t(data[1]) << 16) | (uint32_t(data[2]) << 8) |
                          uint32_t(data[3]);
        td::MpegInfo info;
        std::memset(&info, 0, sizeof info);
        bool valid = td::IsValidFrameHeader(header);
        bool decoded = td::DecodeFrameHeader(info, header);
        if (valid && decoded) Check(info.frameSize >= 0 && info.frameSize <= 1792);
        (void)td::SecondsPerFrame(info);
        (void)td::BytesPerFrame(info);
        (void)td::FormatMpegVersion(info);
        (void)td::FormatBitrate(info);
    }
    td::XingHeader xing;
    (void)td::ReadXingHeader(data, size, xing);

    // The whole input as a file, then with the first byte choosing where the
    // audio starts and whether a trailer is assumed; finally a length that
    // claims more than the file holds.
    ReadStream(data, size, 0, size, false);
    if (size > 0) {
        uint64_t start = (uint64_t(data[0]) * 7) % (size + 1);
        ReadStream(data, size, start, size, (data[0] & 1) != 0);
        ReadStream(data, size, start, uint64_t(size) + 200000, true);
    }

    static InputFileSystem fs;
    fs.data = data;
    fs.size = size;
    td::FileSystem* previous = td::SetFs(&fs);
    td::MpegInfo info;
    std::memset(&info, 0, sizeof info);
    td::ReadMpegInfo("song.mp3", info, size > 0 && (data[size - 1] & 1));
    td::SetFs(previous);
    return 0;
}
