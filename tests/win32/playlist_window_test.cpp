// The playlist window in this process, owned by the stand-in host's main
// window and talking to it through a bridge over window messages, with the
// resources of the built plug-in module.
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

TEST_F(PlaylistWindowTest, StartFileFillsTheListAndTheStatusBar) {
    writeStartFile({60, 120, 185});
    PlaylistWindow& w = open();
    ASSERT_NE(w.hwnd(), nullptr);
    EXPECT_EQ(w.playlist().count(), 3);
    EXPECT_EQ(itemCount(), 3);
    // The first item is selected at start.
    EXPECT_TRUE(w.view().isSelected(0));
    for (int part = 0; part < 5; ++part) EXPECT_EQ(w.statusText(part), w.view().statusText(part)) << part;
    // The list asks the model for its texts.
    EXPECT_EQ(test::ListText(w.listView(), 1, 0), "Artist 1");
}

TEST_F(PlaylistWindowTest, HostPlaylistAtStartIsAskedForAndRead) {
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
}

TEST_F(PlaylistWindowTest, LayoutPlacesListTreeAndStatusBarAndTheSplitterDragIsClamped) {
    PlaylistWindow& w = open();
    SetWindowPos(w.hwnd(), nullptr, 0, 0, 820, 600, SWP_NOZORDER | SWP_NOMOVE);
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    const RECT edit = childRect(w.hwnd(), GetDlgItem(w.hwnd(), 1039));
    const int top = (edit.bottom - edit.top) + 75;
    const RECT status = childRect(w.hwnd(), w.statusBar());
    RECT list = childRect(w.hwnd(), w.listView());
    EXPECT_EQ(list.top, top);
    EXPECT_EQ(list.right, client.right);
    EXPECT_EQ(list.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_FALSE(IsWindowVisible(w.treeView()));

    // The explorer, shown for the first time, takes a quarter of the width.
    ASSERT_TRUE(w.command(40127));
    EXPECT_EQ(w.explorerWidth(), client.right * 25 / 100);
    EXPECT_TRUE(IsWindowVisible(w.treeView()));
    const RECT tree = childRect(w.hwnd(), w.treeView());
    EXPECT_EQ(tree.top, top);
    EXPECT_EQ(tree.right, w.explorerWidth());
    EXPECT_EQ(tree.bottom, status.top);
    EXPECT_EQ(childRect(w.hwnd(), w.listView()).left, w.explorerWidth() + 4);

    // A drag of the splitter bar stops with its right edge at the list's
    // right edge - 100.
    const RECT bar = childRect(w.hwnd(), GetDlgItem(w.hwnd(), 1191));
    const int y = (bar.top + bar.bottom) / 2;
    SendMessageA(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.left + 1, y));
    SendMessageA(w.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.right - 20, y));
    SendMessageA(w.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(client.right - 20, y));
    EXPECT_EQ(w.explorerWidth(), client.right - 100 - 4);
    EXPECT_EQ(childRect(w.hwnd(), w.listView()).left, client.right - 100);

    // Hidden again: the list takes the whole width.
    ASSERT_TRUE(w.command(40128));
    EXPECT_FALSE(w.explorerShown());
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
    EXPECT_TRUE(startsWith(lines[0], "1024 w=0 l=101 "));
    EXPECT_TRUE(startsWith(lines[1], "74 kind=100 bytes=19 text=C:\\music\\song1.mp3 ")) << lines[1];
    EXPECT_TRUE(startsWith(lines[2], "74 kind=100 bytes=19 text=C:\\music\\song2.mp3 ")) << lines[2];
    EXPECT_TRUE(startsWith(lines[4], "1024 w=0 l=102 "));
    EXPECT_EQ(w.playingIndex(), 1);

    // A second selection moves the mark.
    selectRows({3});
    harness_->host().clearRecords();
    notifyFromList(NM_RETURN, 3);
    EXPECT_EQ(w.playingIndex(), 3);
    EXPECT_EQ(w.previousPlayingIndex(), 1);

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
    EXPECT_EQ(settings_->language(), "English(Default)");
    EXPECT_TRUE(test::FileExists(settings_->path()));
    EXPECT_TRUE(test::FileExists(startFile_));

    // The next window opens with that placement.
    PlaylistWindow& again = open();
    RECT rc{};
    GetWindowRect(again.hwnd(), &rc);
    EXPECT_EQ(rc.right - rc.left, 520);
    EXPECT_EQ(rc.bottom - rc.top, 400);
}

TEST_F(PlaylistWindowTest, RowImagesFollowTheTagKindWithPlayingAndMissingOnTop) {
    Playlist list;
    test::SetV2(test::AddSong(list, "C:\\music\\v2.mp3", 30, 1000), kTIT2, "T");
    test::AddSong(list, "C:\\music\\gone.mp3");  // nothing could be read
    ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    open();
    EXPECT_EQ(rowImage(0), kRowImageId3v2);
    EXPECT_EQ(rowImage(1), kRowImageMissing);
    selectRows({0});
    notifyFromList(NM_DBLCLK, 0);
    EXPECT_EQ(rowImage(0), kRowImagePlaying);
}

TEST_F(PlaylistWindowTest, CommandsOutsideTheTableAreNotRun) {
    PlaylistWindow& w = open();
    EXPECT_FALSE(w.command(IDM_LANGUAGE_LAST + 1));
}

}  // namespace
}  // namespace td
