#include "window/explorer_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "window/test_songs.h"

namespace td {
namespace {

using test::AddSong;
using test::SetV2;

std::vector<std::string> Labels(const ExplorerTree& tree, int node) {
    std::vector<std::string> labels;
    for (int child : tree.nodes[node].children) labels.push_back(tree.nodes[child].label);
    return labels;
}

class ExplorerTest : public ::testing::Test {
protected:
    ExplorerTest() : fs_(list_) {
        LangTable::useBuiltinEnglish();
        struct Song {
            const char *artist, *genre, *album;
            int mode, rating;
            bool v2;
        };
        const Song songs[] = {
            {"abba", "Rock", "Gold", 0, 0, true},
            {"ABBA", "rock", "Gold", 1, 5, true},
            {"Zappa", "Jazz", "", 1, 5, true},
            {"", "Blues", "Hot Rats", 3, 2, true},
            // A mode no frame header gives and a rating past five stars, as a
            // damaged playlist file may hold.
            {"", "", "", 4, 6, false},
        };
        int n = 0;
        for (const Song& song : songs) {
            SongRecord& s = AddSong(list_, "/m/" + std::to_string(n++) + ".mp3", 1, 1, song.mode);
            if (song.v2) {
                if (*song.artist) SetV2(s, kTPE1, song.artist);
                if (*song.genre) SetV2(s, kTCON, song.genre);
                if (*song.album) SetV2(s, kTALB, song.album);
            }
            s.SetRating(song.rating);
        }
        fs_.setViewSource(1);
        fs_.recountGenres();
    }
    ExplorerTree Build(uint32_t fields) {
        return buildExplorer(list_, 1, fields, fs_.genres(), ExplorerFilter());
    }
    Playlist list_;
    FilterSearch fs_;
};

TEST_F(ExplorerTest, CategoriesInSlotOrderLeavesWithTheirValuesAndCounts) {
    const ExplorerTree tree = Build(127);
    EXPECT_EQ(Labels(tree, 0),
              (std::vector<std::string>{"Artist", "Genre", "ID3Tag", "Comment", "Mode", "Album", "Rating"}));
    // Nothing filtered: the root is selected and expanded.
    EXPECT_EQ(tree.selected, 0);
    EXPECT_TRUE(tree.root().expanded);
    // A category without values has no leaves but is shown.
    EXPECT_TRUE(tree.nodes[tree.categoryNodes[kCategoryComment]].children.empty());
    // Artists differing only in case are two leaves; byte order puts capitals first.
    EXPECT_EQ(Labels(tree, tree.categoryNodes[kCategoryArtist]),
              (std::vector<std::string>{"ABBA", "Zappa", "abba"}));
    // Genres sorted by name; the songs without a known genre under "???".
    EXPECT_EQ(Labels(tree, tree.categoryNodes[kCategoryGenre]),
              (std::vector<std::string>{"???", "Blues", "Jazz", "Rock"}));
    EXPECT_EQ(Labels(tree, tree.categoryNodes[kCategoryMode]),
              (std::vector<std::string>{"Stereo", "Joint-Stereo", "Single-Channel"}));
    // The root's picture is its own, none of a category's.
    for (int category : tree.root().children) EXPECT_NE(tree.nodes[category].image, tree.root().image);
    // Leaves wear their category's picture.
    for (int slot : {kCategoryArtist, kCategoryGenre, kCategoryAlbum, kCategoryRating}) {
        const ExplorerNode& category = tree.nodes[tree.categoryNodes[slot]];
        for (int leaf : category.children) EXPECT_EQ(tree.nodes[leaf].image, category.image) << slot;
    }
    EXPECT_EQ(Labels(tree, tree.categoryNodes[kCategoryTagKind]),
              (std::vector<std::string>{"No Tag", "ID3v2"}));
    EXPECT_EQ(Labels(tree, tree.categoryNodes[kCategoryRating]),
              (std::vector<std::string>{"No rating", "**", "*****"}));
    // Only the chosen categories are shown.
    EXPECT_EQ(Labels(Build(0x44), 0), (std::vector<std::string>{"ID3Tag", "Rating"}));
}

TEST_F(ExplorerTest, EveryLeafFiltersToItsCount) {
    const ExplorerTree tree = Build(127);
    for (size_t node = 0; node < tree.nodes.size(); ++node) {
        if (tree.nodes[node].kind != ExplorerNodeKind::Leaf) continue;
        filterFromSelection(tree, static_cast<int>(node), fs_.filter(), fs_.genres());
        EXPECT_EQ(static_cast<int>(fs_.rows().size()), tree.nodes[node].count) << tree.nodes[node].label;
    }
    // No node selected, or one past the tree: nothing is filtered.
    for (int node : {-1, static_cast<int>(tree.nodes.size())}) {
        filterFromSelection(tree, node, fs_.filter(), fs_.genres());
        EXPECT_EQ(static_cast<int>(fs_.rows().size()), list_.count()) << node;
    }
}

TEST_F(ExplorerTest, RefreshKeepsATextFilterAndEndsTheOthers) {
    ExplorerTree tree;
    fs_.filter().mask = kFilterArtist;
    fs_.filter().artist = "Zappa";
    EXPECT_FALSE(refreshExplorer(fs_, list_, 127, tree));
    EXPECT_EQ(tree.nodes[tree.selected].label, "Zappa");
    EXPECT_EQ(fs_.filter().artist, "Zappa");

    const ExplorerTree current = Build(127);
    filterFromSelection(current, current.find("Genre", "Jazz"), fs_.filter(), fs_.genres());
    EXPECT_TRUE(refreshExplorer(fs_, list_, 127, tree));  // the window refilters
    EXPECT_EQ(tree.selected, 0);
    EXPECT_EQ(fs_.filter().mask, 0u);
    EXPECT_EQ(fs_.rows().size(), 5u);
    EXPECT_FALSE(refreshExplorer(fs_, list_, 127, tree));
}

}  // namespace
}  // namespace td
