// The File and Select menus' commands, run through the real window by their
// command numbers with the dialogs answered by the test's prompter: the
// list, the playlist's entries, the files on disk and the messages shown are
// checked. The rules of each are the playlist, selection, transfer and
// gathering models' tests' business.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/dialog_driver.h"

namespace td {
namespace {

class WindowCommandsTest : public test::DialogWindowTest {
protected:
    // Real song files in the test's folder "music", listed in the start file
    // in that order; `missing` names are listed but not written.
    std::vector<std::string> songFiles(const std::vector<std::string>& names,
                                       const std::vector<std::string>& missing = {}) {
        Playlist list;
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            const std::string path = dir_.Path("music\\" + name);
            if (std::find(missing.begin(), missing.end(), name) == missing.end()) song("music\\" + name);
            test::AddSong(list, path, 60);
            paths.push_back(path);
        }
        EXPECT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
        return paths;
    }

    std::vector<std::string> rowPaths() const {
        std::vector<std::string> paths;
        for (const ViewRow& row : window_->view().rows()) paths.push_back(row.entry->GetFileName());
        return paths;
    }

    std::string lastMessage() const {
        return prompter_.shown.empty() ? std::string() : prompter_.shown.back().text;
    }
};

// One walk through the list's commands: each reaches its rows and the list
// shows the result; the files on disk are checked where they change.
TEST_F(WindowCommandsTest, EachCommandWorksOnTheSelectedRowsAndTheirFiles) {
    const std::vector<std::string> paths =
        songFiles({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}, {"c.mp3"});
    SetFileAttributesA(paths[1].c_str(), FILE_ATTRIBUTE_READONLY);
    PlaylistWindow& w = open();
    ASSERT_TRUE(w.command(IDM_SELECT_DEAD));
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
    EXPECT_TRUE(w.view().isSelected(2));

    // Remove asks first; the row after the removed one is selected.
    prompter_.answers.push_back(PromptAnswer::No);
    ASSERT_TRUE(w.command(IDM_REMOVE_KEY));
    EXPECT_EQ(itemCount(), 5);
    ASSERT_TRUE(w.command(IDM_REMOVE));
    EXPECT_EQ(itemCount(), 4);
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);

    // Deleting files warns first, then names the file that cannot go.
    selectRows({0, 1});
    prompter_.shown.clear();
    prompter_.answers.push_back(PromptAnswer::No);
    ASSERT_TRUE(w.command(IDM_DELETE_FILES));
    EXPECT_TRUE(test::FileExists(paths[0]));
    ASSERT_TRUE(w.command(IDM_DELETE_FILES));
    ASSERT_EQ(prompter_.shown.size(), 3u);
    EXPECT_TRUE(test::startsWith(prompter_.shown[2].text, "Error deleting: " + paths[1] + "\n\n"));
    EXPECT_FALSE(test::FileExists(paths[0]));
    EXPECT_TRUE(test::FileExists(paths[1]));
    EXPECT_EQ(rowPaths(), (std::vector<std::string>{paths[1], paths[3], paths[4]}));
    SetFileAttributesA(paths[1].c_str(), FILE_ATTRIBUTE_NORMAL);

    // Move To runs behind the progress dialog and the entry follows its
    // file.
    const std::string target = dir_.Path("moved");
    CreateDirectoryA(target.c_str(), nullptr);
    selectRows({1});
    prompter_.chooseFolder(target + "\\", false);
    ASSERT_TRUE(w.command(IDM_MOVE_TO));
    ASSERT_TRUE(w.gathering());
    ASSERT_TRUE(waitForWorker());
    EXPECT_FALSE(test::FileExists(paths[3]));
    EXPECT_EQ(w.view().entryAt(1)->GetFileName(), target + "\\d.mp3");
    selectRows({2});
    ASSERT_TRUE(w.command(IDM_CROP_KEY));
    EXPECT_EQ(rowPaths(), (std::vector<std::string>{paths[4]}));
}

TEST_F(WindowCommandsTest, SearchFieldKeysFlipTheBitsAndOnlyTheMenuEntriesRefilter) {
    writeStartFile({10, 20, 30});
    settings_->searchFields = 0x01;
    PlaylistWindow& w = open();
    SetDlgItemTextA(w.hwnd(), IDC_SEARCH, "Title 1");
    EXPECT_TRUE(harness_->pumpUntil([&] { return itemCount() == 0; }, 5000));

    ASSERT_TRUE(w.command(IDM_SEARCH_TITLE_KEY));  // Ctrl+2: the bit only
    EXPECT_EQ(settings_->searchFields, 0x03u);
    EXPECT_EQ(itemCount(), 0);
    ASSERT_TRUE(w.command(IDM_SEARCH_TITLE));  // the menu entry: bit back, refilter
    ASSERT_TRUE(w.command(IDM_SEARCH_TITLE));
    EXPECT_EQ(settings_->searchFields, 0x03u);
    EXPECT_EQ(itemCount(), 1);
}

TEST_F(WindowCommandsTest, SaveNewAndOpenRoundTripTheListAndNewForgetsTheFile) {
    writeStartFile({10, 20, 30});
    PlaylistWindow& w = open();

    // Save without a file asks for a name; ".kq3" is added.
    prompter_.chooseFiles({dir_.Path("rock")});
    ASSERT_TRUE(w.command(IDM_SAVE_KEY));
    EXPECT_EQ(w.currentFile(), dir_.Path("rock.kq3"));

    // New empties the list and forgets the file, so Save asks again rather
    // than writing the empty list over rock.kq3.
    ASSERT_TRUE(w.command(IDM_NEW));
    EXPECT_EQ(w.playlist().count(), 0);
    ASSERT_TRUE(w.command(IDM_SAVE));  // cancelled
    EXPECT_EQ(prompter_.fileRequests.size(), 2u);

    // Open brings the three back.
    prompter_.chooseFiles({dir_.Path("rock.kq3")});
    ASSERT_TRUE(w.command(IDM_OPEN_KEY));
    EXPECT_EQ(w.playlist().count(), 3);
}

// A damaged file leaves the list as it was; a file that cannot be written
// keeps its old bytes.
TEST_F(WindowCommandsTest, ADamagedOrUnwritablePlaylistFileKeepsTheListAndTheOldFileAndTellsTheUser) {
    writeStartFile({10, 20});
    PlaylistWindow& w = open();
    ASSERT_TRUE(test::WriteBytes(dir_.Path("short.kq3"), "KQ3"));
    prompter_.chooseFiles({dir_.Path("short.kq3")});
    ASSERT_TRUE(w.command(IDM_OPEN));
    EXPECT_EQ(lastMessage(), "Error file: Tunedeck");
    EXPECT_EQ(w.view().rowCount(), 2);
    EXPECT_EQ(w.currentFile(), "");

    const std::string path = dir_.Path("kept.kq3");
    ASSERT_TRUE(test::WriteBytes(path, "old bytes"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    prompter_.chooseFiles({path});
    ASSERT_TRUE(w.command(IDM_SAVE_AS));
    EXPECT_TRUE(test::startsWith(lastMessage(), "Error file: Tunedeck")) << lastMessage();
    EXPECT_EQ(test::ReadBytes(path), "old bytes");
    EXPECT_EQ(w.currentFile(), "");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowCommandsTest, ImportAndAddFilesReachTheList) {
    const std::string a = song("music\\a.mp3");
    const std::string b = song("music\\b.mp3");
    const std::string c = song("music\\c.mp3");
    ASSERT_TRUE(
        test::WriteBytes(dir_.Path("list.pls"), "[playlist]\r\nFile1=" + b + "\r\nNumberOfEntries=1\r\n"));
    PlaylistWindow& w = open();

    // The second import filter reads PLS.
    prompter_.chooseFiles({dir_.Path("list.pls")}, 2);
    ASSERT_TRUE(w.command(IDM_IMPORT));
    ASSERT_TRUE(harness_->pumpUntil([&] { return w.playlist().count() == 1; }, 5000));
    EXPECT_EQ(rowPaths(), std::vector<std::string>{b});

    // Several files run on the worker; their total is known, so the
    // progress bar shows instead of the activity bar.
    prompter_.chooseFiles({a, c});
    ASSERT_TRUE(w.command(IDM_ADD_FILES_KEY));
    ASSERT_TRUE(w.gathering());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(w.progressDialog(), IDC_PROGRESS_BAR)));
    ASSERT_TRUE(harness_->pumpUntil([&] { return w.playlist().count() == 3; }, 5000));
    FileDialogResult overflow;
    overflow.outcome = FileDialogOutcome::TooManyFiles;
    prompter_.fileAnswers.push_back(overflow);
    ASSERT_TRUE(w.command(IDM_ADD_FILES));
    EXPECT_EQ(lastMessage(), "Too many files selected");
    EXPECT_EQ(w.playlist().count(), 3);
}

}  // namespace
}  // namespace td
