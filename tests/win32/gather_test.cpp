// Gathering on the worker behind the progress dialog, through the real
// window: the list, the dialog and the start file checked.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/thread.h"
#include "window/file_gatherer.h"
#include "win32/dialog_driver.h"

namespace td {
namespace {

using test::Press;

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
        for (int i = 0; i < count; ++i)
            song(folder + (i % 2 ? "\\sub\\song" : "\\song") + std::to_string(i) + ".mp3");
        return dir_.Path(folder);
    }
};

TEST_F(GatherTest, AddDirectoryShowsTheRunAsItGoesRefusesASecondAndAbortKeepsTheEntriesHandedOver) {
    // Twenty songs in the folder itself, twenty in a subfolder whose listing
    // waits until after the Abort.
    const std::string folder = folderOf("held", 40);
    HeldFolderFs disk(folder + "\\sub");
    test::ScopedFs installed(disk);
    LetGo letGo{disk, window_};
    PlaylistWindow& w = open();
    prompter_.chooseFolder(folder, true);
    ASSERT_TRUE(w.command(IDM_ADD_DIRECTORY_KEY));
    ASSERT_TRUE(disk.held.wait(20000));
    // The list grows during the run.
    ASSERT_TRUE(harness_->pumpUntil([&] { return itemCount() == 20; }, 20000));
    HWND dialog = w.progressDialog();
    ASSERT_NE(dialog, nullptr);
    // The total is unknown: the activity bar runs instead of the progress bar.
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_ACTIVITY)));
    EXPECT_FALSE(IsWindowEnabled(w.hwnd()));
    // One worker at a time: a second run is refused while this one goes.
    w.command(IDM_ADD_DIRECTORY);
    EXPECT_EQ(prompter_.folderRequests.size(), 1u);

    Press(dialog, IDC_PROGRESS_ABORT);
    disk.release();
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(w.progressDialog(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(w.hwnd()));
    EXPECT_TRUE(w.lastGatherSummary().stopped);
    EXPECT_EQ(itemCount(), 20);
    for (int i = 0; i < w.playlist().count(); ++i) {
        EXPECT_EQ(w.playlist().entryAt(i)->GetFileName().find("\\sub\\"), std::string::npos);
    }
}

// Drops `paths` on `window` as the shell does: WM_DROPFILES with a drop
// handle naming them (ANSI), which the window releases (DragFinish).
void DropPaths(HWND window, const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    names += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    ASSERT_NE(memory, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

// The plug-in's own window in the host, opened by "Show" on its start file:
// a drop gathers on the worker, and the host quitting mid-run ends it
// cleanly and saves the start file.
TEST(GatherInHost, QuittingTheHostDuringADropEndsTheWorkerAndSavesTheStartFile) {
    Playlist list;
    for (int i = 0; i < 3; ++i)
        test::AddSong(list, "C:\\music\\track" + std::to_string(i) + ".mp3", 100, 5000);
    test::HostSetup setup;
    setup.files.push_back({"Plugins\\gen_Tunedeck.KQ3", encodeKq3(list)});
    for (int i = 0; i < 300; ++i) {
        setup.files.push_back({"drop\\song" + std::to_string(i) + ".mp3", std::string(64, '\0')});
    }
    test::HostHarness h(setup);
    ASSERT_TRUE(h.ok());
    HWND window = h.showPluginWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(GetDlgItem(window, 1008), LVM_GETITEMCOUNT, 0, 0), 3);
    // Minimised, the window hides.
    ShowWindow(window, SW_MINIMIZE);
    h.pump(20);
    EXPECT_FALSE(IsWindowVisible(window));
    ShowWindow(window, SW_RESTORE);
    DropPaths(window, {h.path("drop")});
    EXPECT_FALSE(IsWindowEnabled(window));
    const std::string startFile = h.pluginsDir() + "\\gen_Tunedeck.KQ3";
    DeleteFileA(startFile.c_str());
    h.quitPlugins();
    EXPECT_FALSE(IsWindow(window));
    Playlist saved;
    PlaylistView view(saved);
    test::RecordingPrompter prompter;
    ASSERT_EQ(loadKq3(startFile, true, saved, view, prompter), Kq3Load::Loaded);
    EXPECT_GE(saved.count(), 3);
    EXPECT_LE(saved.count(), 303);
}

}  // namespace
}  // namespace td
