#include "playlist/m3u_pls.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/prompter.h"
#include "platform/text_codec.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "support/test_support.h"
#include "tags/id3v2/frame.h"
#include "tests/support/recording_prompter.h"

namespace td {
namespace {

using namespace test;

#ifdef _WIN32
constexpr char kSep[] = "\\";
#else
constexpr char kSep[] = "/";
#endif

class M3uPlsTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    // An MP3 file of about `seconds` seconds with an ID3v2 artist and title,
    // or without any tag.
    std::string MakeSong(const std::string& name, int seconds, const std::string& artist,
                         const std::string& title, bool tagged = true) {
        const std::string path = dir_.Path(name);
        EXPECT_TRUE(WriteBytes(path, MpegAudio(static_cast<size_t>(seconds) * 39 * 417)));
        if (tagged) {
            SongRecord record(path, true);
            record.RemoveTags(3);
            record.AddFrame(std::make_unique<Id3v2FieldFrame>(kTPE1, artist), false);
            record.AddFrame(std::make_unique<Id3v2FieldFrame>(kTIT2, title), false);
            record.SetTagFlags(kTagId3v2);
            EXPECT_EQ(record.SaveTags(), Id3v2Error::NoError);
        }
        return path;
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < view_.rowCount(); ++i) names.push_back(view_.entryAt(i)->GetFileName());
        return names;
    }

    TempDir dir_;
    Playlist playlist_;
    PlaylistView view_{playlist_};
    RecordingPrompter prompter_;
};

TEST(PlaylistPath, RelativePathsAreTakenFromThePlaylistsFolder) {
#ifdef _WIN32
    EXPECT_EQ(resolvePlaylistPath("D:\\lists\\a.m3u", "..\\music\\.\\x.mp3"), "D:\\music\\x.mp3");
    EXPECT_EQ(resolvePlaylistPath("D:\\lists\\a.m3u", "\\music\\x.mp3"), "D:\\music\\x.mp3");
    EXPECT_EQ(resolvePlaylistPath("\\\\srv\\share\\l\\a.pls", "\\x.mp3"), "\\\\srv\\share\\x.mp3");
    // One separator after a one-letter folder is no server name.
    EXPECT_EQ(resolvePlaylistPath("D:\\lists\\a.m3u", "m\\x.mp3"), "D:\\lists\\m\\x.mp3");
#else
    EXPECT_EQ(resolvePlaylistPath("/lists/a.m3u", "../../../x.mp3"), "/x.mp3");
    EXPECT_EQ(resolvePlaylistPath("rel/a.m3u", "../x.mp3"), "x.mp3");
    EXPECT_EQ(resolvePlaylistPath("a.m3u", "../x.mp3"), "../x.mp3");
    EXPECT_EQ(resolvePlaylistPath("rel/a.m3u", "/abs/x.mp3"), "/abs/x.mp3");
    EXPECT_EQ(resolvePlaylistPath("/lists/a.m3u", "C:\\abs\\x.mp3"), "C:\\abs\\x.mp3");
    EXPECT_EQ(resolvePlaylistPath("/lists/a.m3u", "a_b://x.mp3"), "/lists/a_b:/x.mp3");  // no URL scheme
#endif
    EXPECT_EQ(resolvePlaylistPath(std::string("lists") + kSep + "a.m3u", "http://host/x.mp3"),
              "http://host/x.mp3");
}

TEST(M3uText, ExtinfLinesHeaderBomAndCodePage) {
    using Paths = std::vector<std::string>;
    const std::pair<std::string, Paths> cases[] = {
        {"#EXTM3U\r\n#EXTINF:200,Artist - Title\r\n/m/a.mp3\r\n#EXTINF:10,B\r\n/m/b.mp3\r\n"
         "/m/c.mp3\r\n#EXTINF:5,Last",
         {"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"}},
        {"\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:1,a\r\n/m/a.mp3\r\n/m/b.mp3\n\n", {"/m/a.mp3", "/m/b.mp3", ""}},
        // Without the header the first line is no path, and "#EXTINF" is a line like any other.
        {"/m/a.mp3\n/m/b.mp3\n/m/c.mp3", {"/m/b.mp3", "/m/c.mp3"}},
        {"x\n#EXTINF:1,a\n/m/b.mp3\n", {std::string(kSep) + "l" + kSep + "#EXTINF:1,a", "/m/b.mp3"}},
#ifndef _WIN32
        // ANSI lines become UTF-8; a byte that starts no UTF-8 sequence makes the line ANSI too.
        {"#EXTM3U\n/m/caf\xE9.mp3\n/m/\xC9t.mp3\n/m/d\xC3\xA9j\xC3\xA0\xE0\xB8\x81\xF0\x9F\x8E\xB5.mp3\n/m/M\xF6t.mp3\n",
         {"/m/caf\xC3\xA9.mp3", "/m/\xC3\x89t.mp3", "/m/d\xC3\xA9j\xC3\xA0\xE0\xB8\x81\xF0\x9F\x8E\xB5.mp3", "/m/M\xC3\xB6t.mp3"}},
#endif
    };
    for (const auto& [text, paths] : cases) EXPECT_EQ(m3uPaths(text, "/l/x.m3u"), paths) << text;
#ifdef _WIN32
    // An .m3u8 file is UTF-8 without a byte order mark too; Windows keeps ANSI paths.
    std::string ansi;
    ASSERT_TRUE(text::Utf16ToAnsi(u"C:\\caf\u00E9.mp3", ansi));
    EXPECT_EQ(m3uPaths("#EXTM3U\nC:\\caf\xC3\xA9.mp3\n", "C:\\l\\x.M3U8"), Paths{ansi});
#else
    // An .m3u8 file is UTF-8 without a byte order mark too: its lines are taken as they are.
    EXPECT_EQ(m3uPaths("#EXTM3U\n/m/caf\xE9.mp3\n", "/l/x.M3U8"), Paths{"/m/caf\xE9.mp3"});
#endif
}

TEST_F(M3uPlsTest, PlsIsReadInLineOrderAndRefusedWithoutItsHeaderLine) {
    // The File lines in their order, whatever their numbers; other lines are passed over.
    const std::string list = dir_.Path("list.pls");
    ASSERT_TRUE(WriteBytes(list, "[playlist]\r\nFile2=b.mp3\r\nTitle2=title.mp3\r\nFile3:c.mp3\r\nFile1=a.mp3\r\n"));
    ASSERT_TRUE(readPls(list, playlist_, view_, prompter_));
    EXPECT_EQ(Names(), (std::vector<std::string>{dir_.Path("b.mp3"), dir_.Path("a.mp3")}));
    EXPECT_TRUE(prompter_.shown.empty());
    // Without the header line: the list is emptied and the user told.
    ASSERT_TRUE(WriteBytes(list, "\r\n[playlist]\r\nFile1=/m/a.mp3\r\n"));
    ASSERT_TRUE(readPls(list, playlist_, view_, prompter_));
    EXPECT_EQ(playlist_.count(), 0);
    EXPECT_EQ(view_.rowCount(), 0);
    ASSERT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(prompter_.shown[0].text, "Bad file: PLS playlist");
    EXPECT_FALSE(readPls(dir_.Path("absent.pls"), playlist_, view_, prompter_));
}

TEST_F(M3uPlsTest, ExportsFollowTheViewWithCrLfLinesOnly) {
    const std::string a = MakeSong("a.mp3", 2, "Alpha", "First");
    const std::string b = MakeSong("b.mp3", 1, "", "");
    const std::string c = MakeSong("c.mp3", 1, "Gam\r\nma", "Third");  // no line break written
    for (const std::string& p : {a, b, c}) view_.appendRow(playlist_.entryAt(playlist_.addFile(p)));
    view_.setViewSource(1);
    const std::string la = std::to_string(view_.entryAt(0)->GetMpegInfo().seconds);
    const std::string lb = std::to_string(view_.entryAt(1)->GetMpegInfo().seconds);
    const std::string lc = std::to_string(view_.entryAt(2)->GetMpegInfo().seconds);

    EXPECT_EQ(formatM3u(view_, false), "#EXTM3U\r\n#EXTINF," + la + ",Alpha - First\r\n" + a +
                                           "\r\n#EXTINF," + lb + ", - \r\n" + b + "\r\n#EXTINF," + lc +
                                           ",Gam  ma - Third\r\n" + c + "\r\n");

    view_.setSelected(0, true);
    view_.setSelected(2, true);
    EXPECT_EQ(formatPls(view_, true), "[playlist]\r\nFile1=" + a +
                                          "\r\nTitle1=Alpha - First\r\n"
                                          "Length1=" +
                                          la + "\r\nFile3=" + c + "\r\nTitle3=Gam  ma - Third\r\nLength3=" +
                                          lc + "\r\nNumberOfEntries=3\r\nVersion=2");
#ifndef _WIN32  // Windows names hold no line break
    // A name with a line break would split into two entries: left out, and listed.
    const std::string evil = MakeSong("evil\n" + std::string("injected") + ".mp3", 1, "E", "Evil");
    view_.appendRow(playlist_.entryAt(playlist_.addFile(evil)));
    view_.setSelected(3, true);
    EXPECT_EQ(unwritablePlaylistNames(view_, true), std::vector<std::string>{evil});
    for (const std::string& text : {formatM3u(view_, false), formatPls(view_, false)}) {
        EXPECT_EQ(text.find("injected"), std::string::npos) << text;
    }
#endif
}

TEST_F(M3uPlsTest, PathsLongerThanTheSystemAllowsAreLeftOutQuickly) {
    const std::string song = MakeSong("a.mp3", 1, "A", "T");
    const std::string list = dir_.Path("list.m3u");
    const std::string huge = std::string(10 << 20, 'd') + "/x.mp3";
    std::string huge_path;
    for (int i = 0; i < 200000; ++i) huge_path += "d/";
    ASSERT_TRUE(WriteBytes(list, "#EXTM3U\n" + huge + "\n" + huge_path + "x.mp3\n" + song + "\n"));
    int tooLong = 0;
    ASSERT_TRUE(readM3u(list, playlist_, view_, &tooLong));
    EXPECT_EQ(tooLong, 2);
    EXPECT_EQ(Names(), std::vector<std::string>{song});
}

}  // namespace
}  // namespace td
