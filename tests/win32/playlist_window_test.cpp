// The playlist window in this process, owned by the stand-in host's main
// window and talking to it through a bridge over window messages, with the
// resources of the built plug-in module.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "plugin/host_bridge.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "support/test_support.h"
#include "win32/host_harness.h"
#include "window/test_songs.h"
#include "window/win32/playlist_window.h"

namespace td {
namespace {

// The bridge's transport straight to the stand-in host's window.
class HostWindowChannel : public HostChannel {
public:
    HostWindowChannel(HWND host, std::string m3u) : host_(host), m3u_(std::move(m3u)) {}
    bool connected() const override { return host_ != nullptr; }
    intptr_t request(intptr_t argument, int requestId) override {
        return SendMessageA(host_, WM_USER, static_cast<WPARAM>(argument), requestId);
    }
    intptr_t handOver(const std::string& path) override {
        COPYDATASTRUCT data{};
        data.dwData = kCopyDataPlayFile;
        data.cbData = static_cast<DWORD>(path.size() + 1);
        data.lpData = const_cast<char*>(path.c_str());
        return SendMessageA(host_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    void post(int commandId) override { PostMessageA(host_, WM_COMMAND, static_cast<WPARAM>(commandId), 0); }
    std::string hostPlaylistPath() const override { return m3u_; }
    std::string readText(intptr_t address) const override {
        if (address == 0 || address == -1) return std::string();
        return std::string(reinterpret_cast<const char*>(address));
    }

private:
    HWND host_;
    std::string m3u_;
};

class SilentPrompter : public Prompter {
public:
    int shown = 0;
    PromptAnswer Message(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
        ++shown;
        return PromptAnswer::Ok;
    }
};

RECT childRect(HWND parent, HWND child) {
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

class PlaylistWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::HostSetup setup;
        setup.load = false;  // no plug-in of its own: the test builds the window
        harness_ = std::make_unique<test::HostHarness>(setup);
        ASSERT_TRUE(harness_->ok());
        module_ = LoadLibraryA((test::TestProgramDir() + "\\gen_Tunedeck.dll").c_str());
        ASSERT_NE(module_, nullptr);
        channel_ = std::make_unique<HostWindowChannel>(harness_->hostWindow(), harness_->m3uPath());
        bridge_ = std::make_unique<HostBridge>(*channel_);
        settings_ = std::make_unique<Settings>(dir_.path());
        lang_ = std::make_unique<LangTable>(dir_.path());
        lang_->scanLanguages(settings_->language());
        startFile_ = dir_.Path("gen_Tunedeck.KQ3");
    }

    void TearDown() override {
        window_.reset();
        harness_.reset();
        if (module_) FreeLibrary(module_);
    }

    // A start file of `seconds.size()` songs, song i lasting seconds[i].
    void writeStartFile(const std::vector<int>& seconds) {
        Playlist list;
        for (size_t i = 0; i < seconds.size(); ++i) {
            SongRecord& song = test::AddSong(list, "C:\\music\\song" + std::to_string(i) + ".mp3",
                                             seconds[i], 1000 + static_cast<uint32_t>(i));
            test::SetV1(song, ("Artist " + std::to_string(i % 3)).c_str(), ("Title " + std::to_string(i)).c_str());
        }
        ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    }

    PlaylistWindow& open() {
        window_ = std::make_unique<PlaylistWindow>(module_, harness_->hostWindow(), *bridge_, *settings_, *lang_,
                                                   startFile_);
        EXPECT_TRUE(window_->create());
        harness_->pump(50);
        return *window_;
    }

    int itemCount() const { return static_cast<int>(SendMessageA(window_->listView(), LVM_GETITEMCOUNT, 0, 0)); }

    void selectRows(const std::vector<int>& rows) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED;
        SendMessageA(window_->listView(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
        for (int row : rows) {
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            SendMessageA(window_->listView(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        }
    }

    void notifyFromList(UINT code, int row) {
        NMITEMACTIVATE note{};
        note.hdr.hwndFrom = window_->listView();
        note.hdr.idFrom = 1008;
        note.hdr.code = code;
        note.iItem = row;
        SendMessageA(window_->hwnd(), WM_NOTIFY, 1008, reinterpret_cast<LPARAM>(&note));
    }

    // The exchanges with the host since the last clearRecords, without the
    // position panel's polling (position, length, list position, file name,
    // volume).
    std::vector<std::string> exchanges() const {
        std::vector<std::string> out;
        for (const std::string& line : harness_->exchanges()) {
            bool polling = false;
            for (const char* request : {" l=104 ", " l=105 ", " l=122 ", " l=125 ", " l=211 "}) {
                polling = polling || (startsWith(line, "1024 ") && line.find(request) != std::string::npos);
            }
            if (polling) continue;
            out.push_back(line);
        }
        return out;
    }

    test::TempDir dir_;
    std::unique_ptr<test::HostHarness> harness_;
    HMODULE module_ = nullptr;
    std::unique_ptr<HostWindowChannel> channel_;
    std::unique_ptr<HostBridge> bridge_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<LangTable> lang_;
    std::string startFile_;
    std::unique_ptr<PlaylistWindow> window_;
};

TEST_F(PlaylistWindowTest, StartFileFillsTheListAndTheStatusBar) {
    writeStartFile({60, 120, 185});
    PlaylistWindow& w = open();
    ASSERT_NE(w.hwnd(), nullptr);
    EXPECT_EQ(w.playlist().count(), 3);
    EXPECT_EQ(itemCount(), 3);
    EXPECT_EQ(w.statusText(0), "Total files: 3");
    EXPECT_EQ(w.statusText(1), "ID3v1");
    EXPECT_EQ(w.statusText(2), "Avg length: 02:01");
    EXPECT_EQ(w.statusText(3), "Total length: " + LongTimeText(365));
    // The first item is selected at start.
    EXPECT_TRUE(w.view().isSelected(0));
    EXPECT_EQ(w.statusText(4), "Sel length: 01:00");
    // The list asks the model for its texts.
    char text[64] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(w.listView(), LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Artist 1");
    // The window is shown and its caption is the product's.
    EXPECT_TRUE(IsWindowVisible(w.hwnd()));
    char caption[32] = {};
    GetWindowTextA(w.hwnd(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Tunedeck");
    EXPECT_NE(w.statusBar(), nullptr);
    EXPECT_EQ(GetDlgCtrlID(w.statusBar()), 400);
}

TEST_F(PlaylistWindowTest, EmptyListShowsZeroFilesAndAnAverageOfZero) {
    PlaylistWindow& w = open();  // no start file: an empty list, no message
    EXPECT_EQ(itemCount(), 0);
    EXPECT_EQ(w.statusText(0), "Total files: 0");
    EXPECT_EQ(w.statusText(2), "Avg length: 00:00");
    EXPECT_EQ(w.statusText(4), "");
}

TEST_F(PlaylistWindowTest, HostPlaylistAtStartIsAskedForAndRead) {
    ASSERT_TRUE(bridge_->Enqueue("C:\\host\\one.mp3"));
    ASSERT_TRUE(bridge_->Enqueue("C:\\host\\two.mp3"));
    writeStartFile({10});  // not read
    settings_->loadOnStartup = 1;
    harness_->host().clearRecords();
    PlaylistWindow& w = open();
    const std::vector<std::string> lines = exchanges();
    bool wrote = false;
    for (const std::string& line : lines) wrote = wrote || startsWith(line, "1024 w=0 l=120 ");
    EXPECT_TRUE(wrote);
    ASSERT_EQ(itemCount(), 2);
    EXPECT_EQ(w.view().entryAt(0)->GetFileName(), "C:\\host\\one.mp3");
    EXPECT_EQ(w.view().entryAt(1)->GetFileName(), "C:\\host\\two.mp3");
    EXPECT_EQ(w.statusText(0), "Total files: 2");
}

TEST_F(PlaylistWindowTest, LayoutPlacesListTreeSplitterAndStatusBar) {
    PlaylistWindow& w = open();
    SetWindowPos(w.hwnd(), nullptr, 0, 0, 820, 600, SWP_NOZORDER | SWP_NOMOVE);
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    const RECT edit = childRect(w.hwnd(), GetDlgItem(w.hwnd(), 1039));
    const int top = (edit.bottom - edit.top) + 75;
    const RECT status = childRect(w.hwnd(), w.statusBar());
    RECT list = childRect(w.hwnd(), w.listView());
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.top, top);
    EXPECT_EQ(list.right, client.right);
    EXPECT_EQ(list.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(status.right - status.left, client.right);
    EXPECT_FALSE(IsWindowVisible(w.treeView()));
    // The wide panel controls end 4 pixels from the right edge.
    EXPECT_EQ(childRect(w.hwnd(), GetDlgItem(w.hwnd(), 1044)).right, client.right - 4);
    EXPECT_EQ(childRect(w.hwnd(), GetDlgItem(w.hwnd(), 1042)).right, client.right - 4);

    // The explorer, shown for the first time, takes a quarter of the width.
    ASSERT_TRUE(w.command(40127));
    EXPECT_TRUE(w.explorerShown());
    EXPECT_EQ(settings_->explorerShown, 1);
    EXPECT_EQ(w.explorerWidth(), client.right * 25 / 100);
    EXPECT_TRUE(IsWindowVisible(w.treeView()));
    const RECT tree = childRect(w.hwnd(), w.treeView());
    list = childRect(w.hwnd(), w.listView());
    EXPECT_EQ(tree.left, 0);
    EXPECT_EQ(tree.top, top);
    EXPECT_EQ(tree.right, w.explorerWidth());
    EXPECT_EQ(list.left, w.explorerWidth() + 4);
    EXPECT_EQ(list.right, client.right);
    EXPECT_EQ(tree.bottom, status.top);
    // The tree holds the explorer's root.
    EXPECT_GE(SendMessageA(w.treeView(), TVM_GETCOUNT, 0, 0), 1);

    // A wider window keeps the tree's width.
    const int width = w.explorerWidth();
    SetWindowPos(w.hwnd(), nullptr, 0, 0, 1000, 600, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(w.explorerWidth(), width);
    EXPECT_EQ(childRect(w.hwnd(), w.treeView()).right, width);

    // Hidden again: the list takes the whole width.
    ASSERT_TRUE(w.command(40128));
    EXPECT_FALSE(w.explorerShown());
    EXPECT_EQ(childRect(w.hwnd(), w.listView()).left, 0);
}

TEST_F(PlaylistWindowTest, SplitterDragIsClampedAtListRightMinus100) {
    PlaylistWindow& w = open();
    SetWindowPos(w.hwnd(), nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOMOVE);
    ASSERT_TRUE(w.command(40127));
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    const RECT bar = childRect(w.hwnd(), GetDlgItem(w.hwnd(), 1191));
    const int y = (bar.top + bar.bottom) / 2;
    SendMessageA(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.left + 1, y));
    SendMessageA(w.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.right - 20, y));
    SendMessageA(w.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(client.right - 20, y));
    // The bar's right edge stops at the list's right edge - 100.
    EXPECT_EQ(w.explorerWidth(), client.right - 100 - 4);
    EXPECT_EQ(childRect(w.hwnd(), w.treeView()).right, client.right - 104);
    EXPECT_EQ(childRect(w.hwnd(), w.listView()).left, client.right - 100);

    // A drag to the left: the bar follows the pointer's centre.
    const RECT moved = childRect(w.hwnd(), GetDlgItem(w.hwnd(), 1191));
    SendMessageA(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(moved.left + 2, y));
    SendMessageA(w.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(152, y));
    SendMessageA(w.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(152, y));
    EXPECT_EQ(w.explorerWidth(), 150);
    // A press beside the bar starts nothing.
    SendMessageA(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, y));
    SendMessageA(w.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, y));
    SendMessageA(w.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(500, y));
    EXPECT_EQ(w.explorerWidth(), 150);
}

TEST_F(PlaylistWindowTest, MinimisingHidesTheWindow) {
    PlaylistWindow& w = open();
    EXPECT_EQ(w.visible(), 1);
    ShowWindow(w.hwnd(), SW_MINIMIZE);
    harness_->pump(20);
    EXPECT_EQ(w.visible(), 0);
    EXPECT_FALSE(IsWindowVisible(w.hwnd()));
    EXPECT_NE(w.hwnd(), nullptr);  // hidden, not destroyed
}

TEST_F(PlaylistWindowTest, DroppedFolderAddsItsAudioFilesAndTheEndSequenceSavesThem) {
    const std::string folder = dir_.Path("drop");
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    ASSERT_TRUE(test::WriteBytes(folder + "\\a.mp3", std::string(64, '\0')));
    ASSERT_TRUE(test::WriteBytes(folder + "\\sub\\b.MP2", std::string(64, '\0')));
    ASSERT_TRUE(test::WriteBytes(folder + "\\notes.txt", "x"));
    const std::string single = dir_.Path("single.mp3");
    ASSERT_TRUE(test::WriteBytes(single, std::string(16, '\0')));

    PlaylistWindow& w = open();
    // An HDROP naming the folder and the single file.
    std::string names = folder + '\0' + single + '\0' + '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    ASSERT_NE(memory, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    SendMessageA(w.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);

    EXPECT_EQ(w.playlist().count(), 3);
    EXPECT_EQ(itemCount(), 3);
    EXPECT_EQ(w.statusText(0), "Total files: 3");

    // Quit (the end sequence) writes the whole list to the start file.
    ASSERT_TRUE(w.command(40074));
    EXPECT_EQ(w.hwnd(), nullptr);
    EXPECT_EQ(w.visible(), 0);
    Playlist reloaded;
    PlaylistView view(reloaded);
    SilentPrompter prompter;
    ASSERT_EQ(loadKq3(startFile_, true, reloaded, view, prompter), Kq3Load::Loaded);
    ASSERT_EQ(reloaded.count(), 3);
    std::vector<std::string> names2;
    for (int i = 0; i < reloaded.count(); ++i) names2.push_back(BaseName(reloaded.entryAt(i)->GetFileName()));
    std::sort(names2.begin(), names2.end());
    EXPECT_EQ(names2, (std::vector<std::string>{"a.mp3", "b.MP2", "single.mp3"}));

    // Open again: the list comes back from the start file.
    PlaylistWindow& again = open();
    EXPECT_EQ(again.playlist().count(), 3);
}

TEST_F(PlaylistWindowTest, DoubleClickPlaysTheSelectionAndMovesThePlayingMark) {
    writeStartFile({30, 40, 50, 60});
    PlaylistWindow& w = open();
    selectRows({1, 2});
    EXPECT_EQ(w.statusText(4), "Sel length: 01:30");
    harness_->host().clearRecords();
    notifyFromList(NM_DBLCLK, 1);
    const std::vector<std::string> lines = exchanges();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(startsWith(lines[0], "1024 w=0 l=101 "));
    EXPECT_TRUE(startsWith(lines[1], "74 kind=100 bytes=19 text=C:\\music\\song1.mp3 ")) << lines[1];
    EXPECT_TRUE(startsWith(lines[2], "74 kind=100 bytes=19 text=C:\\music\\song2.mp3 ")) << lines[2];
    EXPECT_TRUE(startsWith(lines[3], "1024 w=0 l=121 "));
    EXPECT_TRUE(startsWith(lines[4], "1024 w=0 l=102 "));
    EXPECT_EQ(w.playingIndex(), 1);
    EXPECT_EQ(w.previousPlayingIndex(), -1);

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
    // Any other action does nothing.
    settings_->doubleClickAction = 7;
    harness_->host().clearRecords();
    notifyFromList(NM_DBLCLK, 3);
    EXPECT_TRUE(exchanges().empty());
}

TEST_F(PlaylistWindowTest, SelectionCommandsKeepTheSelectedLength) {
    writeStartFile({30, 40, 50});
    PlaylistWindow& w = open();
    ASSERT_TRUE(w.command(40011));
    EXPECT_EQ(w.view().selectedCount(), 3);
    EXPECT_EQ(w.statusText(4), "Sel length: 02:00");
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETSELECTEDCOUNT, 0, 0), 3);
    ASSERT_TRUE(w.command(40012));
    EXPECT_EQ(w.view().selectedCount(), 0);
    EXPECT_EQ(w.statusText(4), "Sel length: 00:00");
    selectRows({0});
    ASSERT_TRUE(w.command(40013));  // toggle
    EXPECT_FALSE(w.view().isSelected(0));
    EXPECT_TRUE(w.view().isSelected(1));
    EXPECT_TRUE(w.view().isSelected(2));
    EXPECT_EQ(w.statusText(4), "Sel length: 01:30");
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETSELECTEDCOUNT, 0, 0), 2);

    // Sorting by a column keeps each entry's selection; the header shows the
    // direction only once the user has sorted.
    HWND header = reinterpret_cast<HWND>(SendMessageA(w.listView(), LVM_GETHEADER, 0, 0));
    auto headerFormat = [header](int position) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    };
    EXPECT_EQ(headerFormat(0) & (HDF_SORTUP | HDF_SORTDOWN), 0);
    SongRecord* second = w.view().entryAt(1);
    NMLISTVIEW click{};
    click.hdr.hwndFrom = w.listView();
    click.hdr.idFrom = 1008;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = w.view().positionOfColumn(kColumnTime);
    SendMessageA(w.hwnd(), WM_NOTIFY, 1008, reinterpret_cast<LPARAM>(&click));
    SendMessageA(w.hwnd(), WM_NOTIFY, 1008, reinterpret_cast<LPARAM>(&click));  // descending
    EXPECT_EQ(w.view().entryAt(0)->GetMpegInfo().seconds, 50);
    const int row = w.view().rowOf(second);
    EXPECT_TRUE(w.view().isSelected(row));
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED), LVIS_SELECTED);
    EXPECT_EQ(settings_->getSortKey(), -kColumnTime);
    EXPECT_EQ(headerFormat(click.iSubItem) & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTDOWN);
    EXPECT_EQ(headerFormat(0) & (HDF_SORTUP | HDF_SORTDOWN), 0);

    // Showing the explorer deselects and empties the selected length.
    ASSERT_TRUE(w.command(40127));
    EXPECT_EQ(w.view().selectedCount(), 0);
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_EQ(w.statusText(4), "");
}

TEST_F(PlaylistWindowTest, PlayerButtonsPostHostCommands) {
    PlaylistWindow& w = open();
    harness_->host().clearRecords();
    for (int id : {1038, 1045, 1046, 1047, 1048}) {
        SendMessageA(w.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(w.hwnd(), id)));
    }
    ASSERT_TRUE(w.command(40010));
    harness_->pump(50);
    std::vector<std::string> commands;
    for (const std::string& line : exchanges()) {
        if (startsWith(line, "273 ")) commands.push_back(line.substr(0, line.find(" l=")));
    }
    EXPECT_EQ(commands, (std::vector<std::string>{"273 w=40044", "273 w=40045", "273 w=40046", "273 w=40047",
                                                   "273 w=40048", "273 w=40040"}));
}

TEST_F(PlaylistWindowTest, CloseStoresPlacementLanguageAndSettingsFile) {
    PlaylistWindow& w = open();
    // Small enough for any screen: a placement is kept inside the work area.
    SetWindowPos(w.hwnd(), nullptr, 40, 50, 520, 400, SWP_NOZORDER);
    std::memset(settings_->languageName, 'x', sizeof(settings_->languageName) - 1);
    SendMessageA(w.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(w.hwnd(), nullptr);
    EXPECT_EQ(settings_->windowPlacement.length, 44u);
    EXPECT_EQ(settings_->windowPlacement.right - settings_->windowPlacement.left, 520);
    EXPECT_EQ(settings_->windowPlacement.bottom - settings_->windowPlacement.top, 400);
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

TEST_F(PlaylistWindowTest, ThemeZeroTakesNewSystemColoursAtOnce) {
    settings_->themeIndex = 0;
    PlaylistWindow& w = open();
    const COLORREF old = GetSysColor(COLOR_WINDOW);
    const COLORREF changed = old == RGB(10, 200, 30) ? RGB(20, 180, 40) : RGB(10, 200, 30);
    int element = COLOR_WINDOW;
    ASSERT_TRUE(SetSysColors(1, &element, &changed));
    SendMessageA(w.hwnd(), WM_SYSCOLORCHANGE, 0, 0);
    const COLORREF listBackground = static_cast<COLORREF>(SendMessageA(w.listView(), LVM_GETBKCOLOR, 0, 0));
    const uint32_t themeBackground = settings_->themes[0].background;
    const uint32_t themePlayingText = settings_->themes[0].playingText;
    SetSysColors(1, &element, &old);
    EXPECT_EQ(listBackground, changed);
    EXPECT_EQ(themeBackground, changed);
    EXPECT_EQ(themePlayingText, changed);

    // Another theme keeps its own colours.
    w.destroy();
    settings_->themeIndex = 1;
    PlaylistWindow& classic = open();
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(classic.listView(), LVM_GETBKCOLOR, 0, 0)), RGB(255, 255, 255));
}

TEST_F(PlaylistWindowTest, LanguageCommandRelabelsAndKeepsColumnsAndRows) {
    writeStartFile({30, 40, 50, 60});  // artists 0, 1, 2, 0: not in artist order
    PlaylistWindow& w = open();
    const int columns = w.view().columnCount();
    ASSERT_GE(columns, 3);
    // The user dragged the second header to the front and widened the first.
    std::vector<int> order(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) order[static_cast<size_t>(i)] = i;
    std::swap(order[0], order[1]);
    SendMessageA(w.listView(), LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(columns),
                 reinterpret_cast<LPARAM>(order.data()));
    SendMessageA(w.listView(), LVM_SETCOLUMNWIDTH, 0, 234);

    ASSERT_TRUE(w.command(10000));  // English, the only language
    EXPECT_EQ(w.view().columnCount(), columns);
    HWND header = reinterpret_cast<HWND>(SendMessageA(w.listView(), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), columns);
    std::vector<int> after(static_cast<size_t>(columns));
    SendMessageA(w.listView(), LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(columns),
                 reinterpret_cast<LPARAM>(after.data()));
    EXPECT_EQ(after, order);
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETCOLUMNWIDTH, 0, 0), 234);
    EXPECT_EQ(w.view().entryAt(1)->GetFileName(), "C:\\music\\song1.mp3");
    EXPECT_TRUE(w.view().isSelected(0));
    char label[32] = {};
    GetDlgItemTextA(w.hwnd(), 1211, label, sizeof(label));
    EXPECT_STREQ(label, "Search:");
    EXPECT_EQ(w.statusText(0), "Total files: 4");
    EXPECT_NE(GetMenu(w.hwnd()), nullptr);

    // Closing stores the dragged order: Title first, then Artist.
    SendMessageA(w.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(settings_->columnOrder[0], kColumnTitle);
    EXPECT_EQ(settings_->columnOrder[1], kColumnArtist);
    EXPECT_EQ(settings_->columnWidth[kColumnArtist], 234);
    PlaylistWindow& again = open();
    EXPECT_EQ(again.view().columnIdAt(0), kColumnTitle);
}

TEST_F(PlaylistWindowTest, HundredThousandEntriesOpen) {
    std::vector<int> seconds(100000);
    for (size_t i = 0; i < seconds.size(); ++i) seconds[i] = static_cast<int>(i % 400);
    writeStartFile(seconds);
    PlaylistWindow& w = open();
    EXPECT_EQ(itemCount(), 100000);
    EXPECT_EQ(w.statusText(0), "Total files: 100000");
    SendMessageA(w.listView(), LVM_ENSUREVISIBLE, 99999, FALSE);
    UpdateWindow(w.listView());
    // Selecting and toggling every row keeps list and model in step.
    ASSERT_TRUE(w.command(40011));
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETSELECTEDCOUNT, 0, 0), 100000);
    EXPECT_EQ(w.statusText(4), "Sel length: " + ShortTimeText(w.view().totalLength()));
    ASSERT_TRUE(w.command(40013));
    EXPECT_EQ(SendMessageA(w.listView(), LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_EQ(w.view().selectedCount(), 0);
    EXPECT_EQ(w.statusText(4), "Sel length: 00:00");
}

}  // namespace
}  // namespace td

namespace td {
namespace {

TEST_F(PlaylistWindowTest, ShortcutsApplyOnlyWhileTheWindowIsActive) {
    PlaylistWindow& w = open();
    SendMessageA(w.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    PostMessageA(w.listView(), WM_KEYDOWN, VK_F6, 0x00400001);  // F6: explorer
    harness_->pump(50);
    EXPECT_TRUE(w.explorerShown());
    PostMessageA(w.listView(), WM_KEYDOWN, VK_F6, 0x00400001);
    harness_->pump(50);
    EXPECT_FALSE(w.explorerShown());

    SendMessageA(w.hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    PostMessageA(w.listView(), WM_KEYDOWN, VK_F6, 0x00400001);
    harness_->pump(50);
    EXPECT_FALSE(w.explorerShown());
}

TEST_F(PlaylistWindowTest, PositionPanelFollowsTheHost) {
    ASSERT_TRUE(bridge_->Enqueue("C:\\host\\playing.mp3"));
    bridge_->SetVolume(128);
    PlaylistWindow& w = open();
    harness_->pumpUntil(
        [&] {
            char name[MAX_PATH] = {};
            GetDlgItemTextA(w.hwnd(), 1249, name, sizeof(name));
            return std::string(name) == "C:\\host\\playing.mp3";
        },
        2000);
    char text[MAX_PATH] = {};
    GetDlgItemTextA(w.hwnd(), 1249, text, sizeof(text));
    EXPECT_STREQ(text, "C:\\host\\playing.mp3");
    GetDlgItemTextA(w.hwnd(), 1043, text, sizeof(text));
    EXPECT_STREQ(text, "Volume 50%");
    EXPECT_EQ(SendDlgItemMessageA(w.hwnd(), 1042, TBM_GETPOS, 0, 0), 128);
    GetDlgItemTextA(w.hwnd(), 1247, text, sizeof(text));
    EXPECT_EQ(std::strlen(text), 5u);  // "mm:ss"

    // Moving the volume bar sets the host's volume and the label.
    SendDlgItemMessageA(w.hwnd(), 1042, TBM_SETPOS, TRUE, 255);
    harness_->host().clearRecords();
    SendMessageA(w.hwnd(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 255),
                 reinterpret_cast<LPARAM>(GetDlgItem(w.hwnd(), 1042)));
    bool set = false;
    for (const std::string& line : harness_->exchanges()) set = set || startsWith(line, "1024 w=255 l=122 ");
    EXPECT_TRUE(set);
    GetDlgItemTextA(w.hwnd(), 1043, text, sizeof(text));
    EXPECT_STREQ(text, "Volume 100%");
    // The position bar seeks in milliseconds.
    SendDlgItemMessageA(w.hwnd(), 1044, TBM_SETRANGEMAX, TRUE, 300);
    SendDlgItemMessageA(w.hwnd(), 1044, TBM_SETPOS, TRUE, 42);
    harness_->host().clearRecords();
    SendMessageA(w.hwnd(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 42),
                 reinterpret_cast<LPARAM>(GetDlgItem(w.hwnd(), 1044)));
    bool jumped = false;
    for (const std::string& line : harness_->exchanges()) jumped = jumped || startsWith(line, "1024 w=42000 l=106 ");
    EXPECT_TRUE(jumped);
}

}  // namespace
}  // namespace td

namespace td {
namespace {

// The window as the plug-in opens it: "Show" from the host's menu.
TEST(PlaylistWindowInHost, ShownFromTheHostMenuWithItsStartFileAndPlaysTheSelection) {
    Playlist list;
    for (int i = 0; i < 3; ++i) {
        test::AddSong(list, "C:\\music\\track" + std::to_string(i) + ".mp3", 100 + i * 10, 5000);
    }
    test::HostSetup setup;
    setup.files.push_back({"Plugins\\gen_Tunedeck.KQ3", encodeKq3(list)});
    test::HostHarness h(setup);
    ASSERT_TRUE(h.ok());
    h.host().openMainMenu();
    h.host().chooseMainMenuItem(50120);
    HWND window = nullptr;
    ASSERT_TRUE(h.pumpUntil(
        [&] {
            window = FindWindowA("#32770", "Tunedeck");
            return window != nullptr && IsWindowVisible(window);
        },
        5000));
    HWND listView = GetDlgItem(window, 1008);
    EXPECT_EQ(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(GetWindow(window, GW_OWNER), h.hostWindow());

    // Rows 1 and 2 selected, then a double click.
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    SendMessageA(listView, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    SendMessageA(listView, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
    h.host().clearRecords();
    NMITEMACTIVATE note{};
    note.hdr.hwndFrom = listView;
    note.hdr.idFrom = 1008;
    note.hdr.code = NM_DBLCLK;
    note.iItem = 1;
    SendMessageA(window, WM_NOTIFY, 1008, reinterpret_cast<LPARAM>(&note));
    std::vector<std::string> lines;
    for (const std::string& line : h.exchanges()) {
        if (startsWith(line, "1024 w=0 l=101 ") || startsWith(line, "74 ") || startsWith(line, "1024 w=0 l=121 ") ||
            startsWith(line, "1024 w=0 l=102 ")) {
            lines.push_back(line.substr(0, line.find(" r=")));
        }
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"1024 w=0 l=101", "74 kind=100 bytes=20 text=C:\\music\\track1.mp3",
                                                "74 kind=100 bytes=20 text=C:\\music\\track2.mp3", "1024 w=0 l=121",
                                                "1024 w=0 l=102"}));

    // Minimised, the window hides; quitting the host saves the start file.
    ShowWindow(window, SW_MINIMIZE);
    h.pump(20);
    EXPECT_FALSE(IsWindowVisible(window));
    const std::string startFile = h.folder().pluginsDir() + "\\gen_Tunedeck.KQ3";
    DeleteFileA(startFile.c_str());
    h.quitPlugins();
    EXPECT_FALSE(IsWindow(window));
    Playlist saved;
    PlaylistView view(saved);
    SilentPrompter prompter;
    ASSERT_EQ(loadKq3(startFile, true, saved, view, prompter), Kq3Load::Loaded);
    EXPECT_EQ(saved.count(), 3);
}

}  // namespace
}  // namespace td

namespace td {
namespace {

std::string treeText(HWND tree, HTREEITEM item) {
    char text[128] = {};
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof(text);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

HTREEITEM treeChild(HWND tree, HTREEITEM parent, const std::string& label) {
    for (auto item = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         item; item = reinterpret_cast<HTREEITEM>(
                   SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        if (treeText(tree, item) == label) return item;
    }
    return nullptr;
}

TEST_F(PlaylistWindowTest, ExplorerLeafFiltersTheListAndViewSourceSwitches) {
    writeStartFile({30, 40, 50, 60, 70});  // artists 0, 1, 2, 0, 1
    settings_->explorerShown = 1;
    PlaylistWindow& w = open();
    ASSERT_TRUE(w.explorerShown());
    HWND tree = w.treeView();
    auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    ASSERT_NE(root, nullptr);
    HTREEITEM artists = treeChild(tree, root, "Artist");
    ASSERT_NE(artists, nullptr);
    HTREEITEM leaf = treeChild(tree, artists, "Artist 1");
    ASSERT_NE(leaf, nullptr);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(leaf));
    EXPECT_EQ(itemCount(), 2);
    EXPECT_EQ(w.statusText(0), "Total files: 2");
    char caption[64] = {};
    GetWindowTextA(w.hwnd(), caption, sizeof(caption));
    EXPECT_STRNE(caption, "Tunedeck");
    // The root shows everything again.
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    EXPECT_EQ(itemCount(), 5);
    GetWindowTextA(w.hwnd(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Tunedeck");

    // Alt+2 / the View entries switch the tag source, kept in the settings.
    ASSERT_TRUE(w.command(40092));
    EXPECT_EQ(settings_->viewInfoFrom, 1);
    EXPECT_EQ(w.statusText(1), "ID3v2");
    ASSERT_TRUE(w.command(40090));
    EXPECT_EQ(settings_->viewInfoFrom, 3);
    EXPECT_EQ(w.statusText(1), "v1->v2");
    EXPECT_EQ(itemCount(), 5);
}

}  // namespace
}  // namespace td

namespace td {
namespace {

TEST_F(PlaylistWindowTest, SearchTextFiltersTheListThroughTheWorker) {
    writeStartFile({30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140});  // Title 0 .. Title 11
    PlaylistWindow& w = open();
    SetDlgItemTextA(w.hwnd(), 1039, "title 1");  // Title 1, Title 10, Title 11
    ASSERT_TRUE(harness_->pumpUntil([&] { return itemCount() == 3; }, 5000));
    EXPECT_EQ(w.statusText(0), "Total files: 3");
    EXPECT_EQ(w.view().selectedCount(), 0);
    EXPECT_EQ(w.statusText(4), "");
    SetDlgItemTextA(w.hwnd(), 1039, "");
    ASSERT_TRUE(harness_->pumpUntil([&] { return itemCount() == 12; }, 5000));
    EXPECT_EQ(w.statusText(0), "Total files: 12");
}

}  // namespace
}  // namespace td
