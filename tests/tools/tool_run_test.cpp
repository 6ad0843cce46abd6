#include "tools/tool_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/tools/tool_test_files.h"
#include "tools/organize.h"
#include "tools/tag_from_name.h"

namespace td {
namespace {

using namespace tooltest;

const char kLogStart[] = "Tunedeck for Winamp\r\n----------------------\r\nDate: 2024/01/02 03:04\r\n\r\n";

class ToolRunTest : public ToolFilesTest {
protected:
    // A list of entries that are only named (no file is read).
    ToolFileList List(const std::vector<std::string>& paths, bool fullPaths = false) {
        std::vector<SongRecord*> e;
        for (const std::string& p : paths) {
            entries_.push_back(std::make_unique<SongRecord>(p, false));
            e.push_back(entries_.back().get());
        }
        return FileListFromEntries(e, fullPaths);
    }
    RecordingPrompter prompter_;
};

TEST_F(ToolRunTest, GatheringTakesTheSelectionOnlyWhenAsked) {
    ToolFileList list = List({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3"});
    list.selected = {false, true, false, true};
    ToolRun run(prompter_, nullptr);
    ASSERT_TRUE(run.gatherFiles(list, true, ToolKind::CopyV1ToV2));
    EXPECT_EQ(run.chosen(), (std::vector<int>{1, 3}));
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text,
              "Copy ID3v1 --> ID3v2 on 2 file(s) ?\n\nb.mp3\nd.mp3\n\n\nWould you like to proceed them ?");
    ASSERT_TRUE(run.gatherFiles(list, false, ToolKind::MassTag));
    EXPECT_EQ(run.chosen(), (std::vector<int>{0, 1, 2, 3}));

    // Ten files are listed, then only that there are more.
    std::vector<std::string> many;
    for (int i = 0; i < 11; ++i) many.push_back("f" + std::to_string(i));
    const std::string question = ConfirmationText("Go?", many);
    const std::string end = "f9\n\n\n<More files> ...\n\nWould you like to proceed them ?";
    EXPECT_EQ(question.substr(question.size() - end.size()), end);

    list.selectAll(false);
    EXPECT_FALSE(run.gatherFiles(list, true, ToolKind::MassTag));
    ASSERT_EQ(prompter_.shown.size(), 3u);  // no question this time
    EXPECT_EQ(prompter_.shown[2].icon, PromptIcon::Error);
}

TEST_F(ToolRunTest, TraceLogOfARunByteForByte) {
    ToolFileList list = List({In("a.mp3"), In("b.mp3"), In("c.mp3")});
    ToolRun run(prompter_, nullptr);
    run.setDateText("2024/01/02 03:04");
    const ToolRunResult r = run.run(
        list, false, ToolKind::TagFromName, true, In("trace.txt"),
        [](int n) { return TagFromNameLogHeader(kFromNameBoth, n); },
        [](ToolFile& f) { return f.listText != "b.mp3"; }, TagFromNameSummary);
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.succeeded, 2);
    EXPECT_EQ(r.failed, 1);
    EXPECT_FALSE(r.logFailed);
    EXPECT_EQ(ReadBytes(In("trace.txt")),
              kLogStart + std::string("Write ID3v1+v2 Tag from 3 files (Trace LOG)\r\n\r\n") +
                  "file1=(Success): " + In("a.mp3") + "\r\n" + "file2=(Failed): " + In("b.mp3") + "\r\n" +
                  "file3=(Success): " + In("c.mp3") + "\r\n");
    // The summary names the files run, not the ones that succeeded.
    ASSERT_EQ(prompter_.shown.size(), 2u);
    EXPECT_EQ(prompter_.shown[1].text, "Write ID3TAG from filename on 3 file(s)");
    // The log file dialog's filters: .txt, .log, all files.
    const std::pair<std::string, std::string> texts[] = {
        {LogFileNameWithExtension("run", 1), "run.txt"},
        {LogFileNameWithExtension("run.TXT", 1), "run.TXT"},
        {LogFileNameWithExtension("run", 3), "run"},
    };
    for (const auto& t : texts) EXPECT_EQ(t.first, t.second);
}

TEST_F(ToolRunTest, MoveLinesShowThePathBeforeAndAfter) {
    ToolFileList list = List({"/src/a.mp3", "/src/b.mp3"}, true);
    ToolRun run(prompter_, nullptr);
    run.setDateText("2024/01/02 03:04");
    ASSERT_TRUE(run.gatherFiles(list, false, ToolKind::Organize));
    ASSERT_TRUE(run.openTraceLog(true, In("o.log")));
    run.execute(
        list, OrganizeLogHeader(2),
        [](ToolFile& f) {
            if (f.entry->GetFileName() == "/src/b.mp3") return false;
            f.entry->SetFileName("/dst/Band/a.mp3");
            return true;
        },
        true);
    EXPECT_EQ(ReadBytes(In("o.log")), kLogStart + std::string("Organize 2 files (Trace LOG)\r\n\r\n") +
                                          "file1=(Success): /src/a.mp3 --> /dst/Band/a.mp3\r\n"
                                          "file2=(Failed): /src/b.mp3 --> /src/b.mp3\r\n");

    // Stopped before the second file, the log tells how far the run got.
    struct StopAfterFirst : ProgressSink {
        void begin(int) override {}
        void advance(int, int, const std::string&) override {}
        void end() override {}
        bool stopRequested() override { return true; }
    } stop;
    ToolRun stopped(prompter_, &stop);
    stopped.setDateText("2024/01/02 03:04");
    ASSERT_TRUE(stopped.gatherFiles(list, false, ToolKind::Organize));
    ASSERT_TRUE(stopped.openTraceLog(true, In("s.log")));
    EXPECT_TRUE(stopped.execute(list, "H", [](ToolFile&) { return true; }, false).stopped);
    EXPECT_EQ(ReadBytes(In("s.log")), kLogStart + std::string("H\r\n\r\nfile1=(Success): /dst/Band/a.mp3\r\n") +
                                          "Abort: 1 / 2 Total\r\n");
}

TEST_F(ToolRunTest, ALogThatCannotBeOpenedStopsBeforeAnyFile) {
    ToolRun run(prompter_, nullptr);
    EXPECT_FALSE(run.openTraceLog(true, ""));
    EXPECT_EQ(prompter_.shown.back().text, "Choose a log file !!!");
    EXPECT_FALSE(run.openTraceLog(true, In("no-such-dir/x.log")));
    EXPECT_EQ(prompter_.shown.back().text, "Error log file !!!");
    EXPECT_FALSE(run.openTraceLog(true, std::string(300, 'x')));
    EXPECT_EQ(prompter_.shown.back().text, "Choose a log file !!!");

    // Neither a log that cannot be opened nor the answer No runs anything.
    ToolFileList list = List({In("a.mp3")});
    for (bool log : {true, false}) {
        prompter_.shown.clear();
        prompter_.answers = {log ? PromptAnswer::Yes : PromptAnswer::No};
        int calls = 0;
        const ToolRunResult r = run.run(
            list, false, ToolKind::MassTag, log, "", [](int) { return std::string(); },
            [&](ToolFile&) { return ++calls > 0; }, [](int) { return std::string(); });
        EXPECT_FALSE(r.ran);
        EXPECT_EQ(calls, 0);
        EXPECT_TRUE(log || prompter_.shown.size() == 1u);  // no summary either
    }
}

TEST_F(ToolRunTest, AReadOnlyAttributeThatCannotBeClearedIsReportedAndNothingIsWritten) {
    const std::string bytes = Tag(Frame("TIT2", Text("Old"))) + Audio();
    const std::string path = Write("ro.mp3", bytes);
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    SongRecord record(path, true);
    record.UpdateFrame(Id3v2FieldFrame(kTIT2, "New"));
    ToolSave save;
    save.askReadOnly = true;
    save.prompter = &prompter_;
    FaultyFileSystem faulty;
    faulty.FailAt(FaultyFileSystem::Op::SetAttributes, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_EQ(SaveToolRecord(record, save), Id3v2Error::CancelReadOnly);
    }
    ASSERT_EQ(prompter_.shown.size(), 2u);
    EXPECT_EQ(prompter_.shown[1].text, "Cannot remove read only on file " + path);
    Fs().SetAttributes(path, 0);
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(ToolRunTest, ATagTheEngineRefusesToSaveIsRefusedBeforeAnyQuestion) {
    // A tag of a version this system does not know cannot be read, so it is
    // never written over.
    std::string tag = Tag(Frame("TIT2", Text("Future")));
    tag[3] = 5;
    const std::string path = Write("future.mp3", tag + Audio());
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));
    SongRecord record(path, true);
    record.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, "New"), true);
    ToolSave save;
    save.askReadOnly = true;
    save.prompter = &prompter_;
    EXPECT_EQ(SaveToolRecord(record, save), Id3v2Error::TagCorrupt);
    EXPECT_TRUE(prompter_.shown.empty());
    Fs().SetAttributes(path, 0);
}

}  // namespace
}  // namespace td
