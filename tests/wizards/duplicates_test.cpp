#include "wizards/duplicates.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "playlist/playlist.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/test_songs.h"
#include "tests/support/recording_prompter.h"

namespace td {
namespace {

using namespace test;

std::vector<std::string> Names(const std::vector<SongRecord*>& rows) {
    std::vector<std::string> names;
    for (const SongRecord* r : rows) names.push_back(r->GetFileName());
    return names;
}

DuplicateOptions Options(uint32_t fields, int seconds = 5, int percent = 95) {
    DuplicateOptions o;
    o.fields = fields;
    o.seconds = seconds;
    o.percent = percent;
    return o;
}

SongRecord& Tagged(Playlist& list, const std::string& path, const char* artist, const char* title,
                   int seconds = 0, uint32_t size = 0) {
    SongRecord& s = AddSong(list, path, seconds, size);
    SetV2(s, kTPE1, artist);
    SetV2(s, kTIT2, title);
    return s;
}

TEST(DuplicatesTest, ArtistAndTitleMatchByteForByte) {
    Playlist list;
    Tagged(list, "/a.mp3", "Muse", "Uprising");
    Tagged(list, "/b.mp3", "Muse", "uprising");
    Tagged(list, "/c.mp3", "Muse", "Uprising");
    Tagged(list, "/d.mp3", "MUSE", "Uprising");
    EXPECT_EQ(Names(findDuplicates(list, 1, Options(kDuplicateArtistTitle))),
              (std::vector<std::string>{"/a.mp3", "/c.mp3"}));
}

TEST(DuplicatesTest, SizeCriterionIsTheSmallerAsAShareOfTheLarger) {
    EXPECT_TRUE(sizesClose(950, 1000, 95));
    EXPECT_FALSE(sizesClose(949, 1000, 95));
    EXPECT_FALSE(sizesClose(0, 1, 95));
    EXPECT_TRUE(sizesClose(0xFFFFFFFFu, 0xFFFFFFFFu, 100));  // no overflow
    EXPECT_FALSE(sizesClose(5, 5, 101));
    EXPECT_FALSE(lengthsClose(10, 16, 5));
    EXPECT_FALSE(lengthsClose(10, 10, -1));
}

// The definition, pair by pair: every entry that matches at least one other.
std::vector<SongRecord*> Pairwise(const Playlist& list, int source, const DuplicateOptions& o) {
    std::vector<uint8_t> marks(list.count(), 0);
    for (int i = 0; i < list.count(); ++i) {
        for (int j = i + 1; j < list.count(); ++j) {
            if (entriesMatch(*list.entryAt(i), *list.entryAt(j), o, source)) marks[i] = marks[j] = 1;
        }
    }
    std::vector<SongRecord*> rows;
    for (int i = 0; i < list.count(); ++i) {
        if (marks[i]) rows.push_back(list.entryAt(i));
    }
    return rows;
}

TEST(DuplicatesTest, FastFinderEqualsThePairwiseDefinition) {
    const char* words[] = {"a", "A", "b", ""};
    const char* paths[] = {"/x/a.mp3", "/X/A.mp3", "/x/b.mp3", "/x/B.MP3", "/y.mp3"};
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        Playlist list;
        const int n = 2 + static_cast<int>(random() % 24);
        for (int i = 0; i < n; ++i) {
            const uint32_t size = 900 + static_cast<uint32_t>(random() % 200);
            SongRecord& s = AddSong(list, paths[random() % 5], static_cast<int>(random() % 25) - 2,
                                    random() % 10 == 0 ? 0 : size);
            if (random() % 4) SetV2(s, kTPE1, words[random() % 4]);
            if (random() % 4) SetV2(s, kTIT2, words[random() % 4]);
            if (random() % 3) SetV2(s, kTCON, words[random() % 4]);
            if (random() % 3 == 0) SetV1(s, words[random() % 4], words[random() % 4]);
        }
        const int source = static_cast<int>(random() % 4);
        const int seconds = static_cast<int>(random() % 8);
        const int percent = 95 + static_cast<int>(random() % 6);
        for (uint32_t fields = 1; fields <= 31; ++fields) {
            const DuplicateOptions o = Options(fields, seconds, percent);
            ASSERT_EQ(findDuplicates(list, source, o), Pairwise(list, source, o))
                << "seed " << seed << " fields " << fields;
        }
    }
}

class DuplicatesDialogTest : public ::testing::Test {
protected:
    DuplicatesDialogTest() { LangTable::useBuiltinEnglish(); }
    Settings settings_;
    RecordingPrompter prompter_;
};

TEST_F(DuplicatesDialogTest, NumbersAreCheckedOnlyForCheckedBoxes) {
    settings_.duplicateFields = 3;
    EXPECT_FALSE(duplicatesDialogOk(0, "5", "95", settings_, prompter_));
    EXPECT_EQ(prompter_.shown.back().text, "Choose at least 1 field must be present !!!");
    EXPECT_EQ(settings_.duplicateFields, 0u);  // stored before the check
    EXPECT_FALSE(duplicatesDialogOk(kDuplicateLength, "61", "95", settings_, prompter_));
    EXPECT_EQ(prompter_.shown.back().text, "Time value error: Enter number between 0 to 60");
    EXPECT_FALSE(duplicatesDialogOk(kDuplicateSize, "x", "94", settings_, prompter_));
    EXPECT_EQ(prompter_.shown.back().text, "File size value error: Enter number between 95% to 100%");
    EXPECT_FALSE(duplicatesDialogOk(kDuplicateSize, "x", "99999999999", settings_, prompter_));
    EXPECT_EQ(prompter_.shown.back().text, "Bad number format !!!");
    EXPECT_FALSE(duplicatesDialogOk(kDuplicateLength, "x", "95", settings_, prompter_));
    EXPECT_EQ(prompter_.shown.back().text, "Bad number format !!!");
    EXPECT_EQ(prompter_.shown.size(), 5u);
    EXPECT_EQ(prompter_.shown.back().caption, "Information");

    settings_.duplicateSeconds = 5;
    settings_.duplicatePercent = 95;
    EXPECT_TRUE(duplicatesDialogOk(kDuplicateArtistTitle, "junk", "junk", settings_, prompter_));
    EXPECT_EQ(settings_.duplicateSeconds, 5);
    EXPECT_TRUE(duplicatesDialogOk(kDuplicateLength | kDuplicateSize, " 60 ", "100", settings_, prompter_));
    EXPECT_EQ(settings_.duplicateFields, kDuplicateLength | kDuplicateSize);
    EXPECT_EQ(settings_.duplicateSeconds, 60);
    EXPECT_EQ(settings_.duplicatePercent, 100);
    EXPECT_EQ(prompter_.shown.size(), 5u);
}

}  // namespace
}  // namespace td
