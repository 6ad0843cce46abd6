#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tags/song_record.h"

namespace td {
namespace {

constexpr int kFromId3v1 = 0;

Id3v1Tag Block() {
    Id3v1Tag block;
    std::memset(&block, 0, sizeof block);
    return block;
}

std::string Field(const SongRecord& record, int type, int source, const char* initial = " ") {
    std::string text = initial;
    GetTagField(record, type, source, text);
    return text;
}

TEST(TagFieldReader, Id3v1GenreAndTrackTexts) {
    SongRecord record("x.mp3", false);
    Id3v1Tag block = Block();
    record.SetId3v1(&block);
    EXPECT_EQ(Field(record, kTCON, kFromId3v1), "???");
    EXPECT_EQ(Field(record, kTRCK, kFromId3v1), " ");  // track 0: nothing
    block.track = 12;
    block.genre = 200;  // beyond the list
    record.SetId3v1(&block);
    EXPECT_EQ(Field(record, kTCON, kFromId3v1), "???");
    EXPECT_EQ(Field(record, kTRCK, kFromId3v1), "12");
}

}  // namespace
}  // namespace td
