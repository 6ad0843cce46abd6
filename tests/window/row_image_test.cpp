#include "window/row_image.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tags/song_record.h"

namespace td {
namespace {

TEST(RowImageTest, TagKindUnlessPlayingMissingOrMarkedAsDuplicate) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.Path("a.mp3"), test::MpegAudio(1024)));
    SongRecord present(dir.Path("a.mp3"), true);
    SongRecord dead(dir.Path("gone.mp3"), true);

    // The tag kinds, missing and playing the window tests read from the list;
    // the duplicate mark and what outranks it here.
    const struct {
        uint32_t flags;
        bool playing, duplicates, missing;
        int image;
    } cases[] = {
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
