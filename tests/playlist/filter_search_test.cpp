#include "playlist/filter_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "window/test_songs.h"

namespace td {
namespace {

using test::AddSong;
using test::SetV1;
using test::SetV2;

std::vector<std::string> Names(const std::vector<SongRecord*>& rows) {
    std::vector<std::string> names;
    for (const SongRecord* r : rows) names.push_back(r->GetFileName());
    return names;
}

std::vector<SongRecord*> Shown(const PlaylistView& view) {
    std::vector<SongRecord*> shown;
    for (const ViewRow& row : view.rows()) shown.push_back(row.entry);
    return shown;
}

class RefilterTest : public ::testing::Test {
protected:
    RefilterTest() : fs_(list_) {
        LangTable::useBuiltinEnglish();
        const char* artists[] = {"Muse", "muse", "Blur", "", "Muse"};
        const char* genres[] = {"Rock", "Pop", "Rock", "Jazz", "Rock"};
        for (int i = 0; i < 5; ++i) {
            SongRecord& s = AddSong(list_, "/m/" + std::to_string(i) + ".mp3", 60 * (i + 1), 1000, i % 4);
            if (*artists[i]) SetV2(s, kTPE1, artists[i]);
            SetV2(s, kTCON, genres[i]);
            SetV2(s, kTIT2, "Song " + std::to_string(i));
        }
        fs_.setViewSource(1);
        fs_.recountGenres();
    }
    Playlist list_;
    FilterSearch fs_;
};

TEST_F(RefilterTest, GenreFilterSurvivesARecount) {
    fs_.filter().mask = kFilterGenre;
    fs_.filter().genre = GenreIndex("Pop");
    fs_.genres().setAllFlags(false);
    fs_.genres().slots[GenreIndex("Pop")].flag = true;
    EXPECT_EQ(Names(fs_.rows()), (std::vector<std::string>{"/m/1.mp3"}));
    // Songs added, tags changed: the table is counted again, the filter stays
    // on Pop instead of letting every genre present pass.
    SetV2(AddSong(list_, "/m/5.mp3"), kTCON, "Pop");
    fs_.recountGenres();
    EXPECT_EQ(Names(fs_.rows()), (std::vector<std::string>{"/m/1.mp3", "/m/5.mp3"}));
    EXPECT_EQ(fs_.genres().slots[GenreIndex("Rock")].count, 3);
    // The same for the songs without a genre.
    AddSong(list_, "/m/6.mp3");
    fs_.filter().genre = 0;
    fs_.recountGenres();
    EXPECT_EQ(Names(fs_.rows()), (std::vector<std::string>{"/m/6.mp3"}));
}

TEST_F(RefilterTest, EntriesNewToAGrowingListShowAsARebuildWouldShowThem) {
    fs_.filter().mask = kFilterArtist;
    fs_.filter().artist = "Muse";
    std::vector<SongRecord*> added;
    for (const char* artist : {"Muse", "Blur", "Muse"}) {
        SongRecord& s = AddSong(list_, "/m/new" + std::to_string(added.size()) + ".mp3");
        SetV2(s, kTPE1, artist);
        SetV2(s, kTIT2, added.empty() ? "Uprising" : "Starlight");
        added.push_back(&s);
    }
    EXPECT_EQ(Names(fs_.rowsAmong(added)), (std::vector<std::string>{"/m/new0.mp3", "/m/new2.mp3"}));
    // The options as the window takes them.
    Settings settings;
    settings.viewInfoFrom = 2;
    settings.searchFields = kSearchTitle;
    fs_.applySettings(settings);
    EXPECT_EQ(fs_.viewSource(), 2);
    EXPECT_EQ(fs_.searchFields(), kSearchTitle);
    fs_.setSearchText("star");
    EXPECT_EQ(Names(fs_.rowsAmong(added)), (std::vector<std::string>{"/m/new2.mp3"}));
    // The rows of a rebuild end with the same entries.
    const std::vector<SongRecord*> rows = fs_.rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back(), added[2]);
}

std::string RandomText(std::mt19937& random, const std::string& alphabet, int maxLength) {
    std::string text;
    const int length = static_cast<int>(random() % (maxLength + 1));
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    return text;
}

void FillRandom(Playlist& list, std::mt19937& random, int count) {
    const std::string alphabet = "aAbB \xE9\xC9-";
    for (int i = 0; i < count; ++i) {
        SongRecord& s =
            AddSong(list, "/d" + RandomText(random, alphabet, 3) + "/" + std::to_string(i) + ".mp3",
                    static_cast<int>(random() % 5), 0, static_cast<int>(random() % 4));
        for (int type : {kTPE1, kTIT2, kTALB, kCOMM, kTYER, kTCON}) {
            if (random() % 3) SetV2(s, type, RandomText(random, alphabet, 5));
        }
        if (random() % 2) {
            SetV1(s, RandomText(random, alphabet, 4).c_str(), RandomText(random, alphabet, 4).c_str(),
                  RandomText(random, alphabet, 4).c_str());
        }
        s.SetRating(static_cast<int>(random() % 6));
    }
}

TEST(SearchAgreementTest, IndexAndWorkerAgreeWithTheEntryByEntryTest) {
    const std::string alphabet = "aAbB \xE9\xC9-/";
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        Playlist list;
        FillRandom(list, random, 60);
        const int source = static_cast<int>(random() % 4);
        const uint32_t fields = static_cast<uint32_t>(random() % 128);
        auto index = SearchIndex::build(list, source, fields);
        ASSERT_TRUE(index);
        FilterSearch fs(list);
        fs.setViewSource(source);
        fs.setSearchFields(fields);
        fs.recountGenres();
        for (int round = 0; round < 20; ++round) {
            const PreparedSearch search = prepareSearch(RandomText(random, alphabet, 3), fields);
            std::vector<uint8_t> hits;
            index->find(search, hits);
            for (int i = 0; i < list.count(); ++i) {
                ASSERT_EQ(hits[i] != 0, matchesSearch(*list.entryAt(i), search, source))
                    << "seed " << seed << " entry " << i << " text '" << search.text << "'";
            }
        }
        // Whole rebuilds, with an explorer filter now and then: the worker's
        // rows are refilter's rows.
        for (int round = 0; round < 5; ++round) {
            fs.setSearchText(RandomText(random, alphabet, 2) + "a");
            fs.filter().reset();
            if (round % 2) {
                fs.filter().mask = kFilterRating;
                fs.filter().rating = static_cast<int>(random() % 6);
            }
            const PreparedSearch search = prepareSearch(fs.searchText(), fields);
            std::vector<SongRecord*> expected;
            for (int i = 0; i < list.count(); ++i) {
                SongRecord* entry = list.entryAt(i);
                if (matchesSearch(*entry, search, source) &&
                    passesFilter(*entry, fs.filter(), fs.genres(), source)) {
                    expected.push_back(entry);
                }
            }
            PlaylistView view(list);
            fs.refilter(view);
            ASSERT_EQ(Shown(view), expected) << "seed " << seed;
            if (round == 0) fs.invalidateIndex();  // the worker builds its own
            fs.startSearch(view);
            fs.worker().wait();
            ASSERT_TRUE(fs.applySearchResult(view));
            ASSERT_EQ(Shown(view), expected) << "seed " << seed;
        }
    }
}

TEST(SearchWorkerTest, OnlyTheLastOfQuickSearchesShowsItsRowsAndOnlyOnce) {
    std::mt19937 random(99);
    Playlist list;
    FillRandom(list, random, 3000);
    FilterSearch fs(list);
    fs.setSearchFields(63);
    for (bool waitFirst : {false, true}) {
        PlaylistView view(list);
        view.rebuildFromPlaylist();
        // Keystrokes faster than the searches: each one stops the one before.
        std::string text;
        for (char c : std::string("ab a")) {
            text += c;
            fs.setSearchText(text);
            fs.startSearch(view);
        }
        if (waitFirst) fs.worker().wait();
        EXPECT_TRUE(fs.finishSearch(view)) << waitFirst;
        EXPECT_FALSE(fs.worker().running());
        EXPECT_EQ(Shown(view), fs.rows()) << waitFirst;
        // Nothing is left for a late notice of the worker to show.
        EXPECT_FALSE(fs.applySearchResult(view));
        EXPECT_FALSE(fs.finishSearch(view));
    }
    // Clearing the search text shows every row again at once, with no search to wait for.
    PlaylistView view(list);
    fs.setSearchText("");
    EXPECT_EQ(fs.startSearch(view), 0u);
    EXPECT_EQ(view.rowCount(), list.count());
}

}  // namespace
}  // namespace td
