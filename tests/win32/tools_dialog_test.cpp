// The tag tools dialog opened by its commands in the playlist window over
// real files in a temporary folder, its Edit tag page driven by messages
// from a timer that the dialog's own modal loop dispatches.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "playlist/kq3.h"
#include "tags/id3v2/frame_table.h"
#include "tools/tool_run.h"
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

using test::PlaylistWindowTest;

// The window whose dialogs the tests drive.
HWND gOwner = nullptr;

// The Unix name of a file, for a Unix program.
std::string UnixPath(const std::string& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring wide(path.begin(), path.end());
    char* unix = convert ? convert(wide.c_str()) : nullptr;
    const std::string out = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

// Runs tests/win32/wine_mp3.py (lame and mutagen) with tab-separated `args`
// and waits until it made `out`.
void WineMp3(const std::string& args, const std::string& out) {
    SetEnvironmentVariableA("TD_WINE_MP3", args.c_str());
    std::string command =
        "start.exe /wait /unix " + std::string(TD_TESTS_DIR).substr(2) + "/win32/wine_mp3.py";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < 30000 && GetFileAttributesA(out.c_str()) == INVALID_FILE_ATTRIBUTES;
         waited += 50) {
        Sleep(50);
    }
}

// One second of audio encoded by lame, made once.
const std::string& Clip(const std::string& folder) {
    static std::string clip;
    if (clip.empty()) {
        const std::string path = folder + "\\clip.mp3";
        WineMp3("clip\t" + UnixPath(path), path);
        clip = test::ReadBytes(path);
        DeleteFileA(path.c_str());
    }
    return clip;
}

// Whether mutagen reads the line "ID=text" (ID3v2) or "v1.ID=text" (ID3v1)
// in the file.
bool MutagenReads(const std::string& path, const std::string& line) {
    const std::string out = path + ".tags";
    WineMp3("dump\t" + UnixPath(path) + "\t" + UnixPath(out), out);
    const std::string tags = "\n" + test::ReadBytes(out) + "\n";
    DeleteFileA(out.c_str());
    return tags.find("\n" + line + "\n") != std::string::npos;
}

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND Page(HWND dialog) { return GetDlgItem(dialog, IDD_EDIT_TAG_PAGE); }
HWND Field(HWND dialog, int field) { return GetDlgItem(Page(dialog), IDC_ET_FIELD_FIRST + field); }
std::string FieldText(HWND dialog, int field) { return WindowText(Field(dialog, field)); }

// Types into a field: the text is set by message, and the control announces
// the change to the page as typing does.
void Type(HWND dialog, int field, const wchar_t* text) {
    SendMessageW(Field(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void Press(HWND window, int control) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, control)));
}

void Click(HWND dialog, int control) {
    HWND box = GetDlgItem(Page(dialog), control);
    SendMessageA(box, BM_CLICK, 0, 0);
}

// Answers like a RecordingPrompter, and notes the tools dialog's caption
// whenever it is asked something.
class CaptionPrompter : public test::RecordingPrompter {
public:
    PromptAnswer Message(const std::string& text, const std::string& caption, PromptButtons buttons,
                         PromptIcon icon) override {
        HWND dialog = test::FindOwnedDialog(gOwner);
        captions.push_back(dialog ? WindowText(dialog) : std::string());
        return RecordingPrompter::Message(text, caption, buttons, icon);
    }
    std::vector<std::string> captions;
};

class ToolsDialogTest : public PlaylistWindowTest {
protected:
    // Three files: a and b with both tags, c without any.
    void SetUp() override {
        PlaylistWindowTest::SetUp();
        using namespace tooltest;
        const std::string& clip = Clip(dir_.path());
        ASSERT_GT(clip.size(), 4000u) << "lame made no clip";
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

    // Runs `command`; `act` gets the dialog once it shows and must close it.
    bool run(int command, std::function<void(HWND)> act) {
        gOwner = window_->hwnd();
        test::WhenDialogShows(gOwner, std::move(act));
        const bool known = window_->command(command);
        test::ForgetPending();
        return known;
    }

    std::string listText(int row, int column) {
        char text[128] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(window_->listView(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return text;
    }

    static std::string V2(const std::string& path, int type) {
        SongRecord disk(path, true);
        const Id3v2Frame* frame = disk.GetFrame(type);
        return frame ? SongRecord::MainText(frame) : std::string("<none>");
    }

    std::string a_;
    std::string b_;
    std::string c_;
};

TEST_F(ToolsDialogTest, EditsTheSelectedFileAndTheListShowsIt) {
    open();
    ASSERT_EQ(itemCount(), 3);
    selectRows({1});
    std::string caption;
    int tabs = 0;
    std::string tab;
    int shownFile = -1;
    std::string refused;
    const bool known = run(IDM_EDIT_TAG, [&](HWND dialog) {
        caption = WindowText(dialog);
        HWND tabControl = GetDlgItem(dialog, IDC_TOOLS_TAB);
        tabs = static_cast<int>(SendMessageA(tabControl, TCM_GETITEMCOUNT, 0, 0));
        char title[64] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        item.cchTextMax = sizeof title;
        SendMessageA(tabControl, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        tab = title;
        shownFile = static_cast<int>(SendDlgItemMessageA(Page(dialog), IDC_ET_FILE, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(FieldText(dialog, kEditV2Title), "Beta");
        EXPECT_EQ(FieldText(dialog, kEditV1Year), "2002");
        EXPECT_EQ(FieldText(dialog, kEditV1Genre), "Rock");
        EXPECT_NE(WindowText(GetDlgItem(Page(dialog), IDC_ET_MPEG_SECOND)).find("Hz"), std::string::npos);
        Type(dialog, kEditV2Artist, L"New Band");
        Type(dialog, kEditV1Artist, L"New Band");
        // A character the code page lacks is refused: the field keeps its text.
        Type(dialog, kEditV2Title, L"\x03A9mega");
        refused = FieldText(dialog, kEditV2Title);
        Click(dialog, IDC_ET_UPDATE);
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(known);
    EXPECT_EQ(caption, "ID3Tag Tools");
    EXPECT_EQ(tabs, 6);
    EXPECT_EQ(tab, "Edit ID3Tag");
    EXPECT_EQ(shownFile, 1);
    EXPECT_EQ(refused, "Beta");
    EXPECT_TRUE(prompter_.shown.empty());  // written by Update: nothing left to offer
    EXPECT_EQ(V2(b_, kTPE1), "New Band");
    EXPECT_EQ(V2(b_, kTIT2), "Beta");
    SongRecord disk(b_, true);
    EXPECT_STREQ(disk.GetId3v1()->artist, "New Band");
    // The list shows the new artist and keeps the selection it had.
    EXPECT_EQ(listText(1, 0), "New Band");
    EXPECT_TRUE(window_->view().isSelected(1));
    EXPECT_EQ(window_->view().selectedCount(), 1);
}

TEST_F(ToolsDialogTest, LeavingAChangedFileOffersToWriteTheFileShown) {
    open();
    selectRows({0});
    const std::string untouched = test::ReadBytes(c_);
    std::vector<std::string> titles;
    prompter_.answers.push_back(PromptAnswer::Ok);      // a.mp3 changed, moving on: write
    prompter_.answers.push_back(PromptAnswer::Cancel);  // c.mp3 changed, closing: do not
    run(IDM_EDIT_TAG_KEY, [&](HWND dialog) {
        Type(dialog, kEditV2Title, L"Alpha Two");
        Click(dialog, IDC_ET_NEXT);
        titles.push_back(FieldText(dialog, kEditV2Title));
        Click(dialog, IDC_ET_NEXT);
        Click(dialog, IDC_ET_NEXT);  // the last stays shown
        titles.push_back(FieldText(dialog, kEditV2Title));
        EXPECT_EQ(IsDlgButtonChecked(Page(dialog), IDC_ET_V1), static_cast<UINT>(BST_UNCHECKED));
        EXPECT_FALSE(IsWindowEnabled(Field(dialog, kEditV1Title)));
        Click(dialog, IDC_ET_V1);
        EXPECT_TRUE(IsWindowEnabled(Field(dialog, kEditV1Title)));
        Type(dialog, kEditV1Title, L"Gamma");
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(titles, (std::vector<std::string>{"Beta", ""}));
    ASSERT_EQ(prompter_.shown.size(), 2u);
    EXPECT_EQ(prompter_.shown[0].text, "Write modifications ?");
    EXPECT_EQ(prompter_.shown[0].caption, "Information: Edit Tag");
    EXPECT_EQ(V2(a_, kTIT2), "Alpha Two");
    EXPECT_EQ(test::ReadBytes(c_), untouched);
}

TEST_F(ToolsDialogTest, RemovingTheId3v2TagRewritesTheFileUnderItsCaption) {
    CaptionPrompter prompter;
    window_ = std::make_unique<PlaylistWindow>(module_, harness_->hostWindow(), *bridge_, *settings_, *lang_,
                                               startFile_, &prompter);
    ASSERT_TRUE(window_->create());
    harness_->pump(50);
    selectRows({0});
    ASSERT_TRUE(Fs().SetAttributes(a_, kAttrReadOnly));
    std::string after;
    run(IDM_EDIT_TAG_CONTEXT, [&](HWND dialog) {
        Click(dialog, IDC_ET_V2);
        EXPECT_FALSE(IsWindowEnabled(Field(dialog, kEditV2Title)));
        Click(dialog, IDC_ET_UPDATE);
        after = WindowText(dialog);
        Press(dialog, IDOK);
    });
    // The read-only question came while the whole file was being rewritten.
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Do you want to force save tag (file " + a_ + " is read only) ?");
    EXPECT_EQ(prompter.captions[0], "Updating file (Writing new tag), please wait...");
    EXPECT_EQ(after, "ID3Tag Tools");
    SongRecord disk(a_, true);
    EXPECT_FALSE(disk.HasId3v2());
    EXPECT_STREQ(disk.GetId3v1()->title, "Alpha");
    uint32_t attributes = 0;
    ASSERT_TRUE(Fs().GetAttributes(a_, attributes));
    EXPECT_NE(attributes & kAttrReadOnly, 0u);
    ASSERT_TRUE(Fs().SetAttributes(a_, 0));
    window_.reset();
}

// The selected items of a page's file list.
std::vector<int> ListSelection(HWND page) {
    HWND list = GetDlgItem(page, IDC_TP_FILES);
    std::vector<int> items(static_cast<size_t>(SendMessageA(list, LB_GETSELCOUNT, 0, 0)));
    SendMessageA(list, LB_GETSELITEMS, items.size(), reinterpret_cast<LPARAM>(items.data()));
    return items;
}

// A trace log as the run writes it, with the date of either minute the run
// may have started in.
bool IsLog(const std::string& log, const std::string& before, const std::string& body) {
    const std::string head = "Tunedeck for Winamp\r\n----------------------\r\nDate: ";
    return log == head + before + "\r\n\r\n" + body || log == head + LogDateTextNow() + "\r\n\r\n" + body;
}

TEST_F(ToolsDialogTest, MassTagSetsTheCheckedFieldsOfTheChosenFilesAndLogsThem) {
    open();
    selectRows({0, 2});
    const std::string log = dir_.Path("mass.log");
    const std::string date = LogDateTextNow();
    std::vector<int> listed;
    std::string refused;
    run(IDM_MASS_TAG, [&](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_TOOLS_TAB, TCM_GETCURSEL, 0, 0), 1);
        HWND page = GetDlgItem(dialog, IDD_MASS_TAG_PAGE);
        listed = ListSelection(page);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_TP_GO)));  // no field checked yet
        SendDlgItemMessageA(page, IDC_MT_CHECK_FIRST + kMassArtist, BM_CLICK, 0, 0);
        SendDlgItemMessageA(page, IDC_MT_CHECK_FIRST + kMassYear, BM_CLICK, 0, 0);
        SetDlgItemTextW(page, IDC_MT_VALUE_FIRST + kMassArtist, L"Mass Band");
        // A character the code page lacks is refused: the field keeps its text.
        SetDlgItemTextW(page, IDC_MT_VALUE_FIRST + kMassArtist, L"\x03A9 Band");
        refused = test::DialogText(page, IDC_MT_VALUE_FIRST + kMassArtist);
        SetDlgItemTextA(page, IDC_MT_VALUE_FIRST + kMassYear, "1999");
        SendDlgItemMessageA(page, IDC_TP_TRACE, BM_CLICK, 0, 0);
        SetDlgItemTextA(page, IDC_TP_LOG_PATH, log.c_str());
        SendDlgItemMessageA(page, IDC_TP_GO, BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_TP_PROGRESS)));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(listed, (std::vector<int>{0, 2}));
    EXPECT_EQ(refused, "Mass Band");
    ASSERT_EQ(prompter_.shown.size(), 2u) << prompter_.shown.back().text;
    EXPECT_EQ(prompter_.shown[0].text,
              "Mass set ID3TAG on 2 file(s) ?\n\na.mp3\nc.mp3\n\n\nWould you like to proceed them ?");
    EXPECT_EQ(prompter_.shown[0].buttons, PromptButtons::YesNoDefaultNo);
    EXPECT_EQ(prompter_.shown[1].text, "Mass set ID3TAG on 2 file(s)");
    EXPECT_TRUE(IsLog(test::ReadBytes(log), date,
                      "Mass set ID3v1+v2 TAG 2 files (Trace LOG)\r\n\r\nfile1=(Success): " + a_ +
                          "\r\nfile2=(Success): " + c_ + "\r\n"));
    for (const std::string& path : {a_, c_}) {
        SongRecord disk(path, true);
        ASSERT_TRUE(disk.HasId3v1());
        EXPECT_STREQ(disk.GetId3v1()->artist, "Mass Band");
        EXPECT_EQ(std::string(disk.GetId3v1()->year, 4), "1999");
        EXPECT_EQ(V2(path, kTPE1), "Mass Band");
        EXPECT_EQ(V2(path, kTYER), "1999");
    }
    EXPECT_EQ(V2(a_, kTIT2), "Alpha");
    EXPECT_EQ(V2(b_, kTPE1), "Band B");
    EXPECT_TRUE(MutagenReads(a_, "TPE1=Mass Band"));
    EXPECT_TRUE(MutagenReads(a_, "TYER=1999"));
    EXPECT_TRUE(MutagenReads(c_, "v1.TPE1=Mass Band"));
    // The list shows the new artist, the options stay for the next time.
    EXPECT_EQ(listText(0, 0), "Mass Band");
    EXPECT_EQ(listText(1, 0), "Band B");
    EXPECT_EQ(settings_->massTagFields, (1u << kMassArtist) | (1u << kMassYear));
    EXPECT_EQ(settings_->massTagVersions, kMassTagV1 | kMassTagV2);
}

TEST_F(ToolsDialogTest, MassTagRefusesBadInputAndStopsBetweenTwoFiles) {
    open();
    selectRows({});
    const std::string a = test::ReadBytes(a_);
    const std::string date = LogDateTextNow();
    const std::string log = dir_.Path("bad.log");
    std::vector<std::string> texts;
    settings_->massTagFields = 1u << kMassComment;
    settings_->massTagVersions = 0;
    run(IDM_MASS_TAG, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_MASS_TAG_PAGE);
        auto go = [&] {
            prompter_.shown.clear();
            SendDlgItemMessageA(page, IDC_TP_GO, BM_CLICK, 0, 0);
            texts.push_back(prompter_.shown.empty() ? std::string() : prompter_.shown.back().text);
        };
        SetDlgItemTextA(page, IDC_MT_VALUE_FIRST + kMassComment, "note");
        go();  // no tag chosen
        SendDlgItemMessageA(page, IDC_MT_V2, BM_CLICK, 0, 0);
        go();  // nothing selected
        SendDlgItemMessageA(page, IDC_TP_ONLY_SELECTED, BM_CLICK, 0, 0);
        SendDlgItemMessageA(page, IDC_TP_TRACE, BM_CLICK, 0, 0);
        go();  // no log path
        SetDlgItemTextA(page, IDC_TP_LOG_PATH, dir_.Path("none\\x.log").c_str());
        go();  // a log that cannot be created
        // Between listing and running a file became read-only, one vanished
        // and one was replaced by another song.
        ASSERT_TRUE(Fs().SetAttributes(a_, kAttrReadOnly));
        ASSERT_TRUE(DeleteFileA(b_.c_str()));
        ASSERT_TRUE(test::WriteBytes(
            c_, tooltest::Tag(tooltest::Frame("TIT2", tooltest::Text("Other"))) + Clip(dir_.path())));
        SetDlgItemTextA(page, IDC_TP_LOG_PATH, log.c_str());
        go();
        // Abort, clicked while the first file runs, stops before the second.
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TP_ABORT, BN_CLICKED), 0);
        go();
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Check before ID3v1 / ID3v2", "At least 1 file must be selected !!!",
                                        "Choose a log file !!!", "Error log file !!!",
                                        "Mass set ID3TAG on 3 file(s)", "Mass set ID3TAG on 1 file(s)"}));
    EXPECT_TRUE(IsLog(test::ReadBytes(log), date,
                      "Mass set ID3v2 TAG 3 files (Trace LOG)\r\n\r\nfile1=(Failed): " + a_ +
                          "\r\nAbort: 1 / 3 Total\r\n"));
    EXPECT_EQ(test::ReadBytes(a_), a);
    EXPECT_EQ(V2(c_, kCOMM), "note");
    EXPECT_EQ(V2(c_, kTIT2), "Other");
    // The entry of the replaced file took what was written into it.
    EXPECT_EQ(SongRecord::MainText(window_->view().entryAt(2)->GetFrame(kCOMM)), "note");
    EXPECT_EQ(SongRecord::MainText(window_->view().entryAt(2)->GetFrame(kTIT2)), "Other");
    ASSERT_TRUE(Fs().SetAttributes(a_, 0));
}

TEST_F(ToolsDialogTest, TagFromNameSplitsTheNamesByThePatternBuiltWithTheTokenLabels) {
    const std::string song = dir_.Path("07 - the_big_band - a song.mp3");
    ASSERT_TRUE(
        test::WriteBytes(song, Clip(dir_.path()) + tooltest::Id3v1Trailer("", "", "", "", "", 17, 0)));
    Playlist list;
    ASSERT_GE(list.addFile(song), 0);
    ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    settings_->caseConversion = 4;  // First Letter Of Each Word, then
    settings_->charConversion = 1;  // underscores to spaces
    settings_->tagFromNameVersion = 2;
    settings_->setFormatPattern(0, "%A (%T)");
    settings_->setFormatPattern(1, "");
    const int genre = SongRecord(song, true).GetId3v1()->genre;
    open();
    selectRows({0});
    const std::string log = dir_.Path("name.log");
    const std::string date = LogDateTextNow();
    std::string built;
    run(IDM_TAG_FROM_NAME, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_TAG_FROM_NAME_PAGE);
        HWND format = GetDlgItem(page, IDC_TP_FORMAT);
        SetWindowTextA(format, "%a - %t");
        SendDlgItemMessageA(page, IDC_TP_GO, BM_CLICK, 0, 0);  // no upper-case token: refused
        SetWindowTextA(format, "%N - %A - ");
        SendMessageA(format, CB_SETEDITSEL, 0, MAKELPARAM(10, 10));
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TP_TOKEN_FIRST + 1, STN_CLICKED), 0);  // "%T = Title"
        built = test::WindowText(format);
        SendDlgItemMessageA(page, IDC_TP_TRACE, BM_CLICK, 0, 0);
        SetDlgItemTextA(page, IDC_TP_LOG_PATH, log.c_str());
        SendDlgItemMessageA(page, IDC_TP_GO, BM_CLICK, 0, 0);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(built, "%N - %A - %T");
    ASSERT_EQ(prompter_.shown.size(), 3u);
    EXPECT_EQ(prompter_.shown[0].text, "Invalid format !!!");
    EXPECT_EQ(prompter_.shown[2].text, "Write ID3TAG from filename on 1 file(s)");
    SongRecord disk(song, true);
    EXPECT_STREQ(disk.GetId3v1()->artist, "The big band");
    EXPECT_STREQ(disk.GetId3v1()->title, "A Song");
    EXPECT_EQ(disk.GetId3v1()->track, 7);
    EXPECT_EQ(disk.GetId3v1()->genre, genre);  // the pattern has no genre: kept
    EXPECT_EQ(V2(song, kTPE1), "The big band");
    EXPECT_EQ(V2(song, kTRCK), "7");
    EXPECT_TRUE(MutagenReads(song, "TIT2=A Song"));
    EXPECT_TRUE(
        IsLog(test::ReadBytes(log), date,
              "Write ID3v1+v2 Tag from 1 files (Trace LOG)\r\n\r\nfile1=(Success): " + song + "\r\n"));
    EXPECT_EQ(listText(0, 0), "The big band");
    // The patterns run join the history, newest first; an invalid one goes.
    EXPECT_EQ(settings_->formatPattern(0), "%N - %A - %T");
    EXPECT_EQ(settings_->formatPattern(1), "%A (%T)");
    EXPECT_EQ(settings_->formatPattern(2), "");
}

TEST_F(ToolsDialogTest, DoubleClickEditsTheTag) {
    settings_->doubleClickAction = 2;
    open();
    selectRows({2});
    bool opened = false;
    gOwner = window_->hwnd();
    test::WhenDialogShows(gOwner, [&](HWND dialog) {
        opened = true;
        EXPECT_EQ(SendDlgItemMessageA(Page(dialog), IDC_ET_FILE, CB_GETCURSEL, 0, 0), 2);
        Press(dialog, IDCANCEL);
    });
    notifyFromList(NM_DBLCLK, 2);
    test::ForgetPending();
    EXPECT_TRUE(opened);
}

std::function<void(HWND)> gThen;
HWND gDialog = nullptr;
UINT_PTR gThenTimer = 0;

void CALLBACK OnThen(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, gThenTimer);
    gThen(gDialog);
}

TEST_F(ToolsDialogTest, ThePageKeysStepThroughTheListAndPlayInTheHost) {
    open();
    selectRows({0});
    harness_->host().clearRecords();
    int afterKeys = -1;
    run(IDM_EDIT_TAG, [&](HWND dialog) {
        // Keys typed in a field go through the dialog's own message loop.
        HWND title = Field(dialog, kEditV2Title);
        SetFocus(title);
        PostMessageA(title, WM_KEYDOWN, VK_PRIOR, 0);  // next file
        PostMessageA(title, WM_KEYDOWN, VK_PRIOR, 0);
        PostMessageA(title, WM_KEYDOWN, VK_NEXT, 0);  // previous file
        PostMessageA(title, WM_KEYDOWN, VK_F5, 0);    // play it
        gDialog = dialog;
        gThen = [&](HWND shown) {
            afterKeys = static_cast<int>(SendDlgItemMessageA(Page(shown), IDC_ET_FILE, CB_GETCURSEL, 0, 0));
            Press(shown, IDOK);
        };
        gThenTimer = SetTimer(nullptr, 0, 200, OnThen);
    });
    EXPECT_EQ(afterKeys, 1);
    const std::vector<std::string> lines = exchanges();
    bool played = false;
    for (const std::string& line : lines) {
        played = played || line.find("text=" + b_) != std::string::npos;
    }
    EXPECT_TRUE(played);
    EXPECT_TRUE(prompter_.shown.empty());
}

// The tooltip over the pattern field as it would show now.
HWND gTipOwner = nullptr;
HWND gTips = nullptr;

// The page's tooltip control: the one whose tools lie on the page.
BOOL CALLBACK FindTips(HWND window, LPARAM) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    const bool tips = std::string(name) == TOOLTIPS_CLASSA;
    if (tips && SendMessageA(window, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)) &&
        tool.hwnd == gTipOwner) {
        gTips = window;
    }
    return TRUE;
}

std::string Preview(HWND page) {
    gTipOwner = page;
    gTips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTips, 0);
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = gTips;
    info.hdr.idFrom = reinterpret_cast<UINT_PTR>(GetDlgItem(page, IDC_TP_FORMAT));
    info.hdr.code = TTN_GETDISPINFOA;
    info.uFlags = TTF_IDISHWND;
    SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    return info.lpszText ? info.lpszText : "";
}

std::string ListItem(HWND page, int item) {
    char text[300] = {};
    SendDlgItemMessageA(page, IDC_TP_FILES, LB_GETTEXT, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(text));
    return text;
}

void ClickOn(HWND page, int control) { SendDlgItemMessageA(page, control, BM_CLICK, 0, 0); }

void UseLog(HWND page, const std::string& log) {
    ClickOn(page, IDC_TP_TRACE);
    SetDlgItemTextA(page, IDC_TP_LOG_PATH, log.c_str());
}

TEST_F(ToolsDialogTest, RenameFromTagPreviewsThenRenamesEachFileInItsFolder) {
    settings_->renameSource = 2;
    open();
    selectRows({0, 1, 2});
    const std::string log = dir_.Path("rename.log");
    const std::string date = LogDateTextNow();
    const std::string newA = dir_.Path("01 - Band A - Alpha.mp3");
    const std::string newB = dir_.Path("02 - Band B - Beta.mp3");
    std::string invalid;
    std::string preview;
    std::string listed;
    run(IDM_RENAME_FROM_TAG, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_RENAME_PAGE);
        SetDlgItemTextA(page, IDC_TP_FORMAT, "%x");
        invalid = Preview(page);
        ClickOn(page, IDC_TP_GO);
        SetDlgItemTextA(page, IDC_TP_FORMAT, "%N - %A - %T");
        preview = Preview(page);
        UseLog(page, log);
        ClickOn(page, IDC_TP_GO);
        listed = ListItem(page, 0);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(invalid, "Preview: Invalid format !!!");
    EXPECT_EQ(preview, "Preview: \n01 - Band A - Alpha\n02 - Band B - Beta\n");
    ASSERT_EQ(prompter_.shown.size(), 3u);
    EXPECT_EQ(prompter_.shown[0].text, "Invalid format !!!");
    EXPECT_EQ(prompter_.shown[2].text, "Rename filename from ID3TAG on 3 file(s)");
    EXPECT_TRUE(IsLog(test::ReadBytes(log), date,
                      "Rename 3 files from ID3Tag (Trace LOG)\r\n\r\nfile1=(Success): " + newA +
                          "\r\nfile2=(Success): " + newB + "\r\nfile3=(Failed): " + c_ + "\r\n"));
    EXPECT_FALSE(test::FileExists(a_));
    EXPECT_TRUE(test::FileExists(c_));
    EXPECT_TRUE(MutagenReads(newA, "TIT2=Alpha"));
    EXPECT_EQ(listed, "01 - Band A - Alpha.mp3");
    EXPECT_EQ(window_->view().entryAt(1)->GetFileName(), newB);
    EXPECT_EQ(settings_->formatPattern(0), "%N - %A - %T");
}

TEST_F(ToolsDialogTest, RenameLeavesFilesWhoseNameIsTakenGoneOrEmpty) {
    open();
    selectRows({0, 1});
    const std::string taken = dir_.Path("02 - Band B - Beta.mp3");
    const std::string b = test::ReadBytes(b_);
    run(IDM_RENAME_FROM_TAG, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_RENAME_PAGE);
        // After listing, one file went away and another took b's new name.
        ASSERT_TRUE(DeleteFileA(a_.c_str()));
        ASSERT_TRUE(test::WriteBytes(taken, "other"));
        SetDlgItemTextA(page, IDC_TP_FORMAT, "%N - %A - %T");
        ClickOn(page, IDC_TP_GO);
        // No album: the names would be empty.
        SetDlgItemTextA(page, IDC_TP_FORMAT, "%L");
        ClickOn(page, IDC_TP_GO);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(test::ReadBytes(taken), "other");
    EXPECT_EQ(test::ReadBytes(b_), b);
    EXPECT_EQ(test::SortedNames(dir_.path()),
              (std::vector<std::string>{"02 - Band B - Beta.mp3", "b.mp3", "c.mp3", "gen_Tunedeck.KQ3"}));
    EXPECT_EQ(window_->view().entryAt(1)->GetFileName(), b_);
}

TEST_F(ToolsDialogTest, ConversionButtonsWorkOnTheFilesAsTheyAreNow) {
    open();
    selectRows({0, 1, 2});
    const std::string log = dir_.Path("convert.log");
    const std::string date = LogDateTextNow();
    const std::string a = test::ReadBytes(a_);
    std::string copied;
    run(IDM_CONVERT_TAGS, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_CONVERT_PAGE);
        // After listing, a became read-only and b another song without ID3v1.
        ASSERT_TRUE(Fs().SetAttributes(a_, kAttrReadOnly));
        ASSERT_TRUE(test::WriteBytes(
            b_, tooltest::Tag(tooltest::Frame("TIT2", tooltest::Text("Other"))) + Clip(dir_.path())));
        UseLog(page, log);
        // A click on another operation while the run goes on starts nothing.
        PostMessageA(GetDlgItem(page, IDC_CV_OP_FIRST + kConvertRemoveV1), BM_CLICK, 0, 0);
        ClickOn(page, IDC_CV_OP_FIRST + kConvertV2ToV1);
        SongRecord disk(b_, true);
        copied = disk.GetId3v1() ? disk.GetId3v1()->title : "<none>";
        ClickOn(page, IDC_TP_TRACE);
        ClickOn(page, IDC_CV_OP_FIRST + kConvertRemoveAll);
        Press(dialog, IDOK);
    });
    ASSERT_EQ(prompter_.shown.size(), 4u);
    EXPECT_EQ(prompter_.shown[1].text, "Copy ID3v2 --> ID3v1 on 3 file(s)");
    EXPECT_EQ(prompter_.shown[3].text, "Remove ID3v1+ID3v2 TAG on 3 file(s)");
    EXPECT_TRUE(IsLog(test::ReadBytes(log), date,
                      "Copy ID3v2 to ID3v1 TAG 3 files (Trace LOG)\r\n\r\nfile1=(Failed): " + a_ +
                          "\r\nfile2=(Success): " + b_ + "\r\nfile3=(Failed): " + c_ + "\r\n"));
    EXPECT_EQ(copied, "Other");
    EXPECT_EQ(test::ReadBytes(a_), a);
    EXPECT_TRUE(MutagenReads(b_, "none"));
    EXPECT_FALSE(window_->view().entryAt(1)->HasId3v2());
    EXPECT_TRUE(window_->view().entryAt(0)->HasId3v2());
    ASSERT_TRUE(Fs().SetAttributes(a_, 0));
}

TEST_F(ToolsDialogTest, OrganizeMovesTheFilesIntoTheTargetAndNowhereElse) {
    using namespace tooltest;
    const std::string d = dir_.Path("d.mp3");
    ASSERT_TRUE(
        test::WriteBytes(d, Clip(dir_.path()) + Id3v1Trailer("Dee", "..\\..\\out", "x", "", "", 17, 0)));
    Playlist list;
    for (const std::string& path : {a_, d, c_}) ASSERT_GE(list.addFile(path), 0);
    ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    settings_->organizeLayout = kLayoutArtistAlbum;
    settings_->organizeSource = 0;
    const std::string target = dir_.Path("sorted");
    const std::string kept = target + "\\Band A\\Unkown album\\a.mp3";
    for (const std::string& folder : {target, target + "\\Band A", target + "\\Band A\\Unkown album"}) {
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    }
    ASSERT_TRUE(test::WriteBytes(kept, "kept"));
    const std::string newA = target + "\\Band A\\Unkown album\\a(1).mp3";
    const std::string log = dir_.Path("organize.log");
    const std::string date = LogDateTextNow();
    open();
    selectRows({0, 1, 2});
    std::string listed;
    run(IDM_ORGANIZE, [&](HWND dialog) {
        HWND page = GetDlgItem(dialog, IDD_ORGANIZE_PAGE);
        ClickOn(page, IDC_TP_GO);  // no target yet
        {
            test::FakeVolumes volumes;
            volumes.Set(dir_.Path("cd"), {kDriveCdRom, true, "", 0, true});
            test::ScopedVolumes scoped(volumes);
            prompter_.chooseFolder(dir_.Path("cd"), true);
            ClickOn(page, IDC_OG_BROWSE);
            ClickOn(page, IDC_TP_GO);
        }
        prompter_.chooseFolder(target, true);
        ClickOn(page, IDC_OG_BROWSE);
        UseLog(page, log);
        ClickOn(page, IDC_TP_GO);
        listed = ListItem(page, 0);
        Press(dialog, IDOK);
    });
    ASSERT_EQ(prompter_.shown.size(), 4u);
    EXPECT_EQ(prompter_.shown[0].text, "Choose a target directory !!!");
    EXPECT_EQ(prompter_.shown[1].text, "Impossible to copy or move to media/folder read-only !!!");
    EXPECT_EQ(prompter_.shown[3].text, "Organize 3 file(s) to target directory: " + target);
    EXPECT_EQ(test::ReadBytes(kept), "kept");
    const std::string newD = window_->view().entryAt(1)->GetFileName();
    EXPECT_TRUE(IsLog(test::ReadBytes(log), date,
                      "Organize 3 files (Trace LOG)\r\n\r\nfile1=(Success): " + a_ + " --> " + newA +
                          "\r\nfile2=(Success): " + d + " --> " + newD + "\r\nfile3=(Failed): " + c_ +
                          " --> " + c_ + "\r\n"));
    EXPECT_EQ(newD.compare(0, target.size() + 1, target + "\\"), 0) << newD;
    EXPECT_TRUE(MutagenReads(newA, "TIT2=Alpha"));
    EXPECT_EQ(listed, newA);
    EXPECT_EQ(test::SortedNames(dir_.path()),
              (std::vector<std::string>{"b.mp3", "c.mp3", "gen_Tunedeck.KQ3", "organize.log", "sorted"}));
}

int StoredRating(const std::string& path) { return SongRecord(path, true).GetRating(); }

std::vector<std::string> DetailRows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_RS_LIST);
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> rows;
    for (int row = 0; row < count; ++row) {
        std::string line;
        for (int column = 0; column < 2; ++column) {
            char text[300] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            line += column ? std::string(" ") + text : text;
        }
        rows.push_back(line);
    }
    return rows;
}

TEST_F(ToolsDialogTest, StoresTheRatingsSetInTheListIntoTheFiles) {
    open();
    selectRows({0, 1, 2});
    ASSERT_TRUE(window_->command(IDM_RATING_4));
    ASSERT_TRUE(Fs().SetAttributes(b_, kAttrReadOnly));
    const std::string untouched = test::ReadBytes(b_);
    std::string ready;
    std::vector<std::string> rows;
    run(IDM_STORE_RATING, [&](HWND dialog) {
        ready = test::DialogText(dialog, IDC_RS_PATH) + " " + test::DialogText(dialog, IDC_RS_COUNT);
        test::Press(dialog, IDC_RS_START);
        EXPECT_TRUE(test::PumpUntil([&] { return test::DialogText(dialog, IDC_RS_START) == "Start"; }));
        EXPECT_EQ(test::DialogText(dialog, IDC_RS_COUNT), "3 / 3 Total");
        rows = DetailRows(dialog);
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(ready, "Ready 0 / 3 Total");
    EXPECT_EQ(rows, (std::vector<std::string>{a_ + " Success", b_ + " Failed", c_ + " Success"}));
    EXPECT_EQ(StoredRating(a_), 4);
    EXPECT_EQ(V2(a_, kTIT2), "Alpha");
    EXPECT_EQ(test::ReadBytes(b_), untouched);
    // The untagged file got an ID3v2 tag holding the rating and nothing else.
    EXPECT_EQ(StoredRating(c_), 4);
    EXPECT_TRUE(MutagenReads(c_, "POPM=Tunedeck plug-ins for Winamp/196"));
    EXPECT_EQ(V2(c_, kTPE1), "<none>");
    EXPECT_NE(window_->view().entryAt(2)->GetFrame(kPOPM), nullptr);
    EXPECT_EQ(window_->view().selectedCount(), 3);
    ASSERT_TRUE(Fs().SetAttributes(b_, 0));
}

TEST_F(ToolsDialogTest, StopAndCloseEndTheRatingRunBetweenTwoFiles) {
    using namespace tooltest;
    Playlist list;
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i) {
        paths.push_back(dir_.Path("r" + std::to_string(i) + ".mp3"));
        ASSERT_TRUE(test::WriteBytes(paths.back(), Tag(Frame("TIT2", Text("R"))) + Audio()));
        ASSERT_GE(list.addFile(paths.back()), 0);
        list.entryAt(i)->SetRating(3);
    }
    ASSERT_EQ(saveKq3(list, startFile_, nullptr), Kq3Save::Saved);
    open();
    ASSERT_TRUE(window_->command(IDM_SELECT_ALL));
    int stoppedAt = -1;
    size_t rows = 0;
    std::string button;
    run(IDM_STORE_RATING, [&](HWND dialog) {
        const auto done = [dialog] { return std::atoi(test::DialogText(dialog, IDC_RS_COUNT).c_str()); };
        test::Press(dialog, IDC_RS_START);
        EXPECT_TRUE(test::PumpUntil([&] { return done() >= 3; }));
        test::Press(dialog, IDC_RS_START);
        stoppedAt = done();
        rows = DetailRows(dialog).size();
        button = test::DialogText(dialog, IDC_RS_START);
        // Started again and closed at once: the file in hand is the last.
        test::Press(dialog, IDC_RS_START);
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_LT(stoppedAt, 300);
    EXPECT_EQ(rows, static_cast<size_t>(stoppedAt));
    EXPECT_EQ(button, "Start");
    int written = 0;
    for (int i = 0; i < 300; ++i) {
        const bool stored = StoredRating(paths[static_cast<size_t>(i)]) == 3;
        written += stored;
        // A file written is a file whose entry took its new data.
        EXPECT_EQ(stored, window_->view().entryAt(i)->GetFrame(kPOPM) != nullptr) << i;
    }
    EXPECT_GE(written, stoppedAt);
    EXPECT_LT(written, 300);
}

}  // namespace
}  // namespace td
