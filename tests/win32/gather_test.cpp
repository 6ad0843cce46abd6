// Gathering on the worker behind the progress dialog, through the real
// window: the list, the dialog and the start file checked.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/file_system.h"
#include "playlist/filter_search.h"
#include "platform/thread.h"
#include "window/file_gatherer.h"
#include "win32/dialog_driver.h"
#include "win32/window_fixture.h"

namespace td {
namespace {

using test::Check;
using test::Press;
using test::Type;

// The disk as it is, except that the listing of one folder waits until the
// test lets it go: a run that cannot end on its own.
class HeldFolderFs final : public test::ForwardingFs {
public:
    explicit HeldFolderFs(std::string folder) : folder_(std::move(folder)) {}
    bool List(const std::string& path, std::vector<DirectoryEntry>& entries) override {
        if (path == folder_) {
            held.set();
            released_.wait(-1);
        }
        return inner_.List(path, entries);
    }
    void release() { released_.set(); }
    Event held{false, false};

private:
    std::string folder_;
    Event released_{false, false};
};

// Whatever happens, the worker is let go and the window gone before the
// held disk goes away.
struct LetGo {
    HeldFolderFs& disk;
    std::unique_ptr<PlaylistWindow>& window;
    ~LetGo() {
        disk.release();
        window.reset();
    }
};

class GatherTest : public test::DialogWindowTest {
protected:
    // `count` empty MPEG files in `folder` (under the test's folder), half of
    // them in a subfolder.
    std::string folderOf(const std::string& folder, int count) {
        const std::string path = dir_.Path(folder);
        CreateDirectoryA(path.c_str(), nullptr);
        CreateDirectoryA((path + "\\sub").c_str(), nullptr);
        for (int i = 0; i < count; ++i) {
            const std::string name = (i % 2 ? "\\sub\\song" : "\\song") + std::to_string(i) + ".mp3";
            EXPECT_TRUE(test::WriteBytes(path + name, std::string(64, '\0')));
        }
        return path;
    }

    bool waitForGather(int timeoutMs = 20000) {
        return harness_->pumpUntil([&] { return !window_->gathering(); }, timeoutMs);
    }

    std::string dialogText(int id) const {
        char text[512] = {};
        GetDlgItemTextA(window_->progressDialog(), id, text, sizeof text);
        return text;
    }
};

TEST_F(GatherTest, AddDirectoryRunsBehindTheProgressDialogAndTheListFollows) {
    const std::string folder = folderOf("many", 40);
    PlaylistWindow& w = open();
    prompter_.chooseFolder(folder, true);
    ASSERT_TRUE(w.command(IDM_ADD_DIRECTORY));
    ASSERT_TRUE(w.gathering());
    HWND dialog = w.progressDialog();
    ASSERT_NE(dialog, nullptr);
    char title[64] = {};
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(title, "Add files...");
    // The total is unknown: the activity bar runs instead of the progress bar.
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_ACTIVITY)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_BAR)));
    EXPECT_FALSE(IsWindowEnabled(w.hwnd()));
    // One worker at a time: a second run is refused while this one goes.
    prompter_.chooseFolder(folder, true);
    w.command(IDM_ADD_DIRECTORY);
    EXPECT_EQ(prompter_.folderRequests.size(), 1u);

    ASSERT_TRUE(waitForGather());
    EXPECT_EQ(w.progressDialog(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(w.hwnd()));
    EXPECT_EQ(w.playlist().count(), 40);
    EXPECT_EQ(w.view().rowCount(), 40);
    EXPECT_EQ(w.statusText(0), "Total files: 40");
}

TEST_F(GatherTest, AbortStopsTheRunKeepingWholeEntriesOnly) {
    const std::string folder = folderOf("abort", 400);
    PlaylistWindow& w = open();
    prompter_.chooseFolder(folder, true);
    ASSERT_TRUE(w.command(IDM_ADD_DIRECTORY));
    ASSERT_TRUE(w.gathering());
    SendMessageA(w.progressDialog(), WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_ABORT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(w.progressDialog(), IDC_PROGRESS_ABORT)));
    ASSERT_TRUE(waitForGather());
    EXPECT_LT(w.playlist().count(), 400);
    EXPECT_EQ(w.view().rowCount(), w.playlist().count());
    for (int i = 0; i < w.playlist().count(); ++i) {
        const std::string name = w.playlist().entryAt(i)->GetFileName();
        EXPECT_EQ(name.compare(0, folder.size(), folder), 0) << name;
    }
    EXPECT_TRUE(IsWindowEnabled(w.hwnd()));
}

TEST_F(GatherTest, TheListGrowsDuringARunAndAbortKeepsExactlyTheEntriesHandedOver) {
    // Thirty songs in the folder itself, then a subfolder whose listing
    // waits until after the Abort.
    const std::string folder = folderOf("held", 60);
    HeldFolderFs disk(folder + "\\sub");
    test::ScopedFs installed(disk);
    LetGo letGo{disk, window_};
    PlaylistWindow& w = open();
    prompter_.chooseFolder(folder, true);
    ASSERT_TRUE(w.command(IDM_ADD_DIRECTORY));
    ASSERT_TRUE(disk.held.wait(20000));
    ASSERT_TRUE(harness_->pumpUntil([&] { return itemCount() == 30; }, 20000));
    EXPECT_TRUE(w.gathering());
    EXPECT_EQ(w.view().rowCount(), 30);
    EXPECT_EQ(w.playlist().count(), 30);
    EXPECT_EQ(w.statusText(0), "Total files: 30");

    SendMessageA(w.progressDialog(), WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_ABORT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(w.progressDialog(), IDC_PROGRESS_ABORT)));
    disk.release();
    ASSERT_TRUE(waitForGather());
    const GatherSummary& run = w.lastGatherSummary();
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(run.handled, 30);
    EXPECT_EQ(run.added, 30);
    EXPECT_EQ(w.playlist().count(), 30);
    EXPECT_EQ(w.view().rowCount(), 30);
    EXPECT_EQ(itemCount(), 30);
    for (int i = 0; i < w.playlist().count(); ++i) {
        EXPECT_EQ(w.playlist().entryAt(i)->GetFileName().find("\\sub\\"), std::string::npos);
    }
}

TEST_F(GatherTest, ASearchGoingWhenARunStartsGivesWayAndTheRowsFollowItsText) {
    // The search worker reads the list, which the run makes grow: it is
    // stopped, and the rows, the new ones too, are those the text finds.
    writeStartFile(std::vector<int>(2000, 60));
    const std::string folder = folderOf("found", 40);
    HeldFolderFs disk(folder + "\\sub");
    test::ScopedFs installed(disk);
    LetGo letGo{disk, window_};
    settings_->searchFields = kSearchFileName;
    PlaylistWindow& w = open();
    SetDlgItemTextA(w.hwnd(), IDC_SEARCH, "song1");
    prompter_.chooseFolder(folder, true);
    ASSERT_TRUE(w.command(IDM_ADD_DIRECTORY));
    // Of the start file song1, song10..19, song100..199 and song1000..1999;
    // of the folder itself (even numbers) song10..18.
    ASSERT_TRUE(disk.held.wait(20000));
    ASSERT_TRUE(harness_->pumpUntil([&] { return w.playlist().count() == 2020 && itemCount() == 1116; }, 20000))
        << w.view().rowCount();
    // Then song1 and song11..19 of the subfolder.
    disk.release();
    ASSERT_TRUE(waitForGather());
    harness_->pump(100);
    EXPECT_EQ(w.playlist().count(), 2040);
    EXPECT_EQ(w.view().rowCount(), 1122);
    EXPECT_EQ(itemCount(), 1122);
    for (int row = 0; row < w.view().rowCount(); ++row) {
        const std::string name = BaseName(w.view().entryAt(row)->GetFileName());
        EXPECT_EQ(name.compare(0, 5, "song1"), 0) << name;
    }
}

TEST_F(GatherTest, WhileTheListShowsDuplicatesTheNewEntriesWaitForTheRebuildAfterTheRun) {
    writeStartFile({200, 300, 204, 500});
    const std::string folder = folderOf("more", 20);
    HeldFolderFs disk(folder + "\\sub");
    test::ScopedFs installed(disk);
    LetGo letGo{disk, window_};
    PlaylistWindow& w = open();
    run(IDM_FIND_DUPLICATES, [&](HWND dialog) {
        Check(dialog, IDC_DUP_FIELD_FIRST + 3, true);
        Press(dialog, IDC_DUP_FIELD_FIRST + 3);
        Type(dialog, IDC_DUP_SECONDS, "4");
        Press(dialog, IDOK);
    });
    ASSERT_EQ(itemCount(), 2);
    prompter_.chooseFolder(folder, true);
    ASSERT_TRUE(w.command(IDM_ADD_DIRECTORY));
    ASSERT_TRUE(disk.held.wait(20000));
    ASSERT_TRUE(harness_->pumpUntil([&] { return w.playlist().count() == 14; }, 20000));
    harness_->pump(300);
    // Only the duplicates, each with the duplicate image, until the run ends.
    EXPECT_EQ(itemCount(), 2);
    EXPECT_EQ(w.view().rowCount(), 2);
    disk.release();
    ASSERT_TRUE(waitForGather());
    EXPECT_EQ(itemCount(), 24);
}

TEST_F(GatherTest, ClosingTheWindowMidRunEndsTheWorkerAndSavesAWholeList) {
    const std::string folder = folderOf("closing", 400);
    PlaylistWindow& w = open();
    prompter_.chooseFolder(folder, true);
    ASSERT_TRUE(w.command(IDM_ADD_DIRECTORY));
    ASSERT_TRUE(w.gathering());
    SendMessageA(w.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(w.hwnd(), nullptr);
    EXPECT_FALSE(w.gathering());
    Playlist saved;
    PlaylistView view(saved);
    ASSERT_EQ(loadKq3(startFile_, true, saved, view, prompter_), Kq3Load::Loaded);
    EXPECT_LE(saved.count(), 400);
    // The worker is gone: pumping adds nothing any more.
    harness_->pump(100);
    EXPECT_EQ(w.playlist().count(), saved.count());
}

TEST_F(GatherTest, AddFilesShowsTheKnownTotalAndImportReplacesTheList) {
    folderOf("chosen", 6);
    PlaylistWindow& w = open();
    std::vector<std::string> chosen;
    for (int i = 0; i < 6; i += 2) chosen.push_back(dir_.Path("chosen\\song" + std::to_string(i) + ".mp3"));
    chosen.push_back(dir_.Path("chosen\\notes.txt"));  // counted, not taken
    prompter_.chooseFiles(chosen);
    ASSERT_TRUE(w.command(IDM_ADD_FILES));
    ASSERT_TRUE(w.gathering());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(w.progressDialog(), IDC_PROGRESS_BAR)));
    ASSERT_TRUE(harness_->pumpUntil([&] { return dialogText(IDC_PROGRESS_COUNT) == "4 / 4 Total" || !w.gathering(); },
                                    10000));
    ASSERT_TRUE(waitForGather());
    EXPECT_EQ(w.playlist().count(), 3);
}

// The plug-in's own window in the host: a drop gathers on the worker, and
// the host quitting mid-run ends it cleanly.
TEST(GatherInHost, QuittingTheHostDuringADropEndsTheWorkerAndSavesTheStartFile) {
    test::HostSetup setup;
    for (int i = 0; i < 300; ++i) {
        setup.files.push_back({"drop\\song" + std::to_string(i) + ".mp3", std::string(64, '\0')});
    }
    test::HostHarness h(setup);
    ASSERT_TRUE(h.ok());
    HWND window = h.showPluginWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(test::DropPaths(window, {h.path("drop")}));
    EXPECT_FALSE(IsWindowEnabled(window));
    h.quitPlugins();
    EXPECT_FALSE(IsWindow(window));
    Playlist saved;
    PlaylistView view(saved);
    test::RecordingPrompter prompter;
    const std::string startFile = h.folder().pluginsDir() + "\\gen_Tunedeck.KQ3";
    ASSERT_EQ(loadKq3(startFile, true, saved, view, prompter), Kq3Load::Loaded);
    EXPECT_LE(saved.count(), 300);
}

}  // namespace
}  // namespace td
