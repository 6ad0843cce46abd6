#include "playlist/export.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "playlist/export_markup.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/id3v2/frame.h"
#include "window/test_songs.h"

namespace td {
namespace {

using namespace test;

constexpr char kDate[] = "2024/05/06 07:08";

// Every line break is CR LF: no lone LF and no lone CR.
bool OnlyCrLf(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) return false;
    }
    return true;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ExportTest : public ::testing::Test {
protected:
    ExportTest() : view_(list_) {
        LangTable::useBuiltinEnglish();
        options_.date = kDate;
    }

    SongRecord& Add(const std::string& path, int seconds = 65, uint32_t size = 5000000) {
        return test::AddSong(list_, path, seconds, size, 1);
    }
    static void SetV1(SongRecord& record, const char* artist, const char* title) {
        test::SetV1(record, artist, title);
        record.SetTagFlags(record.GetTagFlags() | kTagId3v1);
    }
    // Shows exactly `ids`, in that order, and puts every entry in the view.
    void Show(const std::vector<int>& ids) {
        std::array<int32_t, kColumnCount> order{}, visible{}, width{};
        size_t n = 0;
        for (int id : ids) {
            visible[static_cast<size_t>(id)] = 1;
            order[n++] = id;
        }
        for (int id = 0; id < kColumnCount; ++id) {
            if (!visible[static_cast<size_t>(id)]) order[n++] = id;
        }
        view_.buildColumns(order, visible, width, 0);
        view_.rebuildFromPlaylist();
    }
    std::string Table() { return formatHtmlTable(view_, options_, "out/report.html"); }
    std::string Listing() { return formatHtmlListing(view_, options_, "out/report.html"); }

    Playlist list_;
    PlaylistView view_;
    ExportOptions options_;
};

// The page's head and styles are read back in a browser by the export
// checks; here the rows and the totals under the table.
TEST_F(ExportTest, HtmlTableRowsAndTotals) {
    Show({kColumnTime});
    EXPECT_TRUE(Contains(Table(), "Total files: 0<br>")) << Table();  // nothing to count, nothing divided
    SongRecord& song = Add("/m/a.mp3");
    SetV1(song, "Band", "Song");
    Show({kColumnArtist, kColumnTime});
    const std::string page = Table();
    EXPECT_TRUE(OnlyCrLf(page));
    EXPECT_TRUE(Contains(page,
                         "<th>Artist</th>\r\n<th>Time</th>\r\n</tr>\r\n"
                         "<tr class=\"ColumnText\">\r\n<td>1</td>\r\n<td nowrap>Band</td>\r\n"
                         "<td nowrap>01:05</td>\r\n</tr>\r\n</table>\r\n"))
        << page;
    EXPECT_TRUE(Contains(page, "Total files: 1<br>\r\nTotal size: 4 MB<br>\r\nTotal length: " +
                                   longTimeText(65) + "<br>\r\nAvg length: 01:05<br>\r\n"))
        << page;
    EXPECT_TRUE(Contains(page, std::string("Date: ") + kDate + "<br>\r\n</body></html>\r\n"));
    EXPECT_TRUE(Contains(page, "font-style:normal; font-weight:bold;")) << page;  // the headings' style
    // Both tags: each tag column twice, ID3v1 first; other columns once; the
    // view keeps its own source.
    SetV2(song, kTPE1, "V2 Band");
    options_.bothTags = true;
    view_.setViewSource(3);
    Show({kColumnArtist, kColumnPath});
    EXPECT_TRUE(Contains(Table(),
                         "<th>Artist(id3v1)</th>\r\n<th>Artist(id3v2)</th>\r\n<th>Path</th>\r\n</tr>\r\n"
                         "<tr class=\"ColumnText\">\r\n<td>1</td>\r\n<td nowrap>Band</td>\r\n"
                         "<td nowrap>V2 Band</td>\r\n<td nowrap>/m/</td>\r\n</tr>\r\n"))
        << Table();
    EXPECT_TRUE(Contains(Listing(),
                         "<B>(id3v1) Band - Song</B><BR>\r\n<B>(id3v2) V2 Band - </B><BR>\r\n"
                         "- Path: /m/<BR>\r\n<BR>\r\n"))
        << Listing();
    Show({kColumnAlbum});
    EXPECT_TRUE(Contains(Listing(), "- Album (id3v1):  <BR>\r\n- Album (id3v2): ")) << Listing();
    EXPECT_EQ(view_.viewSource(), 3);
    // The ID3v2 column shows the ID3v2 tag alone: its missing title stays empty.
    Show({kColumnTitle});
    EXPECT_TRUE(Contains(Table(), "<td nowrap>Song</td>\r\n<td>&nbsp;</td>\r\n")) << Table();
    // A song of unknown length adds nothing to the total length.
    Add("/m/unknown.mp3", -1);
    Show({kColumnTime});
    EXPECT_TRUE(Contains(Table(), "Total files: 2<br>\r\nTotal size: 8 MB<br>\r\nTotal length: " +
                                      longTimeText(65) + "<br>"))
        << Table();
    // With links, the Artist cell and the listing's headings open the file.
    options_.hyperlink = true;
    options_.bothTags = false;
    Show({kColumnArtist});
    EXPECT_TRUE(Contains(Table(), "<td><a href =\"file:///m/unknown.mp3\">&nbsp;</a></td>\r\n")) << Table();
    EXPECT_TRUE(Contains(Listing(), "<a href =\"file:///m/a.mp3\">Band - Song</a><BR>\r\n")) << Listing();
}

// The text each format gives for one song; the aligned text in full.
TEST_F(ExportTest, EveryFormatWritesItsOwnText) {
    SongRecord& song = Add("/m/a.mp3");
    SetV1(song, "Band", "Song");
    Show({kColumnArtist, kColumnTime});
    const std::string aligned = "Artist  | Time   | \r\n--------+--------+-\r\nBand    | 01:05  | \r\n";
    const std::vector<std::pair<ExportFormat, std::string>> cases = {
        {ExportFormat::HtmlTable, "<td nowrap>Band</td>"},
        {ExportFormat::HtmlListing, "<B>Band - Song</B>"},
        {ExportFormat::M3u, "#EXTINF,65,Band - Song\r\n/m/a.mp3"},
        {ExportFormat::Pls, "File1=/m/a.mp3"},
        {ExportFormat::TextTabs, "Band\t01:05\r\n"},
        {ExportFormat::TextAligned, aligned},
        {ExportFormat::Csv, "\"Band\";\"01:05\""},
        {ExportFormat::Xml, "<ARTIST>Band</ARTIST>"},
    };
    for (const auto& [format, part] : cases) {
        const std::string text = formatExport(format, view_, options_, "out/report.html");
        EXPECT_TRUE(Contains(text, part)) << static_cast<int>(format) << "\n" << text;
    }
}

// The chosen name gets the format's extension once.
TEST(ExportFilterTest, TheChosenNameGetsTheExtensionOnce) {
    EXPECT_EQ(ensureExportExtension("list", ExportFormat::M3u), "list.m3u");
    EXPECT_EQ(ensureExportExtension("list.M3U", ExportFormat::M3u), "list.M3U");
    EXPECT_EQ(ensureExportExtension(".m3u", ExportFormat::M3u), ".m3u");
    EXPECT_EQ(ensureExportExtension("list.m3u", ExportFormat::Pls), "list.m3u.pls");
}

TEST(ExportMarkup, FileUrlsAndMarkupEscaping) {
    EXPECT_EQ(fileUrl("C:\\Music\\Rock & Roll\\a'b.mp3"), "file:///C:/Music/Rock%20%26%20Roll/a%27b.mp3");
    EXPECT_EQ(fileUrl("\\\\server\\share\\x y.mp3"), "file://server/share/x%20y.mp3");
    EXPECT_EQ(fileUrl("rel/x y.mp3"), "rel/x%20y.mp3");  // no root: no scheme either
    for (char c : fileUrl("/m/\"<>\t\n\x7F.mp3")) {
        EXPECT_TRUE(c > 0x20 && c < 0x7F && c != '"' && c != '<' && c != '>');
    }
    std::string html;
    appendMarkupAnsi(html, "a'b\tc\x7F\x01\x1F", MarkupKind::Html, false);
    EXPECT_EQ(html, "a&#39;b\tc");
    std::string attribute;
    appendMarkupAnsi(attribute, "a\tb\nc\rd", MarkupKind::Xml, true);
    EXPECT_EQ(attribute, "a&#x9;b&#xA;c&#xD;d");
    std::string lines;
    appendMarkupAnsi(lines, "a\r\nb\rc\r\n", MarkupKind::Html, false);
    EXPECT_EQ(lines, "a\r\nb\r\nc\r\n");  // one break for each, the last too
    std::string other;
    appendMarkupCodePoint(other, 0x80, MarkupKind::Html, false);  // a C1 control, not the euro sign
    appendMarkupCodePoint(other, 0x80, MarkupKind::Xml, false);
    appendMarkupCodePoint(other, 0x1F600, MarkupKind::Xml, false);
    appendMarkupCodePoint(other, 0xFFFE, MarkupKind::Xml, false);
    appendMarkupCodePoint(other, 0xD800, MarkupKind::Xml, false);
    EXPECT_EQ(other, "&#x80;&#x1F600;");
#ifndef _WIN32
    // A UTF-8 name beyond the code page: a surrogate pair is one character
    // whatever follows it.
    std::string path;
    appendMarkupNative(path, "/m/\xF0\x9F\x98\x80\xF0\x90\x8F\xBF\r\n\xEF\xBC\x81\n", MarkupKind::Xml, false);
    EXPECT_EQ(path, "/m/&#x1F600;&#x103FF;\r\n&#xFF01;\r\n");  // line breaks as in the other texts
#endif
}

}  // namespace
}  // namespace td
