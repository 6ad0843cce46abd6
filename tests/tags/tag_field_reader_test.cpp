#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tags/song_record.h"

namespace td {
namespace {

constexpr int kFromId3v1 = 0;
constexpr int kFromId3v2 = 1;
constexpr int kId3v2ThenId3v1 = 2;
constexpr int kId3v1ThenId3v2 = 3;

Id3v1Tag Block() {
    Id3v1Tag block;
    std::memset(&block, 0, sizeof block);
    std::strcpy(block.title, "V1 title");
    std::strcpy(block.artist, "   ");  // blank
    std::strcpy(block.album, "Best");
    std::strcpy(block.year, "1987");
    std::strcpy(block.comment, "V1 comment");
    block.genre = 0;
    block.track = 0;
    return block;
}

std::string Field(const SongRecord& record, int type, int source, const char* initial = " ") {
    std::string text = initial;
    GetTagField(record, type, source, text);
    return text;
}

TEST(TagFieldReader, Id3v2FirstFallsBackToId3v1ForAnEmptyFrame) {
    SongRecord record("x.mp3", false);
    const Id3v1Tag block = Block();
    record.SetId3v1(&block);
    record.AddFrame(std::make_unique<Id3v2FieldFrame>(kTALB, ""), false);
    record.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, "V2 title"), false);
    record.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, "Second title"), false);
    EXPECT_EQ(Field(record, kTALB, kId3v2ThenId3v1), "Best");
    EXPECT_EQ(Field(record, kTALB, kFromId3v2), "");
    EXPECT_EQ(Field(record, kTIT2, kId3v2ThenId3v1), "V2 title");
    EXPECT_EQ(Field(record, kTIT2, kId3v1ThenId3v2), "V1 title");
    EXPECT_EQ(Field(record, kTYER, kId3v2ThenId3v1), "1987");  // no frame at all
    // Neither tag has it: the caller's space is emptied, as the list expects.
    EXPECT_EQ(Field(record, kTPE1, kId3v2ThenId3v1), "");
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

TEST(TagFieldReader, UnterminatedBlockFieldIsReadWithinItsWidth) {
    SongRecord record("x.mp3", false);
    Id3v1Tag block = Block();
    std::memset(block.title, 'x', sizeof block.title);  // no terminator at all
    record.SetId3v1(&block);
    EXPECT_EQ(Field(record, kTIT2, kFromId3v1), std::string(31, 'x'));
}

}  // namespace
}  // namespace td
