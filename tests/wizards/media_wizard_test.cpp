#include "wizards/media_wizard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "window/test_songs.h"

namespace td {
namespace {

using namespace test;

TEST(MediaWizardTest, PicksShortestFirstStrictlyBelowTheTargetAndStopsAtTheFirstMiss) {
    LangTable::useBuiltinEnglish();
    // {500, 10, 20} to 100: 10 + 20 + 500 misses, so the 30 s left is not tried.
    const struct {
        std::vector<int> lengths;
        int target, preselected, first;
        std::vector<int> rows;
        int selectedLength;
    } cases[] = {{{300, 100, 200}, 600, -1, 1, {1, 2}, 300},
                 {{300, 100, 200}, 601, -1, 1, {0, 1, 2}, 600},
                 {{500, 10, 20}, 100, -1, 1, {1, 2}, 30},
                 {{60, 60, 60, 60}, 150, 3, 0, {0, 1}, 120},
                 {{60, -5}, 61, -1, 1, {0, 1}, 60},  // a damaged length counts as 0 s
                 {{}, 3600, -1, -1, {}, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        Playlist list;
        PlaylistView view(list);
        int n = 0;
        for (int length : c.lengths) AddSong(list, "/s" + std::to_string(n++) + ".mp3", length);
        view.rebuildFromPlaylist();
        if (c.preselected >= 0) view.setSelected(c.preselected, true);
        EXPECT_EQ(applyMediaWizard(view, c.target), c.first);
        std::vector<int> rows;
        for (int r = 0; r < view.rowCount(); ++r) {
            if (view.isSelected(r)) rows.push_back(r);
        }
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(view.selectedLength(), c.selectedLength);
    }
}

}  // namespace
}  // namespace td
