// The Select menu's commands, Copy To and Move To, the search fields and the
// explorer's dialogs, each run through the real window by its command
// number: the list, the playlist's entries, the files on disk, the settings
// and the messages shown are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/dialog_driver.h"

namespace td {
namespace {

using test::Press;

class SelectionCommandsTest : public test::DialogWindowTest {
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
};

TEST_F(SelectionCommandsTest, RemoveAsksWithTheCountAndLeavesTheRowAfterTheLastRemovedSelected) {
    writeStartFile({10, 20, 30, 40, 50, 60, 70, 80, 90, 100});
    PlaylistWindow& w = open();
    selectRows({1, 4, 6});
    prompter_.answers.push_back(PromptAnswer::No);
    ASSERT_TRUE(w.command(IDM_REMOVE_KEY));
    EXPECT_EQ(itemCount(), 10);
    ASSERT_TRUE(w.command(IDM_REMOVE));
    ASSERT_EQ(prompter_.shown.size(), 2u);
    EXPECT_EQ(itemCount(), 7);
    EXPECT_EQ(w.playlist().count(), 7);
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 4);
    EXPECT_EQ(w.statusText(kStatusFiles), w.view().statusText(kStatusFiles));
}

TEST_F(SelectionCommandsTest, DeletePhysicallyWarnsThenNamesEachFileThatCannotGoWithTheSystemsReason) {
    const std::vector<std::string> paths = songFiles({"a.mp3", "b.mp3", "c.mp3", "d.mp3"}, {"c.mp3"});
    SetFileAttributesA(paths[1].c_str(), FILE_ATTRIBUTE_READONLY);
    PlaylistWindow& w = open();
    selectRows({0, 1, 2});
    prompter_.answers.push_back(PromptAnswer::No);
    ASSERT_TRUE(w.command(IDM_DELETE_FILES));
    EXPECT_TRUE(test::FileExists(paths[0]));
    ASSERT_TRUE(w.command(IDM_DELETE_FILES));

    ASSERT_EQ(prompter_.shown.size(), 4u);
    EXPECT_TRUE(test::startsWith(prompter_.shown[2].text, "Error deleting: " + paths[1] + "\n\n"));
    EXPECT_FALSE(test::FileExists(paths[0]));
    EXPECT_TRUE(test::FileExists(paths[1]));
    EXPECT_EQ(rowPaths(), (std::vector<std::string>{paths[1], paths[2], paths[3]}));
    EXPECT_EQ(w.playlist().count(), 3);
    SetFileAttributesA(paths[1].c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SelectionCommandsTest, MoveToRunsBehindTheProgressDialogAndTheEntriesFollowTheirFiles) {
    const std::vector<std::string> paths = songFiles({"a.mp3", "b.mp3", "c.mp3", "d.mp3"}, {"d.mp3"});
    const std::string target = dir_.Path("moved");
    CreateDirectoryA(target.c_str(), nullptr);
    ASSERT_TRUE(test::WriteBytes(target + "\\c.mp3", "someone else's"));
    PlaylistWindow& w = open();
    selectRows({0, 2});
    prompter_.chooseFolder(target + "\\", false);
    ASSERT_TRUE(w.command(IDM_MOVE_TO));
    ASSERT_TRUE(w.gathering());
    ASSERT_TRUE(waitForWorker());

    EXPECT_EQ(rowPaths(), (std::vector<std::string>{target + "\\a.mp3", paths[1], paths[2], paths[3]}));
    EXPECT_FALSE(test::FileExists(paths[0]));
    EXPECT_TRUE(test::FileExists(target + "\\a.mp3"));
    // A name taken at the destination keeps both files.
    EXPECT_TRUE(test::FileExists(paths[2]));
    EXPECT_EQ(test::ReadBytes(target + "\\c.mp3"), "someone else's");
    EXPECT_TRUE(w.view().isSelected(0));
    EXPECT_TRUE(w.view().isSelected(2));
    EXPECT_TRUE(prompter_.shown.empty());

    // Copy To opens on the last destination, leaves the entries and names
    // the file it could not copy.
    const std::string copies = dir_.Path("copies");
    CreateDirectoryA(copies.c_str(), nullptr);
    prompter_.chooseFolder(copies, false);
    selectRows({1, 3});
    ASSERT_TRUE(w.command(IDM_COPY_TO));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(prompter_.folderRequests[1].folder, target);
    EXPECT_EQ(test::SortedNames(copies), std::vector<std::string>{"b.mp3"});
    EXPECT_EQ(test::ReadBytes(copies + "\\b.mp3"), test::ReadBytes(paths[1]));
    EXPECT_EQ(w.view().entryAt(1)->GetFileName(), paths[1]);
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_TRUE(test::startsWith(prompter_.shown[0].text, paths[3]));
}

TEST_F(SelectionCommandsTest, SelectDeadRatingAndCropWorkOnTheRows) {
    const std::vector<std::string> paths = songFiles({"a.mp3", "b.mp3", "c.mp3"}, {"b.mp3"});
    PlaylistWindow& w = open();
    ASSERT_TRUE(w.command(IDM_SELECT_DEAD));
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
    EXPECT_TRUE(w.view().isSelected(1));
    EXPECT_EQ(w.statusText(kStatusSelected), w.view().statusText(kStatusSelected));

    selectRows({0, 2});
    ASSERT_TRUE(w.command(IDM_RATING_4));
    EXPECT_EQ(w.playlist().entryAt(0)->GetRating(), 4);
    EXPECT_EQ(w.playlist().entryAt(1)->GetRating(), 0);

    ASSERT_TRUE(w.command(IDM_CROP_KEY));
    EXPECT_EQ(rowPaths(), (std::vector<std::string>{paths[0], paths[2]}));
    EXPECT_EQ(w.playlist().count(), 2);
}

TEST_F(SelectionCommandsTest, SearchFieldKeysFlipTheBitsAndOnlyTheMenuEntriesRefilter) {
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

    ASSERT_TRUE(w.command(IDM_SEARCH_FOCUS_KEY));
    EXPECT_EQ(GetFocus(), GetDlgItem(w.hwnd(), IDC_SEARCH));
}

TEST_F(SelectionCommandsTest, VolumeInformationListsTheVolumesAndSortsByTheClickedHeader) {
    Playlist list;
    const char* labels[] = {"music", "DISC"};
    for (int i = 0; i < 2; ++i) {
        VolumeRecord record{};
        lstrcpynA(record.label, labels[i], sizeof record.label);
        record.driveType = 3 + 2 * static_cast<uint32_t>(i);
        record.fileCount = 2 - i;
        record.serial = static_cast<uint32_t>(record.fileCount);
        list.appendVolume(&record);
    }
    test::AddSong(list, "C:\\a.mp3", 10);
    ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    open();
    int rows = 0;
    std::vector<std::string> firsts;
    run(IDM_VOLUME_INFO_KEY, [&](HWND dialog) {
        HWND volumeList = GetDlgItem(dialog, IDC_VOLUME_LIST);
        rows = static_cast<int>(SendMessageA(volumeList, LVM_GETITEMCOUNT, 0, 0));
        firsts.push_back(test::ListText(volumeList, 0, 2));
        NMLISTVIEW click{};
        click.hdr.hwndFrom = volumeList;
        click.hdr.idFrom = IDC_VOLUME_LIST;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iSubItem = 2;
        SendMessageA(dialog, WM_NOTIFY, IDC_VOLUME_LIST, reinterpret_cast<LPARAM>(&click));
        firsts.push_back(test::ListText(volumeList, 0, 2));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(firsts, (std::vector<std::string>{"2", "1"}));
}

TEST_F(SelectionCommandsTest, OptionExplorerStoresTheCheckedCategoriesAndTheTreeShowsThem) {
    writeStartFile({10, 20});
    PlaylistWindow& w = open();
    ASSERT_TRUE(w.command(IDM_EXPLORER));
    run(IDM_EXPLORER_OPTIONS, [&](HWND dialog) {
        for (int c = 0; c < 6; ++c) CheckDlgButton(dialog, IDC_EXPLORER_FIRST + c, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_EXPLORER_FIRST + 6, BST_CHECKED);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(settings_->explorerFields, 0x40u);
    // The tree shows the Rating category alone under its root.
    HWND tree = w.treeView();
    const HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    const HTREEITEM category = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
    ASSERT_NE(category, nullptr);
    EXPECT_EQ(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(category)), 0);
}

}  // namespace
}  // namespace td
