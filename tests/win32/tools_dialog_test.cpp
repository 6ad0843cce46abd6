// The tag tools dialog opened by its commands in the playlist window over
// real files in a temporary folder, each page driven by messages from a
// timer that the dialog's own modal loop dispatches: one run per page that
// reaches the files and the list. What each tool does to a file is the
// tools' own tests' business.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tags/id3v2/frame_table.h"
#include "tools/tool_test_files.h"
#include "win32/dialog_driver.h"
#include "tools/convert.h"
#include "tools/mass_tag.h"
#include "tools/organize.h"
#include "window/dialogs/edit_tag_page_model.h"
#include "window/window_resource.h"

namespace td {
namespace {

HWND Page(HWND dialog) { return GetDlgItem(dialog, IDD_EDIT_TAG_PAGE); }
HWND Field(HWND dialog, int field) { return GetDlgItem(Page(dialog), IDC_ET_FIELD_FIRST + field); }

// Types into a field: the text is set by message, and the control announces
// the change to the page as typing does.
void TypeField(HWND dialog, int field, const wchar_t* text) {
    SendMessageW(Field(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

class ToolsDialogTest : public test::DialogWindowTest {
protected:
    // Three files: a and b with both tags, c without any; b's name holds
    // its artist and title.
    void SetUp() override {
        DialogWindowTest::SetUp();
        using namespace tooltest;
        const std::string clip = Audio();
        a_ = dir_.Path("a.mp3");
        b_ = dir_.Path("Band B - Beta.mp3");
        c_ = dir_.Path("c.mp3");
        ASSERT_TRUE(test::WriteBytes(a_, Tag(Frame("TIT2", Text("Alpha")) + Frame("TPE1", Text("Band A"))) +
                                             clip + Id3v1Trailer("Alpha", "Band A", "", "2001", "", 17, 1)));
        ASSERT_TRUE(test::WriteBytes(b_, Tag(Frame("TIT2", Text("Beta")) + Frame("TPE1", Text("Band B"))) +
                                             clip + Id3v1Trailer("Beta", "Band B", "", "2002", "", 17, 2)));
        ASSERT_TRUE(test::WriteBytes(c_, clip));
        Playlist list;
        for (const std::string& path : {a_, b_, c_}) ASSERT_GE(list.addFile(path), 0);
        ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    }

    std::string listText(int row, int column) { return test::ListText(window_->listView(), row, column); }

    static std::string V2(const std::string& path, int type) {
        SongRecord disk(path, true);
        const Id3v2Frame* frame = disk.GetFrame(type);
        return frame ? SongRecord::MainText(frame) : std::string("<none>");
    }

    std::string a_;
    std::string b_;
    std::string c_;
};

// Opened by a double click on its row: a field set and written by Update,
// then a change left unwritten that Cancel offers to write, declined.
TEST_F(ToolsDialogTest, ADoubleClickEditsTheRowAndCancelKeepsAnUnwrittenChange) {
    settings_->doubleClickAction = 2;
    open();
    selectRows({1});
    prompter_.answers.push_back(PromptAnswer::Cancel);
    std::string title;
    test::WhenDialogShows(window_->hwnd(), [&](HWND dialog) {
        title = test::DialogText(Page(dialog), IDC_ET_FIELD_FIRST + kEditV2Title);
        TypeField(dialog, kEditV2Artist, L"New Band");
        TypeField(dialog, kEditV1Artist, L"New Band");
        test::Click(Page(dialog), IDC_ET_UPDATE);
        TypeField(dialog, kEditV2Title, L"Beta Two");
        test::Press(dialog, IDCANCEL);
    });
    notifyFromList(NM_DBLCLK, 1);
    EXPECT_TRUE(test::AllShown());
    test::ForgetWaits();
    EXPECT_EQ(title, "Beta");
    EXPECT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(V2(b_, kTPE1), "New Band");
    EXPECT_EQ(V2(b_, kTIT2), "Beta");
    // The list shows the new artist and keeps the selection it had.
    EXPECT_EQ(listText(1, 0), "New Band");
    EXPECT_TRUE(window_->view().isSelected(1));
    EXPECT_EQ(window_->view().selectedCount(), 1);
}

// Each page in turn on the same files, opened by its command on the rows
// chosen: its controls set, Go, OK; the files and the list are checked.
TEST_F(ToolsDialogTest, EachRunPageWorksOnTheChosenFilesAndTheListFollows) {
    settings_->tagFromNameVersion = 2;
    settings_->organizeLayout = kLayoutArtistAlbum;
    settings_->organizeSource = 0;
    open();

    selectRows({0, 2});
    run(IDM_MASS_TAG, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_MASS_TAG_PAGE);
        test::Click(page, IDC_MT_CHECK_FIRST + kMassArtist);
        SetDlgItemTextA(page, IDC_MT_VALUE_FIRST + kMassArtist, "Mass Band");
        test::Click(page, IDC_TP_GO);
        test::Press(dialog, IDOK);
    });
    EXPECT_EQ(V2(a_, kTPE1), "Mass Band");
    EXPECT_EQ(listText(0, 0), "Mass Band");

    // Tag from the name, by a pattern whose token label goes in at the caret.
    selectRows({1});
    run(IDM_TAG_FROM_NAME, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_TAG_FROM_NAME_PAGE);
        HWND format = GetDlgItem(page, IDC_TP_FORMAT);
        SetWindowTextA(format, " - %A");
        SendMessageA(format, CB_SETEDITSEL, 0, MAKELPARAM(0, 0));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TP_TOKEN_FIRST + 1, STN_CLICKED), 0);  // "%T = Title"
        test::Click(page, IDC_TP_GO);
        test::Press(dialog, IDOK);
    });
    EXPECT_EQ(listText(1, 0), "Beta");

    // Organize into the folder chosen through the page's Browse.
    const std::string target = dir_.Path("sorted");
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    const std::string organized = target + "\\Mass Band\\Unkown album\\a.mp3";
    selectRows({0});
    run(IDM_ORGANIZE, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_ORGANIZE_PAGE);
        prompter_.chooseFolder(target, true);
        test::Click(page, IDC_OG_BROWSE);
        test::Click(page, IDC_TP_GO);
        test::Press(dialog, IDOK);
    });
    EXPECT_TRUE(test::FileExists(organized));
    EXPECT_EQ(window_->view().entryAt(0)->GetFileName(), organized);

    // Convert: a click on another operation while the run goes on starts
    // nothing (it would bring the ID3v1 tags back from the ID3v2 ones).
    selectRows({0, 1, 2});
    const size_t shown = prompter_.shown.size();
    run(IDM_CONVERT_TAGS, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_CONVERT_PAGE);
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_CV_OP_FIRST + kConvertV2ToV1, BN_CLICKED), 0);
        test::Click(page, IDC_CV_OP_FIRST + kConvertRemoveV1);
        test::Press(dialog, IDOK);
    });
    // The question and the summary of one run only.
    EXPECT_EQ(prompter_.shown.size(), shown + 2);
    EXPECT_EQ(SongRecord(b_, true).GetId3v1(), nullptr);
    EXPECT_EQ(window_->view().entryAt(1)->GetId3v1(), nullptr);
}

int StoredRating(const std::string& path) { return SongRecord(path, true).GetRating(); }

TEST_F(ToolsDialogTest, StoresTheRatingsSetInTheListIntoTheFiles) {
    open();
    selectRows({0, 1, 2});
    ASSERT_TRUE(window_->command(IDM_RATING_4));
    ASSERT_TRUE(Fs().SetAttributes(b_, kAttrReadOnly));
    const std::string untouched = test::ReadBytes(b_);
    std::vector<std::string> rows;
    run(IDM_STORE_RATING, [&](HWND dialog) {
        test::Press(dialog, IDC_RS_START);
        const auto done = [&] { return test::DialogText(dialog, IDC_RS_START) == "Start"; };
        EXPECT_TRUE(harness_->pumpUntil(done, 5000));
        HWND list = GetDlgItem(dialog, IDC_RS_LIST);
        for (int row = 0; row < 3; ++row) rows.push_back(test::ListText(list, row, 1));
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(rows, (std::vector<std::string>{"Success", "Failed", "Success"}));
    EXPECT_EQ(StoredRating(a_), 4);
    EXPECT_EQ(test::ReadBytes(b_), untouched);
    ASSERT_TRUE(Fs().SetAttributes(b_, 0));
}

}  // namespace
}  // namespace td
