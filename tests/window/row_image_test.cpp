#include "window/row_image.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tags/song_record.h"

namespace td {
namespace {

TEST(RowImageTest, TagKindUnlessPlayingMissingOrMarkedAsDuplicate) {
    test::TempDir dir;
    std::string bytes("\xFF\xFB\x90\x64", 4);
    bytes.resize(1024, '\0');
    ASSERT_TRUE(test::WriteBytes(dir.Path("a.mp3"), bytes));
    SongRecord present(dir.Path("a.mp3"), true);
    SongRecord dead(dir.Path("gone.mp3"), true);
    EXPECT_FALSE(isDeadEntry(present));
    EXPECT_TRUE(isDeadEntry(dead));

    const struct {
        uint32_t flags;
        bool playing, duplicates, missing;
        int image;
    } cases[] = {
        {0, false, false, false, kRowImageNoTag},
        {kTagId3v1, false, false, false, kRowImageId3v1},
        {kTagId3v2, false, false, false, kRowImageId3v2},
        {kTagId3v1 | kTagId3v2, false, false, false, kRowImageBothTags},
        {kTagId3v2, false, true, false, kRowImageDuplicate},
        {kTagId3v2, false, true, true, kRowImageMissing},
        {kTagId3v2, true, true, true, kRowImagePlaying},
    };
    for (const auto& c : cases) {
        present.SetTagFlags(c.flags);
        RowImageState state;
        state.playing = c.playing;
        state.duplicates = c.duplicates;
        state.missing = c.missing;
        EXPECT_EQ(rowImage(&present, state), c.image) << c.flags << c.playing << c.duplicates << c.missing;
    }
    EXPECT_EQ(rowImage(&dead, RowImageState()), kRowImageMissing);
    EXPECT_EQ(rowImage(nullptr, RowImageState()), kRowImageNoTag);
}

}  // namespace
}  // namespace td
