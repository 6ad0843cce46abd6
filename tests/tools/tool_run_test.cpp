#include "tools/tool_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "support/test_support.h"
#include "tags/song_record.h"
#include "tests/tools/tool_test_files.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ReadBytes;
using test::ScopedFs;
using test::TempDir;
using tooltest::ScriptedPrompter;

class ToolRunTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }
};

std::vector<std::string> Names(int n) {
    std::vector<std::string> names;
    for (int i = 1; i <= n; ++i) names.push_back("song" + std::to_string(i) + ".mp3");
    return names;
}

// Records what a front end would show.
class RecordingProgress : public ProgressSink {
public:
    std::vector<std::string> events;
    void begin(int total) override { events.push_back("begin " + std::to_string(total)); }
    void advance(int done, int total, const std::string& status) override {
        events.push_back(std::to_string(done) + "/" + std::to_string(total) + " " + status);
    }
    void end() override { events.push_back("end"); }
};

// Entries that are only named (no file reading), for runs whose work is a stub.
struct Entries {
    std::vector<std::unique_ptr<SongRecord>> records;
    explicit Entries(const std::vector<std::string>& paths) {
        for (const std::string& p : paths) records.push_back(std::make_unique<SongRecord>(p, false));
    }
    ToolFileList list(bool fullPaths = false) const {
        std::vector<SongRecord*> e;
        for (const auto& r : records) e.push_back(r.get());
        return FileListFromEntries(e, fullPaths);
    }
};

// --- confirmation --------------------------------------------------------

TEST_F(ToolRunTest, ConfirmationListsTheFilesAndAsksToProceed) {
    EXPECT_EQ(ConfirmationText(ToolKind::MassTag, {"a.mp3", "b.mp3"}),
              "Mass set ID3TAG on 2 file(s) ?\n\na.mp3\nb.mp3\n\n\nWould you like to proceed them ?");
}

TEST_F(ToolRunTest, ConfirmationOfElevenFilesListsTenThenMoreFiles) {
    const std::string text = ConfirmationText(ToolKind::Rename, Names(11));
    std::string expected = "Rename file from ID3TAG on 11 file(s) ?\n\n";
    for (int i = 1; i <= 10; ++i) expected += "song" + std::to_string(i) + ".mp3\n";
    expected += "\n\n<More files> ...\n\nWould you like to proceed them ?";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.find("song11.mp3"), std::string::npos);
}

TEST_F(ToolRunTest, ConfirmationOfTenFilesHasNoMoreFilesLine) {
    EXPECT_EQ(ConfirmationText(ToolKind::MassTag, Names(10)).find("<More files>"), std::string::npos);
}

TEST_F(ToolRunTest, ConfirmationMessagesByKind) {
    const char* expected[] = {
        "Mass set ID3TAG on %d file(s) ?",      "Rename file from ID3TAG on %d file(s) ?",
        "Write ID3TAG based on %d file(s) ?",   "Copy ID3v1 --> ID3v2 on %d file(s) ?",
        "Copy ID3v2 --> ID3v1 on %d file(s) ?", "Remove ID3v1 on %d file(s) ?",
        "Remove ID3v2 on %d file(s) ?",         "Remove ID3v1+ID3v2 on %d file(s) ?",
        "Organize %d files(s) mp3 to target directories ?",
    };
    for (int k = 0; k <= 8; ++k) {
        EXPECT_STREQ(ConfirmationMessage(static_cast<ToolKind>(k)), expected[k]) << k;
    }
}

// --- gathering -----------------------------------------------------------

TEST_F(ToolRunTest, OnlySelectedWithNothingSelectedShowsTheErrorAndAsksNothing) {
    Entries entries({"/m/a.mp3", "/m/b.mp3"});
    ToolFileList list = entries.list();
    list.selectAll(false);
    ScriptedPrompter prompter;
    ToolRun run(prompter, nullptr);
    EXPECT_FALSE(run.gatherFiles(list, true, ToolKind::MassTag));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "At least 1 file must be selected !!!");
    EXPECT_EQ(prompter.shown[0].caption, "Error");
    EXPECT_EQ(prompter.shown[0].icon, PromptIcon::Error);
}

TEST_F(ToolRunTest, OnlySelectedTakesTheSelectedItemsInListOrder) {
    Entries entries({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3"});
    ToolFileList list = entries.list();
    list.selected = {false, true, false, true};
    ScriptedPrompter prompter;
    ToolRun run(prompter, nullptr);
    ASSERT_TRUE(run.gatherFiles(list, true, ToolKind::CopyV1ToV2));
    EXPECT_EQ(run.chosen(), (std::vector<int>{1, 3}));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text,
              "Copy ID3v1 --> ID3v2 on 2 file(s) ?\n\nb.mp3\nd.mp3\n\n\nWould you like to proceed them ?");
    EXPECT_EQ(prompter.shown[0].caption, "Question");
    EXPECT_EQ(prompter.shown[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.shown[0].icon, PromptIcon::Question);
}

TEST_F(ToolRunTest, WithoutTheCheckBoxEveryItemRunsWhateverIsSelected) {
    Entries entries({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    ToolFileList list = entries.list();
    list.selected = {false, true, false};
    ScriptedPrompter prompter;
    ToolRun run(prompter, nullptr);
    ASSERT_TRUE(run.gatherFiles(list, false, ToolKind::MassTag));
    EXPECT_EQ(run.chosen(), (std::vector<int>{0, 1, 2}));
}

TEST_F(ToolRunTest, AnsweringNoRunsNothing) {
    Entries entries({"/m/a.mp3"});
    ToolFileList list = entries.list();
    ScriptedPrompter prompter;
    prompter.answers = {PromptAnswer::No};
    ToolRun run(prompter, nullptr);
    int calls = 0;
    const ToolRunResult r = run.run(
        list, false, ToolKind::MassTag, false, "", [](int) { return std::string("h"); },
        [&](ToolFile&) { return ++calls > 0; }, [](int) { return std::string("s"); });
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(prompter.shown.size(), 1u);  // no summary either
}

// --- file list from the view ---------------------------------------------

TEST_F(ToolRunTest, FileListFollowsTheViewAndSyncsItsSelectionBack) {
    Playlist playlist;
    for (const char* p : {"/music/x/one.mp3", "/music/y/two.mp3", "/music/z/three.mp3"}) {
        playlist.append(std::make_unique<SongRecord>(p, false));
    }
    PlaylistView view(playlist);
    view.rebuildFromPlaylist();
    view.setSelected(1, true);

    ToolFileList names = fillFileList(view, false);
    ASSERT_EQ(names.count(), 3);
    EXPECT_EQ(names.items[0].listText, "one.mp3");
    EXPECT_EQ(names.items[2].entry, playlist.entryAt(2));
    EXPECT_EQ(names.selected, (std::vector<bool>{false, true, false}));
    ToolFileList paths = fillFileList(view, true);
    EXPECT_EQ(paths.items[1].listText, "/music/y/two.mp3");

    names.toggleAll();
    syncSelection(names, view);
    EXPECT_TRUE(view.isSelected(0));
    EXPECT_FALSE(view.isSelected(1));
    EXPECT_TRUE(view.isSelected(2));
    names.selectAll(false);
    syncSelection(names, view);
    EXPECT_EQ(view.selectedCount(), 0);
}

// --- trace log -----------------------------------------------------------

TEST_F(ToolRunTest, LogFileNamesGetTheFilterExtension) {
    EXPECT_EQ(LogFileNameWithExtension("run", 2), "run.log");
    EXPECT_EQ(LogFileNameWithExtension("RUN.LOG", 2), "RUN.LOG");
    EXPECT_EQ(LogFileNameWithExtension("run", 1), "run.txt");
    EXPECT_EQ(LogFileNameWithExtension("run.TXT", 1), "run.TXT");
    EXPECT_EQ(LogFileNameWithExtension("run.txt", 2), "run.txt.log");
    EXPECT_EQ(LogFileNameWithExtension("run", 3), "run");
}

TEST_F(ToolRunTest, LogDateIsYearMonthDayHoursMinutes) {
    std::tm t{};
    t.tm_year = 106;
    t.tm_mon = 4;
    t.tm_mday = 14;
    t.tm_hour = 21;
    t.tm_min = 7;
    t.tm_sec = 59;
    EXPECT_EQ(LogDateText(t), "2006/05/14 21:07");
    EXPECT_EQ(LogDateTextNow().size(), 16u);
}

TEST_F(ToolRunTest, TraceLogOfARunByteForByte) {
    TempDir dir;
    Entries entries({dir.Path("a.mp3"), dir.Path("b.mp3"), dir.Path("c.mp3")});
    ToolFileList list = entries.list();
    ScriptedPrompter prompter;
    ToolRun run(prompter, nullptr);
    run.setDateText("2006/05/14 21:07");
    const std::string log = dir.Path("trace.txt");
    const ToolRunResult r = run.run(
        list, false, ToolKind::MassTag, true, log,
        [](int n) { return "Mass set ID3v1+v2 TAG " + std::to_string(n) + " files (Trace LOG)"; },
        [](ToolFile& f) { return f.listText != "b.mp3"; },
        [](int n) { return "Mass set ID3TAG on " + std::to_string(n) + " file(s)"; });
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.processed, 3);
    EXPECT_EQ(r.succeeded, 2);
    EXPECT_EQ(r.failed, 1);
    EXPECT_FALSE(r.logFailed);
    const std::string expected =
        "Tunedeck for Winamp\r\n"
        "----------------------\r\n"
        "Date: 2006/05/14 21:07\r\n"
        "\r\n"
        "Mass set ID3v1+v2 TAG 3 files (Trace LOG)\r\n"
        "\r\n"
        "file1=(Success): " + dir.Path("a.mp3") + "\r\n"
        "file2=(Failed): " + dir.Path("b.mp3") + "\r\n"
        "file3=(Success): " + dir.Path("c.mp3") + "\r\n";
    EXPECT_EQ(ReadBytes(log), expected);
    // The summary names the files run, not the ones that succeeded.
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text, "Mass set ID3TAG on 3 file(s)");
    EXPECT_EQ(prompter.shown[1].caption, "Information");
    EXPECT_EQ(prompter.shown[1].icon, PromptIcon::Information);
}

TEST_F(ToolRunTest, MoveLinesShowThePathBeforeAndAfter) {
    TempDir dir;
    Entries entries({"/src/a.mp3", "/src/b.mp3"});
    ToolFileList list = entries.list(true);
    ScriptedPrompter prompter;
    ToolRun run(prompter, nullptr);
    run.setDateText("2024/01/02 03:04");
    ASSERT_TRUE(run.gatherFiles(list, false, ToolKind::Organize));
    ASSERT_TRUE(run.openTraceLog(true, dir.Path("o.log")));
    run.execute(list, "Organize 2 files (Trace LOG)", [](ToolFile& f) {
        if (f.entry->GetFileName() == "/src/b.mp3") return false;
        f.entry->SetFileName("/dst/Band/a.mp3");
        return true;
    }, true);
    EXPECT_EQ(ReadBytes(dir.Path("o.log")),
              "Tunedeck for Winamp\r\n----------------------\r\nDate: 2024/01/02 03:04\r\n\r\n"
              "Organize 2 files (Trace LOG)\r\n\r\n"
              "file1=(Success): /src/a.mp3 --> /dst/Band/a.mp3\r\n"
              "file2=(Failed): /src/b.mp3 --> /src/b.mp3\r\n");
}

TEST_F(ToolRunTest, EmptyListStillWritesTheHeaderAndTheSummaryWithZero) {
    TempDir dir;
    ToolFileList list;
    ScriptedPrompter prompter;
    ToolRun run(prompter, nullptr);
    run.setDateText("2024/01/02 03:04");
    const ToolRunResult r = run.run(
        list, false, ToolKind::RemoveV2, true, dir.Path("e.log"),
        [](int n) { return "Remove ID3v2 TAG " + std::to_string(n) + " files (Trace LOG)"; },
        [](ToolFile&) { return true; },
        [](int n) { return "Remove ID3v2 TAG on " + std::to_string(n) + " file(s)"; });
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.processed, 0);
    EXPECT_EQ(prompter.shown[0].text, "Remove ID3v2 on 0 file(s) ?\n\n\n\nWould you like to proceed them ?");
    EXPECT_EQ(prompter.shown[1].text, "Remove ID3v2 TAG on 0 file(s)");
    EXPECT_EQ(ReadBytes(dir.Path("e.log")),
              "Tunedeck for Winamp\r\n----------------------\r\nDate: 2024/01/02 03:04\r\n\r\n"
              "Remove ID3v2 TAG 0 files (Trace LOG)\r\n\r\n");
}

TEST_F(ToolRunTest, LogPathEmptyOrNotCreatableStopsBeforeAnyFile) {
    TempDir dir;
    ScriptedPrompter prompter;
    ToolRun run(prompter, nullptr);
    EXPECT_TRUE(run.openTraceLog(false, ""));
    EXPECT_TRUE(prompter.shown.empty());

    EXPECT_FALSE(run.openTraceLog(true, ""));
    EXPECT_EQ(prompter.shown.back().text, "Choose a log file !!!");
    EXPECT_EQ(prompter.shown.back().caption, "Error");

    EXPECT_FALSE(run.openTraceLog(true, dir.Path("no-such-dir") + "/x.log"));
    EXPECT_EQ(prompter.shown.back().text, "Error log file !!!");
    EXPECT_EQ(prompter.shown.back().icon, PromptIcon::Error);

    EXPECT_FALSE(run.openTraceLog(true, std::string(300, 'x')));
    EXPECT_EQ(prompter.shown.back().text, "Choose a log file !!!");

    Entries entries({dir.Path("a.mp3")});
    ToolFileList list = entries.list();
    int calls = 0;
    const ToolRunResult r = run.run(
        list, false, ToolKind::MassTag, true, "", [](int) { return std::string(); },
        [&](ToolFile&) { return ++calls > 0; }, [](int) { return std::string(); });
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(calls, 0);
}

TEST_F(ToolRunTest, AFailingLogWriteIsReportedAndTheRunGoesOn) {
    TempDir dir;
    Entries entries({dir.Path("a.mp3"), dir.Path("b.mp3")});
    ToolFileList list = entries.list();
    ScriptedPrompter prompter;
    FaultyFileSystem faulty;
    ScopedFs scoped(faulty);
    ToolRun run(prompter, nullptr);
    ASSERT_TRUE(run.gatherFiles(list, false, ToolKind::MassTag));
    ASSERT_TRUE(run.openTraceLog(true, dir.Path("t.log")));
    faulty.FailFrom(FaultyFileSystem::Op::Write, 1);
    int calls = 0;
    const ToolRunResult r = run.execute(list, "header", [&](ToolFile&) { return ++calls > 0; });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(r.succeeded, 2);
    EXPECT_TRUE(r.logFailed);
}

TEST_F(ToolRunTest, ProgressAdvancesOncePerFileWithTheStatusLine) {
    Entries entries({"/m/a.mp3", "/m/b.mp3"});
    ToolFileList list = entries.list();
    ScriptedPrompter prompter;
    RecordingProgress progress;
    ToolRun run(prompter, &progress);
    run.run(list, false, ToolKind::MassTag, false, "", nullptr, [](ToolFile&) { return false; },
            [](int) { return std::string("done"); });
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"begin 2", "1/2 Working 1/2: current file: /m/a.mp3",
                                        "2/2 Working 2/2: current file: /m/b.mp3", "end"}));
}

TEST_F(ToolRunTest, ResultTextsComeFromTheLanguage) {
    EXPECT_STREQ(ResultText(true), "Success");
    EXPECT_STREQ(ResultText(false), "Failed");
}

}  // namespace
}  // namespace td
