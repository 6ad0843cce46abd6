// The Edit tag page's model on real MP3 files: a clip made by lame, tagged
// and read back by mutagen (the system's Python), written through the page.
// Native runs only: Wine has neither.
#ifndef _WIN32
#include "window/dialogs/edit_tag_page_model.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "playlist/view.h"
#include "tags/id3v2/frame_table.h"
#include "tools/text_convert.h"
#include "tests/tools/tool_test_files.h"
#include "window/test_songs.h"

namespace td {
namespace {

using namespace tooltest;

constexpr const char* kPython = "/usr/bin/python3";

// Runs a command, returns its standard output; `ok` false on a non-zero exit.
std::string RunCommand(const std::string& command, bool& ok) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ok = false;
        return out;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ok = pclose(pipe) == 0;
    return out;
}

class EditTagPageTest : public ToolFilesTest {
protected:
    static void SetUpTestSuite() {
        bool ok = false;
        RunCommand(std::string(kPython) + " -c 'import mutagen' 2>/dev/null && command -v lame >/dev/null",
                   ok);
        available_ = ok;
    }

    void SetUp() override {
        ToolFilesTest::SetUp();
        if (!available_) GTEST_SKIP() << "needs lame and mutagen";
        clip_ = In("clip.mp3");
        MakeClip(clip_);
    }

    // One second of a 440 Hz tone at 44.1 kHz, mono, 16-bit, through lame.
    void MakeClip(const std::string& path) {
        const std::string raw = In("tone.raw");
        std::string samples;
        for (int i = 0; i < 44100; ++i) {
            const int v = (i / 50) % 2 ? 8000 : -8000;
            samples.push_back(static_cast<char>(v & 0xFF));
            samples.push_back(static_cast<char>((v >> 8) & 0xFF));
        }
        ASSERT_TRUE(WriteBytes(raw, samples));
        bool ok = false;
        RunCommand("lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m -b 128 '" + raw +
                       "' '" + path + "'",
                   ok);
        ASSERT_TRUE(ok);
    }

    // Runs Python with mutagen's ID3 classes imported and `path` as `p`.
    std::string Py(const std::string& path, const std::string& code) {
        const std::string script = In("script.py");
        std::ofstream(script)
            << "import sys\nfrom mutagen.id3 import ID3, ParseID3v1\nfrom mutagen.id3._frames import *\np = sys.argv[1]\n"
            << "def L(p): return ID3(p, translate=False, load_v1=False)\n"
            << code << "\n";
        bool ok = false;
        std::string out = RunCommand(std::string(kPython) + " '" + script + "' '" + path + "' 2>&1", ok);
        EXPECT_TRUE(ok) << out;
        return out;
    }

    // A copy of the clip tagged by mutagen: `frames` is a Python list of
    // frames; `v1` 2 writes an ID3v1 trailer too, 0 none.
    std::string Tagged(const std::string& name, const std::string& frames, int v1 = 2) {
        const std::string path = Write(name, ReadBytes(clip_));
        Py(path, "t = ID3()\nfor f in " + frames +
                     ": t.add(f)\nt.save(p, v2_version=3, v1=" + std::to_string(v1) + ")");
        return path;
    }

    // The text mutagen reads for frame `id` of the ID3v2 tag as it stands
    // (no frames filled in from ID3v1), "<none>" without it.
    std::string Mutagen(const std::string& path, const std::string& id) {
        return Py(path, "t = L(p)\nf = t.getall('" + id +
                            "')\nsys.stdout.buffer.write((str(f[0].text[0]) if f else '<none>')"
                            ".encode('utf-8'))");
    }

    SongRecord* Entry(const std::string& path) {
        entries_.push_back(std::make_unique<SongRecord>(path, true));
        return entries_.back().get();
    }

    static constexpr const char* kFull =
        "[TIT2(encoding=0, text='Old Title'), TPE1(encoding=0, text='Old Band'),"
        " TALB(encoding=0, text='Old Album'), TYER(encoding=0, text='1999'),"
        " TRCK(encoding=0, text='4/10'), TCON(encoding=0, text='(17)'),"
        " COMM(encoding=0, lang='eng', desc='', text='Old note'), TBPM(encoding=0, text='120'),"
        " TCOM(encoding=0, text='Writer'), TXXX(encoding=0, desc='custom', text='kept'),"
        " POPM(email='x@y', rating=196),"
        " APIC(encoding=0, mime='image/png', type=3, desc='cover', data=b'\\x89PNG')]";

    static inline bool available_ = false;
    std::string clip_;
    RecordingPrompter prompter_;
};

TEST_F(EditTagPageTest, ShowsBothTagsAndTheStreamAsTheFileHoldsThem) {
    const std::string path = Tagged("full.mp3", kFull);
    EditTagPageModel page({Entry(path)}, 0);
    ASSERT_EQ(page.current(), 0);
    EXPECT_TRUE(page.v1Enabled());
    EXPECT_TRUE(page.v2Enabled());
    EXPECT_EQ(page.text(kEditV2Genre), "(17)");  // as it stands
    EXPECT_EQ(page.text(kEditV2Composer), "Writer");
    EXPECT_EQ(page.rating(), 4);
    // mutagen's trailer: genre Rock
    EXPECT_EQ(page.text(kEditV1Genre), "Rock");
    EXPECT_FALSE(page.modified());
    EXPECT_NE(page.mpegText(1).find("44100Hz"), std::string::npos);

    const std::string plain = Write("plain song.mp3", ReadBytes(clip_));
    page = EditTagPageModel({Entry(plain)}, 0);
    EXPECT_FALSE(page.v1Enabled());
    EXPECT_FALSE(page.v2Enabled());
    EXPECT_EQ(page.text(kEditV1Genre), "???");
    EXPECT_EQ(page.rating(), 0);
    page.swapFields(kEditV2Title, kEditV2Artist);  // two empty fields: nothing to save
    EXPECT_FALSE(page.modified());
}

TEST_F(EditTagPageTest, UpdateWritesTheFieldsAndKeepsEverythingElse) {
    const std::string path = Tagged("full.mp3", kFull);
    SongRecord* entry = Entry(path);
    EditTagPageModel page({entry}, 0);
    EXPECT_TRUE(page.setText(kEditV2Title, "New Title"));
    EXPECT_TRUE(page.setText(kEditV2Album, ""));
    EXPECT_TRUE(page.setText(kEditV2Remixed, "DJ Remix"));
    EXPECT_TRUE(page.setText(kEditV1Artist, "V1 Band"));
    EXPECT_TRUE(page.setText(kEditV1Track, "12"));
    EXPECT_TRUE(page.setText(kEditV1Genre, "Blues"));  // the first genre: number 0 in the file
    EXPECT_TRUE(page.setRating(2));
    EXPECT_TRUE(page.modified());

    std::vector<bool> notices;
    EXPECT_EQ(page.write(prompter_, [&](bool on) { notices.push_back(on); }), EditWriteResult::Written);
    EXPECT_TRUE(prompter_.shown.empty());
    EXPECT_TRUE(notices.empty());  // the tag stays: no whole-file rewrite announced
    EXPECT_FALSE(page.modified());

    EXPECT_EQ(Mutagen(path, "TIT2"), "New Title");
    EXPECT_EQ(Mutagen(path, "TALB"), "<none>");
    EXPECT_EQ(Mutagen(path, "TPE4"), "DJ Remix");
    EXPECT_EQ(Mutagen(path, "TXXX"), "kept");
    EXPECT_EQ(Py(path,
                 "d = open(p, 'rb').read()[-128:]\n"
                 "v = ParseID3v1(d)\nprint(v['TPE1'].text[0], v['TRCK'].text[0], v['TCON'].text[0])"),
              "V1 Band 12 0\n");
    EXPECT_NE(ReadBytes(path).find(ReadBytes(clip_)), std::string::npos);  // the audio untouched

    EXPECT_EQ(SongRecord(path, true).GetRating(), 2);
    // the entry holds what the file holds
    EXPECT_EQ(V2(*entry, kTIT2), "New Title");
    EXPECT_STREQ(entry->GetId3v1()->artist, "V1 Band");

    // Another page rates the file meanwhile; Update leaves the rating this page shows.
    SongRecord other(path, true);
    EditTagPageModel otherPage({&other}, 0);
    EXPECT_TRUE(otherPage.setRating(5));
    EXPECT_EQ(otherPage.write(prompter_), EditWriteResult::Written);
    EXPECT_TRUE(page.setText(kEditV2Title, "Newer Title"));
    EXPECT_EQ(page.write(prompter_), EditWriteResult::Written);
    EXPECT_EQ(SongRecord(path, true).GetRating(), 2);
}

TEST_F(EditTagPageTest, TagsAreCreatedAndRemovedByTheirCheckBoxes) {
    // No tags: checking ID3v1 and typing a title gives a tag of only that title.
    const std::string plain = Write("plain song.mp3", ReadBytes(clip_));
    EditTagPageModel page({Entry(plain)}, 0);
    page.setV1Enabled(true);
    page.setText(kEditV1Title, "Only Title");
    EXPECT_EQ(page.write(prompter_), EditWriteResult::Written);
    SongRecord v1only(plain, true);
    EXPECT_TRUE(v1only.HasId3v1());
    EXPECT_FALSE(v1only.HasId3v2());
    EXPECT_EQ(Py(plain, "print(ID3(p).get('TPE1'), ID3(p).get('TIT2'))"), "None Only Title\n");

    // Checking ID3v2 on it: the tag appears, announced as a rewrite, and
    // carries no artist made from the file name.
    std::vector<bool> notices;
    page.setV2Enabled(true);
    page.setText(kEditV2Year, "2005");
    EXPECT_EQ(page.write(prompter_, [&](bool on) { notices.push_back(on); }), EditWriteResult::Written);
    EXPECT_EQ(notices, (std::vector<bool>{true, false}));
    EXPECT_EQ(Mutagen(plain, "TYER"), "2005");
    EXPECT_EQ(Mutagen(plain, "TPE1"), "<none>");

    // Unchecking both removes both.
    notices.clear();
    page.setV1Enabled(false);
    page.setV2Enabled(false);
    EXPECT_EQ(page.write(prompter_, [&](bool on) { notices.push_back(on); }), EditWriteResult::Written);
    EXPECT_EQ(notices, (std::vector<bool>{true, false}));
    EXPECT_EQ(ReadBytes(plain), ReadBytes(clip_));
}

TEST_F(EditTagPageTest, CopyButtonsAndFieldMenus) {
    const std::string path = Tagged("full.mp3", kFull, 0);
    EditTagPageModel page({Entry(path)}, 0);
    EXPECT_FALSE(page.v1Enabled());
    page.setText(kEditV2Title, "A title that is longer than thirty characters");
    page.copyV2ToV1();
    EXPECT_TRUE(page.v1Enabled());
    EXPECT_EQ(page.text(kEditV1Title), "A title that is longer than th");
    EXPECT_EQ(page.text(kEditV1Track), "4");     // "4/10"
    EXPECT_EQ(page.text(kEditV1Genre), "Rock");  // "(17)" names genre 17
    EXPECT_EQ(page.text(kEditV1Comment), "Old note");
    page.setText(kEditV2Genre, "Chiptune Noise");
    page.setText(kEditV2Track, "300");
    page.copyV2ToV1();
    EXPECT_EQ(page.text(kEditV1Genre), "???");
    EXPECT_EQ(page.text(kEditV1Track), "");  // does not fit the trailer's byte

    page.copyV1ToV2();
    EXPECT_EQ(page.text(kEditV2Title), "A title that is longer than th");
    EXPECT_EQ(page.text(kEditV2Genre), "");   // no genre, not the text "???"
    EXPECT_EQ(page.text(kEditV2Bpm), "120");  // not a field of ID3v1

    page.swapFields(kEditV2Title, kEditV2Artist);
    EXPECT_EQ(page.text(kEditV2Artist), "A title that is longer than th");
    EXPECT_EQ(page.text(kEditV2Title), "Old Band");
}

TEST_F(EditTagPageTest, TextsTheFileCannotHoldAreRefused) {
    const std::string path = Tagged("full.mp3", kFull);
    EditTagPageModel page({Entry(path)}, 0);
    // A character outside the code page: refused, the field keeps its text.
    EXPECT_FALSE(page.setTextUtf16(kEditV2Title, u"\u03A9mega"));
    EXPECT_EQ(page.text(kEditV2Title), "Old Title");
    EXPECT_FALSE(page.modified());
    EXPECT_TRUE(page.setTextUtf16(kEditV2Title, u"Caf\u00e9"));
    EXPECT_EQ(page.text(kEditV2Title), "Caf\xe9");
    // An ID3v1 track the trailer's byte cannot hold, or that is no number.
    EXPECT_FALSE(page.setText(kEditV1Track, "300"));
    EXPECT_FALSE(page.setText(kEditV1Track, "4a"));
    EXPECT_EQ(page.text(kEditV1Track), "4");
    EXPECT_TRUE(page.setText(kEditV1Track, "255"));
    EXPECT_FALSE(page.setText(kEditV1Title, std::string(31, 'x')));
    EXPECT_FALSE(page.setText(kEditV1Year, "20051"));
    ASSERT_EQ(page.write(prompter_), EditWriteResult::Written);
    EXPECT_EQ(Mutagen(path, "TIT2"), "Caf\u00e9");
    EXPECT_EQ(Py(path, "print(open(p, 'rb').read()[-1 - 1])"), "255\n");  // the track byte

    // A title read from UTF-16 that the code page cannot show: editing
    // another field leaves it as the file has it.
    const std::string greek =
        Tagged("greek.mp3", "[TIT2(encoding=1, text='\\u03a9mega'), TPE1(encoding=0, text='Band')]");
    page = EditTagPageModel({Entry(greek)}, 0);
    EXPECT_EQ(page.text(kEditV2Title), "?mega");
    page.setText(kEditV2Artist, "Other Band");
    ASSERT_EQ(page.write(prompter_), EditWriteResult::Written);
    EXPECT_EQ(Mutagen(greek, "TIT2"), "\u03a9mega");
    EXPECT_EQ(Mutagen(greek, "TPE1"), "Other Band");
}

TEST_F(EditTagPageTest, FilesThatCannotBeWrittenKeepTheirBytesAndTheEntry) {
    const std::string path = Tagged("ro.mp3", kFull);
    const std::string before = ReadBytes(path);
    SongRecord* entry = Entry(path);
    EditTagPageModel page({entry}, 0);
    ASSERT_TRUE(Fs().SetAttributes(path, kAttrReadOnly));

    // Read-only, declined: the translated question, nothing written.
    page.setText(kEditV2Title, "Forced");
    prompter_.answers.push_back(PromptAnswer::Cancel);
    EXPECT_EQ(page.write(prompter_), EditWriteResult::Declined);
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text, "Do you want to force save tag (file " + path + " is read only) ?");
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(V2(*entry, kTIT2), "Old Title");
    EXPECT_EQ(page.text(kEditV2Title), "Forced");  // as the user left it

    ASSERT_TRUE(Fs().SetAttributes(path, 0));

    // A failing disk: the writer's message, the entry keeps its data.
    prompter_.shown.clear();
    page.setText(kEditV2Title, "Never");
    {
        FaultyFileSystem faulty;
        faulty.FailFrom(FaultyFileSystem::Op::Write, 1);
        ScopedFs scoped(faulty);
        EXPECT_EQ(page.write(prompter_), EditWriteResult::Failed);
    }
    EXPECT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(V2(*entry, kTIT2), "Old Title");

    // Vanished since it was listed: nothing is created in its place.
    prompter_.shown.clear();
    ASSERT_TRUE(Fs().Remove(path));
    page.setText(kEditV2Title, "Ghost");
    EXPECT_EQ(page.write(prompter_), EditWriteResult::Unreadable);
    EXPECT_EQ(prompter_.shown.size(), 1u);
    EXPECT_FALSE(FileExists(path));
}

TEST(EditTagPageListsTest, FieldMenusSwapWithinTheirGroupAndTheGenreListOffersEveryGenre) {
    // The buttons beside title, artist and album swap it with the other two.
    const std::pair<int, std::array<int, 2>> partners[] = {
        {kEditV1Title, {kEditV1Artist, kEditV1Album}},
        {kEditV1Artist, {kEditV1Title, kEditV1Album}},
        {kEditV1Album, {kEditV1Artist, kEditV1Title}},
        {kEditV2Artist, {kEditV2Title, kEditV2Album}},
        {kEditV1Year, {-1, -1}},
    };
    for (const auto& [field, expected] : partners) EXPECT_EQ(SwapPartners(field), expected) << field;
    // The genre list offers every genre, and "???" for none first.
    const std::vector<std::string> genres = EditGenreTexts();
    ASSERT_EQ(genres.size(), static_cast<size_t>(kGenreCount));
    EXPECT_EQ(genres.front(), "???");
}

TEST(EditTagPageFromViewTest, OpensAtTheFirstSelectedRowOrElseTheFirstRow) {
    Playlist list;
    PlaylistView view(list);
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) view.appendRow(&test::AddSong(list, name));
    EXPECT_EQ(EditTagPageModel(view).current(), 0);
    test::SetV1(*view.entryAt(1), "", "Title");
    view.setSelected(2, true);
    view.setSelected(1, true);
    const EditTagPageModel page(view);
    EXPECT_EQ(page.current(), 1);
    EXPECT_EQ(page.text(kEditV1Title), "Title");
    EXPECT_EQ(page.text(kEditV1Artist), "");  // an empty field reads as no text

    // Previous, next and the file box stop at the ends of the list.
    EditTagPageModel moving(view);
    RecordingPrompter prompter;
    moving.move(5, prompter, {});
    EXPECT_EQ(moving.current(), 2);
    moving.move(-9, prompter, {});
    EXPECT_EQ(moving.current(), 0);
    moving.select(7, prompter, {});
    EXPECT_EQ(moving.current(), 2);
    EXPECT_TRUE(prompter.shown.empty());

    // Leaving a changed file asks first: Cancel moves on without writing; OK
    // writes (here the file is gone, which the write reports).
    moving.select(1, prompter, {});
    moving.applyCase(kEditV1Title, kCaseUpper);
    EXPECT_EQ(moving.text(kEditV1Title), "TITLE");
    prompter.answers.push_back(PromptAnswer::Cancel);
    moving.move(1, prompter, {});
    EXPECT_EQ(moving.current(), 2);
    EXPECT_EQ(prompter.shown.size(), 1u);
    moving.setText(kEditV1Title, "Other");
    EXPECT_TRUE(moving.offerWrite(prompter));
    EXPECT_EQ(prompter.shown.size(), 3u);
    EXPECT_FALSE(moving.offerWrite(prompter));  // nothing changed since
    // With no file at all, Update says there is none.
    EditTagPageModel empty(std::vector<SongRecord*>{}, 0);
    empty.show(1);
    EXPECT_EQ(empty.current(), -1);
    EXPECT_EQ(empty.write(prompter), EditWriteResult::NoSong);
    EXPECT_EQ(prompter.shown.size(), 4u);
}

}  // namespace
}  // namespace td
#endif
