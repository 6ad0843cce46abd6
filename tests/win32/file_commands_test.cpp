// The File menu through the real window: the dialogs answered by the
// test's prompter, the list and the files on disk checked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "win32/dialog_driver.h"

namespace td {
namespace {

using test::PlaylistWindowTest;

class FileCommandsTest : public PlaylistWindowTest {
protected:
    std::vector<std::string> listedNames() {
        std::vector<std::string> names;
        for (int row = 0; row < window_->view().rowCount(); ++row) {
            names.push_back(BaseName(window_->view().entryAt(row)->GetFileName()));
        }
        return names;
    }

    std::string lastMessage() const {
        return prompter_.shown.empty() ? std::string() : prompter_.shown.back().text;
    }
};

TEST_F(FileCommandsTest, SaveAsSaveNewOpenAndInsertRoundTripTheListAndNameTheFileInTheCaption) {
    writeStartFile({10, 20, 30});
    PlaylistWindow& w = open();

    // Save without a file asks for a name; ".kq3" is added.
    prompter_.chooseFiles({dir_.Path("rock")});
    ASSERT_TRUE(w.command(IDM_SAVE_KEY));
    ASSERT_EQ(prompter_.fileRequests.size(), 1u);
    EXPECT_EQ(prompter_.fileRequests[0].kind, FileDialogKind::Save);
    EXPECT_EQ(w.currentFile(), dir_.Path("rock.kq3"));
    EXPECT_EQ(test::WindowText(w.hwnd()), "Tunedeck - rock.kq3");
    EXPECT_TRUE(test::FileExists(dir_.Path("rock.kq3")));

    // New empties the list and forgets the file, so Save asks again rather
    // than writing the empty list over rock.kq3.
    ASSERT_TRUE(w.command(IDM_NEW));
    EXPECT_EQ(w.playlist().count(), 0);
    EXPECT_EQ(test::WindowText(w.hwnd()), "Tunedeck");
    ASSERT_TRUE(w.command(IDM_SAVE));  // cancelled
    EXPECT_EQ(prompter_.fileRequests.size(), 2u);

    // Open brings the three back; Insert puts a file's songs on top.
    prompter_.chooseFiles({dir_.Path("rock.kq3")});
    ASSERT_TRUE(w.command(IDM_OPEN_KEY));
    EXPECT_EQ(w.playlist().count(), 3);
    Playlist other;
    test::AddSong(other, "C:\\other\\first.mp3", 5, 1);
    ASSERT_EQ(saveKq3(other, dir_.Path("other.kq3"), nullptr), Kq3Save::Saved);
    prompter_.chooseFiles({dir_.Path("other.kq3")});
    ASSERT_TRUE(w.command(IDM_INSERT));
    ASSERT_EQ(w.view().rowCount(), 4);
    EXPECT_EQ(w.view().entryAt(0)->GetFileName(), "C:\\other\\first.mp3");

    // Save now writes the file in use without a dialog.
    const size_t asked = prompter_.fileRequests.size();
    ASSERT_TRUE(w.command(IDM_SAVE));
    EXPECT_EQ(prompter_.fileRequests.size(), asked);
    Playlist saved;
    PlaylistView view(saved);
    ASSERT_EQ(loadKq3(dir_.Path("other.kq3"), true, saved, view, prompter_), Kq3Load::Loaded);
    EXPECT_EQ(saved.count(), 4);
}

TEST_F(FileCommandsTest, DamagedPlaylistFilesKeepTheListAndSayWhy) {
    writeStartFile({10, 20});
    PlaylistWindow& w = open();
    Playlist two;
    test::AddSong(two, "C:\\a.mp3", 5, 1);
    test::AddSong(two, "C:\\b.mp3", 5, 1);
    const std::string whole = encodeKq3(two);
    ASSERT_TRUE(test::WriteBytes(dir_.Path("cut.kq3"), whole.substr(0, whole.size() - 10)));
    ASSERT_TRUE(test::WriteBytes(dir_.Path("short.kq3"), "KQ3"));
    const struct {
        const char* file;
        int command;
        const char* message;
    } cases[] = {
        {"cut.kq3", IDM_INSERT, "Corrupt file: Tunedeck"},
        {"short.kq3", IDM_OPEN, "Error file: Tunedeck"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.command));
        prompter_.chooseFiles({dir_.Path(c.file)});
        ASSERT_TRUE(w.command(c.command));
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_EQ(w.playlist().count(), 2);
        EXPECT_EQ(w.view().rowCount(), 2);
        EXPECT_EQ(w.currentFile(), "");
    }
}

TEST_F(FileCommandsTest, SaveThatCannotWriteKeepsTheOldFileAndTellsTheUser) {
    writeStartFile({10, 20});
    PlaylistWindow& w = open();
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

TEST_F(FileCommandsTest, ImportReadsByTheChosenFilterAndExportWritesByIt) {
    const std::string a = song("music\\a.mp3");
    const std::string b = song("music\\b.mp3");
    ASSERT_TRUE(test::WriteBytes(dir_.Path("list.m3u"), "#EXTM3U\r\n" + a + "\r\n" + b + "\r\n"));
    ASSERT_TRUE(
        test::WriteBytes(dir_.Path("list.pls"), "[playlist]\r\nFile1=" + b + "\r\nNumberOfEntries=1\r\n"));
    PlaylistWindow& w = open();

    const struct {
        const char* file;
        int filter;
        std::vector<std::string> names;
        const char* message;
    } imports[] = {
        {"list.m3u", 1, {"a.mp3", "b.mp3"}, ""},
        {"list.pls", 2, {"b.mp3"}, ""},
        // An M3U read as PLS lacks "[playlist]": the list stays.
        {"list.m3u", 2, {"b.mp3"}, "Bad file: PLS playlist"},
    };
    for (const auto& c : imports) {
        SCOPED_TRACE(c.file);
        prompter_.shown.clear();
        prompter_.chooseFiles({dir_.Path(c.file)}, c.filter);
        ASSERT_TRUE(w.command(IDM_IMPORT));
        ASSERT_TRUE(harness_->pumpUntil(
            [&] { return w.playlist().count() == static_cast<int>(c.names.size()); }, 5000));
        EXPECT_EQ(listedNames(), c.names);
        EXPECT_EQ(lastMessage(), c.message);
    }

    // The sixth export filter is CSV, whatever the name typed.
    prompter_.chooseFiles({dir_.Path("report")}, 6);
    ASSERT_TRUE(w.command(IDM_EXPORT));
    const std::string csv = test::ReadBytes(dir_.Path("report.csv"));
    EXPECT_NE(csv.find("b.mp3\""), std::string::npos) << csv;
}

TEST_F(FileCommandsTest, AddFilesTakesOneOrSeveralAndReportsAnOverflowingChoice) {
    const std::string one = song("one.mp3");
    const std::string two = song("pick\\two.MP3");
    const std::string three = song("pick\\three.mp2");
    const std::string skipped = song("pick\\four.mp1");
    PlaylistWindow& w = open();

    prompter_.chooseFiles({one});
    ASSERT_TRUE(w.command(IDM_ADD_FILES_KEY));
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"one.mp3"}));

    prompter_.chooseFiles({two, three, skipped});
    ASSERT_TRUE(w.command(IDM_ADD_FILES));
    // Several run on the worker; their total is known, so the progress bar
    // shows instead of the activity bar.
    ASSERT_TRUE(w.gathering());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(w.progressDialog(), IDC_PROGRESS_BAR)));
    ASSERT_TRUE(harness_->pumpUntil([&] { return w.playlist().count() == 3; }, 5000));
    EXPECT_EQ(w.statusText(0), "Total files: 3");

    FileDialogResult overflow;
    overflow.outcome = FileDialogOutcome::TooManyFiles;
    prompter_.fileAnswers.push_back(overflow);
    ASSERT_TRUE(w.command(IDM_ADD_FILES));
    ASSERT_FALSE(prompter_.shown.empty());
    EXPECT_EQ(prompter_.shown.back().text, "Too many files selected");
    EXPECT_EQ(w.playlist().count(), 3);
}

}  // namespace
}  // namespace td
