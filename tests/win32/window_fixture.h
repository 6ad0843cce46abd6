// The playlist window in the test's process, owned by the stand-in host's
// main window and talking to it through a bridge over window messages, with
// the resources of the built plug-in module. Its dialogs are answered by a
// RecordingPrompter.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/copy_file.h"
#include "platform/prompter.h"
#include "playlist/kq3.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "plugin/host_bridge.h"
#include "plugin/win32/host_channel_win32.h"
#include "settings/lang_table.h"
#include "settings/settings.h"
#include "support/recording_prompter.h"
#include "support/test_support.h"
#include "win32/host_harness.h"
#include "window/test_songs.h"
#include "window/win32/playlist_window.h"
#include "window/window_resource.h"

namespace td {
namespace test {

// The text of a list view's cell.
inline std::string ListText(HWND list, int row, int column) {
    char text[260] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

inline RECT childRect(HWND parent, HWND child) {
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

inline bool startsWith(const std::string& text, const std::string& prefix) {
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
        channel_ = std::make_unique<Win32HostChannel>(harness_->hostWindow());
        bridge_ = std::make_unique<HostBridge>(*channel_);
        settings_ = std::make_unique<Settings>(dir_.path());
        lang_ = std::make_unique<LangTable>(dir_.path());
        lang_->scanLanguages(settings_->languageName);
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
            SongRecord& song = test::AddSong(list, "C:\\music\\song" + std::to_string(i) + ".mp3", seconds[i],
                                             1000 + static_cast<uint32_t>(i));
            test::SetV1(song, ("Artist " + std::to_string(i % 3)).c_str(),
                        ("Title " + std::to_string(i)).c_str());
        }
        ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    }

    // An empty MPEG file (a song without stream or tags) at `relative`,
    // its folders made first.
    std::string song(const std::string& relative) {
        const std::string path = dir_.Path(relative);
        EXPECT_TRUE(MakeDirectories(path.substr(0, path.find_last_of('\\'))));
        EXPECT_TRUE(test::WriteBytes(path, std::string(64, '\0')));
        return path;
    }

    // With `systemDialogs` the window shows real message boxes and choosers
    // instead of asking prompter_.
    PlaylistWindow& open(bool systemDialogs = false) {
        window_ = std::make_unique<PlaylistWindow>(module_, harness_->hostWindow(), *bridge_, *settings_,
                                                   *lang_, startFile_, systemDialogs ? nullptr : &prompter_);
        EXPECT_TRUE(window_->create());
        harness_->pump(50);
        return *window_;
    }

    int itemCount() const {
        return static_cast<int>(SendMessageA(window_->listView(), LVM_GETITEMCOUNT, 0, 0));
    }

    // The image the list shows for `row`.
    int rowImage(int row) const {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageA(window_->listView(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }

    // Waits for the run on the gathering worker to end.
    bool waitForWorker(int timeoutMs = 20000) {
        return harness_->pumpUntil([&] { return !window_->gathering(); }, timeoutMs);
    }

    void selectRows(const std::vector<int>& rows) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED;
        SendMessageA(window_->listView(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        for (int row : rows) {
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            SendMessageA(window_->listView(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&item));
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
    std::unique_ptr<Win32HostChannel> channel_;
    std::unique_ptr<HostBridge> bridge_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<LangTable> lang_;
    std::string startFile_;
    RecordingPrompter prompter_;
    std::unique_ptr<PlaylistWindow> window_;
};

}  // namespace test
}  // namespace td
