// The playlist window in this process, owned by the stand-in host's main
// window and talking to it through a bridge over window messages, with the
// resources of the built plug-in module. What the bridge asks the host, and
// in what order, is the bridge's own (tests/plugin/host_bridge_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "win32/window_fixture.h"
#include "window/row_image.h"

namespace td {
namespace {

using test::childRect;
using test::PlaylistWindowTest;
using test::startsWith;

TEST_F(PlaylistWindowTest, HostPlaylistAtStartIsAskedForAndReadAndTheBridgeReachesTheHost) {
    ASSERT_TRUE(bridge_->Enqueue("C:\\host\\one.mp3"));
    ASSERT_TRUE(bridge_->Enqueue("C:\\host\\two.mp3"));
    writeStartFile({10});  // not read
    settings_->loadOnStartup = 1;
    harness_->host().clearRecords();
    PlaylistWindow& w = open();
    const std::vector<std::string> lines = exchanges();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1024 w=0 l=120 r=0"), lines.end());
    ASSERT_EQ(itemCount(), 2);
    EXPECT_EQ(w.view().entryAt(0)->GetFileName(), "C:\\host\\one.mp3");
    EXPECT_EQ(w.view().entryAt(1)->GetFileName(), "C:\\host\\two.mp3");

    // The host's list position and names, read across the process boundary.
    EXPECT_EQ(bridge_->GetListPos(), 1);
    EXPECT_EQ(bridge_->GetPlaylistFile(2), "C:\\host\\two.mp3");
    EXPECT_EQ(bridge_->GetPlaylistFile(3), "");
    bridge_->SetPlaylistPos(1);
    EXPECT_EQ(bridge_->GetListPos(), 2);
    // Commands are posted: they arrive once the loop runs.
    harness_->host().clearRecords();
    bridge_->Command(kHostStop);
    EXPECT_TRUE(exchanges().empty());
    harness_->pump(50);
    EXPECT_EQ(exchanges(), std::vector<std::string>{"273 w=40047 l=0 r=0"});
}

// Where the parts go is the layout's (tests/window/window_layout_test.cpp);
// here the commands and the drag reach it and the children follow.
TEST_F(PlaylistWindowTest, TheExplorerCommandShowsTheTreeAndTheSplitterDragMovesTheList) {
    PlaylistWindow& w = open();
    EXPECT_FALSE(IsWindowVisible(w.treeView()));
    ASSERT_TRUE(w.command(40127));
    EXPECT_TRUE(IsWindowVisible(w.treeView()));
    EXPECT_EQ(childRect(w.hwnd(), w.listView()).left, w.explorerWidth() + 4);

    const int width = w.explorerWidth();
    const RECT bar = childRect(w.hwnd(), GetDlgItem(w.hwnd(), 1191));
    const int y = (bar.top + bar.bottom) / 2;
    SendMessageA(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.left + 1, y));
    SendMessageA(w.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(bar.left + 31, y));
    SendMessageA(w.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(bar.left + 31, y));
    EXPECT_GT(w.explorerWidth(), width + 20);
    EXPECT_EQ(childRect(w.hwnd(), w.listView()).left, w.explorerWidth() + 4);
    EXPECT_EQ(childRect(w.hwnd(), w.treeView()).right, w.explorerWidth());

    ASSERT_TRUE(w.command(40128));
    EXPECT_FALSE(IsWindowVisible(w.treeView()));
    EXPECT_EQ(childRect(w.hwnd(), w.listView()).left, 0);
}

TEST_F(PlaylistWindowTest, DoubleClickPlaysTheSelectionAndMovesThePlayingMark) {
    writeStartFile({30, 40, 50, 60});
    PlaylistWindow& w = open();
    selectRows({1, 2});
    harness_->host().clearRecords();
    notifyFromList(NM_DBLCLK, 1);
    const std::vector<std::string> lines = exchanges();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(startsWith(lines[2], "74 kind=100 bytes=19 text=C:\\music\\song2.mp3 ")) << lines[2];
    EXPECT_EQ(w.playingIndex(), 1);
    EXPECT_EQ(rowImage(1), kRowImagePlaying);

    // Enter on another selection moves the mark.
    selectRows({3});
    notifyFromList(NM_RETURN, 3);
    EXPECT_EQ(w.playingIndex(), 3);
    EXPECT_NE(rowImage(1), kRowImagePlaying);

    // Enqueue by the settings: only the hand-overs.
    settings_->doubleClickAction = 1;
    harness_->host().clearRecords();
    notifyFromList(NM_DBLCLK, 3);
    ASSERT_EQ(exchanges().size(), 1u);
    EXPECT_TRUE(startsWith(exchanges()[0], "74 kind=100 "));
}

TEST_F(PlaylistWindowTest, CloseStoresPlacementLanguageAndSettingsFile) {
    PlaylistWindow& w = open();
    // Small enough for any screen: a placement is kept inside the work area.
    SetWindowPos(w.hwnd(), nullptr, 40, 50, 520, 400, SWP_NOZORDER);
    std::memset(settings_->languageName, 'x', sizeof(settings_->languageName) - 1);
    SendMessageA(w.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(w.hwnd(), nullptr);
    EXPECT_STREQ(settings_->languageName, "English(Default)");
    EXPECT_TRUE(test::FileExists(settings_->path()));
    EXPECT_TRUE(test::FileExists(startFile_));

    // The next window opens with that placement.
    PlaylistWindow& again = open();
    RECT rc{};
    GetWindowRect(again.hwnd(), &rc);
    EXPECT_EQ(rc.right - rc.left, 520);
    EXPECT_EQ(rc.bottom - rc.top, 400);
}

TEST_F(PlaylistWindowTest, StartFileFillsTheListFirstRowSelectedEachRowImageByItsTagKindOrMissingFile) {
    Playlist list;
    test::SetV2(test::AddSong(list, "C:\\music\\v2.mp3", 30, 1000), kTIT2, "T");
    test::AddSong(list, "C:\\music\\gone.mp3");  // nothing could be read
    ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    PlaylistWindow& w = open();
    ASSERT_EQ(itemCount(), 2);
    EXPECT_TRUE(w.view().isSelected(0));
    EXPECT_EQ(rowImage(0), kRowImageId3v2);
    EXPECT_EQ(rowImage(1), kRowImageMissing);
}

TEST_F(PlaylistWindowTest, CommandsOutsideTheTableAreNotRun) {
    PlaylistWindow& w = open();
    EXPECT_FALSE(w.command(IDM_LANGUAGE_LAST + 1));
}

}  // namespace
}  // namespace td
