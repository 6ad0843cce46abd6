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

DuplicateOptions Options(uint32_t fields, int seconds = 5, int percent = 95) {
    DuplicateOptions o;
    o.fields = fields;
    o.seconds = seconds;
    o.percent = percent;
    return o;
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
    // No criterion chosen (a settings file may hold none): nothing is a duplicate.
    Playlist list;
    const SongRecord& song = AddSong(list, "/x/a.mp3", 10, 1000);
    EXPECT_FALSE(entriesMatch(song, song, Options(0, 5, 95), 0));
    // Lengths are whole seconds; an unknown length counts as none.
    AddSong(list, "/x/unknown.mp3", -1, 1000);
    AddSong(list, "/x/none.mp3", 0, 1000);
    AddSong(list, "/x/one.mp3", 1, 1000);
    const DuplicateOptions exact = Options(kDuplicateLength, 0, 95);
    EXPECT_TRUE(entriesMatch(*list.entryAt(1), *list.entryAt(2), exact, 0));
    EXPECT_FALSE(entriesMatch(*list.entryAt(2), *list.entryAt(3), exact, 0));
}

TEST(DuplicatesDialogTest, NumbersAreCheckedOnlyForCheckedBoxes) {
    LangTable::useBuiltinEnglish();
    Settings settings;
    RecordingPrompter prompter;
    settings.duplicateFields = 3;
    EXPECT_FALSE(duplicatesDialogOk(0, "5", "95", settings, prompter));
    EXPECT_EQ(prompter.shown.back().text, "Choose at least 1 field must be present !!!");
    EXPECT_EQ(settings.duplicateFields, 0u);  // stored before the check
    EXPECT_FALSE(duplicatesDialogOk(kDuplicateSize, "x", "94", settings, prompter));
    EXPECT_EQ(prompter.shown.back().text, "File size value error: Enter number between 95% to 100%");
    EXPECT_FALSE(duplicatesDialogOk(kDuplicateSize, "x", "99999999999", settings, prompter));
    EXPECT_EQ(prompter.shown.back().text, "Bad number format !!!");
    EXPECT_FALSE(duplicatesDialogOk(kDuplicateLength, "x", "95", settings, prompter));
    EXPECT_EQ(prompter.shown.back().text, "Bad number format !!!");
    EXPECT_EQ(prompter.shown.size(), 4u);

    // The numbers of unchecked boxes are neither read nor stored.
    settings.duplicateSeconds = 7;
    settings.duplicatePercent = 97;
    EXPECT_TRUE(duplicatesDialogOk(kDuplicateArtistTitle, "junk", "junk", settings, prompter));
    EXPECT_EQ(prompter.shown.size(), 4u);
    // The search takes what was stored, bits of no field dropped.
    settings.duplicateFields |= 32;
    const DuplicateOptions options = DuplicateOptions::fromSettings(settings);
    EXPECT_EQ(options.fields, kDuplicateArtistTitle);
    EXPECT_EQ(options.seconds, 7);
    EXPECT_EQ(options.percent, 97);
}

}  // namespace
}  // namespace td
