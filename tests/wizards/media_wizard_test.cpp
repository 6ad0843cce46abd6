#include "wizards/media_wizard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/prompter.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "window/test_songs.h"
#include "tests/support/recording_prompter.h"

namespace td {
namespace {

using test::RecordingPrompter;

using test::AddSong;

class MediaWizardTest : public ::testing::Test {
protected:
    MediaWizardTest() : view_(list_) { LangTable::useBuiltinEnglish(); }
    void Songs(std::initializer_list<int> lengths) {
        int n = 0;
        for (int length : lengths) AddSong(list_, "/s" + std::to_string(n++) + ".mp3", length);
        view_.rebuildFromPlaylist();
    }
    std::vector<int> Selected() const {
        std::vector<int> rows;
        for (int r = 0; r < view_.rowCount(); ++r) {
            if (view_.isSelected(r)) rows.push_back(r);
        }
        return rows;
    }
    Playlist list_;
    PlaylistView view_;
};

TEST_F(MediaWizardTest, TotalStaysStrictlyBelowTheTarget) {
    Songs({300, 100, 200});
    EXPECT_EQ(applyMediaWizard(view_, 600), 1);  // the shortest song's row
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    EXPECT_EQ(view_.selectedLength(), 300);
    applyMediaWizard(view_, 601);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(view_.selectedLength(), 600);
}

TEST_F(MediaWizardTest, WalkStopsAtTheFirstSongThatDoesNotFit) {
    // 10 + 20 + 500 reaches 520: the walk ends there, the 30 s song is longer
    // than the one that did not fit and is not tried.
    Songs({500, 10, 20});
    applyMediaWizard(view_, 100);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
}

TEST_F(MediaWizardTest, EqualLengthsAreTakenInRowOrderAndOldSelectionIsCleared) {
    Songs({60, 60, 60, 60});
    view_.setSelected(3, true);
    applyMediaWizard(view_, 150);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1}));
}

TEST_F(MediaWizardTest, EmptyViewSelectsNothing) {
    view_.rebuildFromPlaylist();
    EXPECT_EQ(applyMediaWizard(view_, 3600), -1);
    EXPECT_EQ(view_.selectedLength(), 0);
}

TEST(WizardTargetTest, CustomWithoutAUsableNumberShowsTheError) {
    LangTable::useBuiltinEnglish();
    for (const char* text : {"", "000", "12a", "1000", "-5"}) {
        RecordingPrompter prompter;
        EXPECT_EQ(wizardTargetSeconds(6, text, prompter), 0) << text;
        ASSERT_EQ(prompter.shown.size(), 1u) << text;
        EXPECT_EQ(prompter.shown[0].text, "Please custom time must be a number not null !!!");
        EXPECT_EQ(prompter.shown[0].caption, "Error");
        EXPECT_EQ(prompter.shown[0].icon, PromptIcon::Error);
    }
}

}  // namespace
}  // namespace td
