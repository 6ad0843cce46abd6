// Reads, writes and removes ID3v1 trailers of arbitrary files held in memory,
// and runs the text and genre helpers on arbitrary bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "tags/id3v1/id3v1.h"
#include "tags/mpeg/memory_file.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

class StringFileSystem : public td::FileSystem {
public:
    std::string data;
    std::unique_ptr<td::File> Open(const std::string&, td::OpenMode mode) override {
        if (mode == td::OpenMode::Create || mode == td::OpenMode::CreateNew) data.clear();
        return td::MemoryFile::Over(data);
    }
    bool GetStatus(const std::string&, td::FileStatus& status) override {
        status.size = data.size();
        return true;
    }
    bool GetAttributes(const std::string&, uint32_t& attributes) override {
        attributes = td::kAttrNormal;
        return true;
    }
    bool SetAttributes(const std::string&, uint32_t) override { return true; }
    bool Remove(const std::string&) override { return false; }
    bool Rename(const std::string&, const std::string&) override { return false; }
    bool Replace(const std::string&, const std::string&) override { return false; }
};

bool EndsWithTag(const std::string& data) {
    return data.size() >= 128 && data.compare(data.size() - 128, 3, "TAG") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static StringFileSystem fs;
    td::SetFs(&fs);
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Read, convert to the block and back, write, read again.
    fs.data = input;
    td::Id3v1Raw raw;
    const td::Id3v1Read read = td::ReadId3v1File("song.mp3", raw);
    Check(read == (EndsWithTag(input) ? td::Id3v1Read::Found : td::Id3v1Read::Absent));
    td::Id3v1Tag block;
    td::RawToBlock(raw, block);
    Check(block.title[30] == 0 && block.artist[30] == 0 && block.album[30] == 0 && block.year[4] == 0 &&
          block.comment[30] == 0);
    td::BlockToRaw(block, raw);
    Check(td::WriteId3v1File("song.mp3", raw) == td::Id3v2Error::NoError);
    Check(fs.data.size() == input.size() + (EndsWithTag(input) ? 0 : 128));
    Check(fs.data.compare(0, fs.data.size() - 128, input, 0, fs.data.size() - 128) == 0);
    td::Id3v1Raw again;
    Check(td::ReadId3v1File("song.mp3", again) == td::Id3v1Read::Found);
    td::Id3v1Tag blockAgain;
    td::RawToBlock(again, blockAgain);
    Check(blockAgain.genre == block.genre);
    Check(std::strcmp(blockAgain.title, block.title) == 0);

    // Remove from the original.
    fs.data = input;
    Check(td::RemoveId3v1File("song.mp3") == td::Id3v2Error::NoError);
    Check(fs.data.size() == input.size() - (EndsWithTag(input) ? 128 : 0));

    // Text helpers on the bytes as a C string.
    std::string text = input;
    td::TrimField(&text[0], -1);
    text = input;
    td::TrimField(&text[0], size > 0 ? data[0] % 40 : 0);
    (void)td::GenreIndex(input.c_str());
    Check(td::GenreName(size > 0 ? data[0] : 0) != nullptr);

    td::SetFs(nullptr);
    return 0;
}
