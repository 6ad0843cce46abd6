// The tag tools dialog opened by its commands in the playlist window over
// real files in a temporary folder, each page driven by messages from a
// timer that the dialog's own modal loop dispatches: one run per page that
// reaches the files and the list. What each tool does to a file is the
// tools' own tests' business.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "playlist/kq3.h"
#include "tags/id3v2/frame_table.h"
#include "tools/tool_test_files.h"
#include "win32/dialog_driver.h"
#include "win32/window_fixture.h"
#include "tools/convert.h"
#include "tools/mass_tag.h"
#include "tools/organize.h"
#include "window/dialogs/edit_tag_page_model.h"
#include "window/window_resource.h"

namespace td {
namespace {

HWND Page(HWND dialog) { return GetDlgItem(dialog, IDD_EDIT_TAG_PAGE); }
HWND Field(HWND dialog, int field) { return GetDlgItem(Page(dialog), IDC_ET_FIELD_FIRST + field); }
std::string FieldText(HWND dialog, int field) { return test::WindowText(Field(dialog, field)); }

// Types into a field: the text is set by message, and the control announces
// the change to the page as typing does.
void TypeField(HWND dialog, int field, const wchar_t* text) {
    SendMessageW(Field(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

int ShownFile(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(Page(dialog), IDC_ET_FILE, CB_GETCURSEL, 0, 0));
}

// The trace log chosen on a page.
void UseLog(HWND page, const std::string& log) {
    test::Click(page, IDC_TP_TRACE);
    SetDlgItemTextA(page, IDC_TP_LOG_PATH, log.c_str());
}

bool Logged(const std::string& log, const std::string& line) {
    return test::ReadBytes(log).find("\r\n" + line + "\r\n") != std::string::npos;
}

class ToolsDialogTest : public test::DialogWindowTest {
protected:
    // Three files: a and b with both tags, c without any.
    void SetUp() override {
        DialogWindowTest::SetUp();
        using namespace tooltest;
        const std::string clip = Audio();
        a_ = dir_.Path("a.mp3");
        b_ = dir_.Path("b.mp3");
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

    static std::string V1Artist(const std::string& path) {
        SongRecord disk(path, true);
        return disk.GetId3v1() ? std::string(disk.GetId3v1()->artist) : std::string("<none>");
    }

    std::string a_;
    std::string b_;
    std::string c_;
};

// --- Edit tag -------------------------------------------------------------------

TEST_F(ToolsDialogTest, EditsTheSelectedFileTheListShowsItAndThePageKeysStepAndPlay) {
    open();
    selectRows({1});
    harness_->host().clearRecords();
    int shownFile = -1;
    std::string title;
    int afterKeys = -1;
    run(IDM_EDIT_TAG_KEY, [&](HWND dialog) {
        shownFile = ShownFile(dialog);
        title = FieldText(dialog, kEditV2Title);
        TypeField(dialog, kEditV2Artist, L"New Band");
        TypeField(dialog, kEditV1Artist, L"New Band");
        test::Click(Page(dialog), IDC_ET_UPDATE);
        // Keys typed in a field go through the dialog's own message loop.
        HWND field = Field(dialog, kEditV2Title);
        SetFocus(field);
        PostMessageA(field, WM_KEYDOWN, VK_NEXT, 0);   // previous file
        PostMessageA(field, WM_KEYDOWN, VK_PRIOR, 0);  // next file
        PostMessageA(field, WM_KEYDOWN, VK_NEXT, 0);
        PostMessageA(field, WM_KEYDOWN, VK_F5, 0);  // play it
        // The timer comes once the loop has handled the keys.
        test::WhenDialogShows(window_->hwnd(), [&](HWND shown) {
            afterKeys = ShownFile(shown);
            test::Press(shown, IDOK);
        });
    });
    EXPECT_EQ(shownFile, 1);
    EXPECT_EQ(title, "Beta");
    EXPECT_EQ(afterKeys, 0);
    bool played = false;
    for (const std::string& line : exchanges()) {
        played = played || line.find("text=" + a_) != std::string::npos;
    }
    EXPECT_TRUE(played);
    EXPECT_TRUE(prompter_.shown.empty());  // written by Update: nothing left to offer
    EXPECT_EQ(V2(b_, kTPE1), "New Band");
    EXPECT_EQ(V1Artist(b_), "New Band");
    // The list shows the new artist and keeps the selection it had.
    EXPECT_EQ(listText(1, 0), "New Band");
    EXPECT_TRUE(window_->view().isSelected(1));
    EXPECT_EQ(window_->view().selectedCount(), 1);
}

TEST_F(ToolsDialogTest, ADoubleClickOpensTheRowAndLeavingAChangedFileOffersToWriteIt) {
    settings_->doubleClickAction = 2;
    open();
    selectRows({0});
    const std::string untouched = test::ReadBytes(b_);
    prompter_.answers.push_back(PromptAnswer::Ok);      // a.mp3 changed, moving on: write
    prompter_.answers.push_back(PromptAnswer::Cancel);  // b.mp3 changed, closing: do not
    std::string nextTitle;
    test::WhenDialogShows(window_->hwnd(), [&](HWND dialog) {
        TypeField(dialog, kEditV2Title, L"Alpha Two");
        test::Click(Page(dialog), IDC_ET_NEXT);
        nextTitle = FieldText(dialog, kEditV2Title);
        TypeField(dialog, kEditV2Title, L"Beta Two");
        test::Press(dialog, IDCANCEL);
    });
    notifyFromList(NM_DBLCLK, 0);
    EXPECT_TRUE(test::AllShown());
    test::ForgetWaits();
    EXPECT_EQ(nextTitle, "Beta");
    ASSERT_EQ(prompter_.shown.size(), 2u);
    EXPECT_EQ(V2(a_, kTIT2), "Alpha Two");
    EXPECT_EQ(test::ReadBytes(b_), untouched);
    EXPECT_EQ(SongRecord::MainText(window_->view().entryAt(0)->GetFrame(kTIT2)), "Alpha Two");
}

// --- the run pages --------------------------------------------------------------

TEST_F(ToolsDialogTest, MassTagSetsTheCheckedFieldsOfTheChosenFilesAndAbortStopsBeforeTheNextFile) {
    open();
    selectRows({0, 2});
    const std::string log = dir_.Path("mass.log");
    bool logged = false;
    run(IDM_MASS_TAG, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_MASS_TAG_PAGE);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_TP_GO)));  // no field checked yet
        test::Click(page, IDC_MT_CHECK_FIRST + kMassArtist);
        test::Click(page, IDC_MT_CHECK_FIRST + kMassYear);
        SetDlgItemTextA(page, IDC_MT_VALUE_FIRST + kMassArtist, "Mass Band");
        SetDlgItemTextA(page, IDC_MT_VALUE_FIRST + kMassYear, "1999");
        UseLog(page, log);
        test::Click(page, IDC_TP_GO);
        logged = Logged(log, "file2=(Success): " + c_);
        // Abort, clicked while the first file runs, stops before the second.
        test::Click(page, IDC_MT_CHECK_FIRST + kMassComment);
        SetDlgItemTextA(page, IDC_MT_VALUE_FIRST + kMassComment, "note");
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TP_ABORT, BN_CLICKED), 0);
        test::Click(page, IDC_TP_GO);
        test::Press(dialog, IDOK);
    });
    ASSERT_EQ(prompter_.shown.size(), 4u) << prompter_.shown.back().text;
    EXPECT_EQ(prompter_.shown[0].buttons, PromptButtons::YesNoDefaultNo);
    EXPECT_EQ(prompter_.shown[3].text, "Mass set ID3TAG on 1 file(s)");
    EXPECT_TRUE(logged);
    EXPECT_EQ(V2(a_, kTPE1), "Mass Band");
    EXPECT_EQ(V2(a_, kTYER), "1999");
    EXPECT_EQ(V1Artist(c_), "Mass Band");
    EXPECT_EQ(V2(b_, kTPE1), "Band B");
    EXPECT_EQ(V2(a_, kCOMM), "note");
    EXPECT_EQ(V2(c_, kCOMM), "<none>");
    // The list shows the new artist, the options stay for the next time.
    EXPECT_EQ(listText(0, 0), "Mass Band");
    EXPECT_EQ(listText(1, 0), "Band B");
    EXPECT_EQ(settings_->massTagFields, (1u << kMassArtist) | (1u << kMassYear) | (1u << kMassComment));
}

TEST_F(ToolsDialogTest, TagFromNameSplitsTheNamesByThePatternBuiltWithTheTokenLabels) {
    const std::string song = dir_.Path("07 - Big Band - A Song.mp3");
    ASSERT_TRUE(test::WriteBytes(song, tooltest::Audio()));
    Playlist list;
    ASSERT_GE(list.addFile(song), 0);
    ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    settings_->tagFromNameVersion = 2;
    settings_->setFormatPattern(0, "%A (%T)");
    open();
    selectRows({0});
    std::string built;
    run(IDM_TAG_FROM_NAME, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_TAG_FROM_NAME_PAGE);
        HWND format = GetDlgItem(page, IDC_TP_FORMAT);
        SetWindowTextA(format, "%N - %A - ");
        SendMessageA(format, CB_SETEDITSEL, 0, MAKELPARAM(10, 10));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TP_TOKEN_FIRST + 1, STN_CLICKED), 0);  // "%T = Title"
        built = test::WindowText(format);
        test::Click(page, IDC_TP_GO);
        test::Press(dialog, IDOK);
    });
    EXPECT_EQ(built, "%N - %A - %T");
    EXPECT_EQ(V2(song, kTPE1), "Big Band");
    EXPECT_EQ(V2(song, kTIT2), "A Song");
    EXPECT_EQ(listText(0, 0), "Big Band");
    // The pattern run joins the history, newest first.
    EXPECT_EQ(settings_->formatPattern(0), "%N - %A - %T");
    EXPECT_EQ(settings_->formatPattern(1), "%A (%T)");
}

TEST_F(ToolsDialogTest, RenameFromTagRenamesEachFileInItsFolderAndTheEntriesFollow) {
    settings_->renameSource = 2;
    open();
    selectRows({0, 1, 2});
    const std::string newA = dir_.Path("01 - Band A - Alpha.mp3");
    const std::string newB = dir_.Path("02 - Band B - Beta.mp3");
    std::string listed;
    run(IDM_RENAME_FROM_TAG, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_RENAME_PAGE);
        SetDlgItemTextA(page, IDC_TP_FORMAT, "%N - %A - %T");
        test::Click(page, IDC_TP_GO);
        char text[300] = {};
        SendDlgItemMessageA(page, IDC_TP_FILES, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
        listed = text;
        test::Press(dialog, IDOK);
    });
    EXPECT_FALSE(test::FileExists(a_));
    EXPECT_TRUE(test::FileExists(c_));  // no tag, no name
    EXPECT_EQ(V2(newA, kTIT2), "Alpha");
    EXPECT_EQ(listed, "01 - Band A - Alpha.mp3");
    EXPECT_EQ(window_->view().entryAt(1)->GetFileName(), newB);
    EXPECT_EQ(settings_->formatPattern(0), "%N - %A - %T");
}

TEST_F(ToolsDialogTest, ConversionButtonsWorkOnTheFilesAsTheyAreNow) {
    open();
    selectRows({0, 1, 2});
    std::string copied;
    run(IDM_CONVERT_TAGS, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_CONVERT_PAGE);
        // After listing, b became another song without ID3v1.
        ASSERT_TRUE(test::WriteBytes(
            b_, tooltest::Tag(tooltest::Frame("TIT2", tooltest::Text("Other"))) + tooltest::Audio()));
        // A click on another operation while the run goes on starts nothing.
        PostMessageA(GetDlgItem(page, IDC_CV_OP_FIRST + kConvertRemoveV1), BM_CLICK, 0, 0);
        test::Click(page, IDC_CV_OP_FIRST + kConvertV2ToV1);
        SongRecord disk(b_, true);
        copied = disk.GetId3v1() ? disk.GetId3v1()->title : "<none>";
        test::Click(page, IDC_CV_OP_FIRST + kConvertRemoveAll);
        test::Press(dialog, IDOK);
    });
    ASSERT_EQ(prompter_.shown.size(), 4u);
    EXPECT_EQ(prompter_.shown[3].text, "Remove ID3v1+ID3v2 TAG on 3 file(s)");
    EXPECT_EQ(copied, "Other");
    const SongRecord bare(b_, true);
    EXPECT_FALSE(bare.HasId3v2());
    EXPECT_EQ(bare.GetId3v1(), nullptr);
    EXPECT_FALSE(window_->view().entryAt(1)->HasId3v2());
}

TEST_F(ToolsDialogTest, OrganizeMovesTheFilesIntoTheChosenTarget) {
    settings_->organizeLayout = kLayoutArtistAlbum;
    settings_->organizeSource = 0;
    const std::string target = dir_.Path("sorted");
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    const std::string newA = target + "\\Band A\\Unkown album\\a.mp3";
    open();
    selectRows({0, 1});
    run(IDM_ORGANIZE, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_ORGANIZE_PAGE);
        prompter_.chooseFolder(target, true);
        test::Click(page, IDC_OG_BROWSE);
        test::Click(page, IDC_TP_GO);
        test::Press(dialog, IDOK);
    });
    EXPECT_EQ(prompter_.shown.back().text, "Organize 2 file(s) to target directory: " + target);
    EXPECT_EQ(V2(newA, kTIT2), "Alpha");
    EXPECT_EQ(window_->view().entryAt(0)->GetFileName(), newA);
    EXPECT_EQ(test::SortedNames(dir_.path()),
              (std::vector<std::string>{"c.mp3", "gen_Tunedeck.KQ3", "sorted"}));
}

// --- the rating store -----------------------------------------------------------

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
        EXPECT_TRUE(test::PumpUntil([&] { return test::DialogText(dialog, IDC_RS_START) == "Start"; }));
        HWND list = GetDlgItem(dialog, IDC_RS_LIST);
        for (int row = 0; row < 3; ++row) rows.push_back(test::ListText(list, row, 1));
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(rows, (std::vector<std::string>{"Success", "Failed", "Success"}));
    EXPECT_EQ(StoredRating(a_), 4);
    EXPECT_EQ(test::ReadBytes(b_), untouched);
    EXPECT_EQ(StoredRating(c_), 4);
    EXPECT_NE(window_->view().entryAt(2)->GetFrame(kPOPM), nullptr);
    EXPECT_EQ(window_->view().selectedCount(), 3);
    ASSERT_TRUE(Fs().SetAttributes(b_, 0));
}

}  // namespace
}  // namespace td
