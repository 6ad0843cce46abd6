#include "plugin/host_bridge.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "playlist/m3u_pls.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"
#include "tests/support/test_support.h"

namespace td {
namespace {

// One message as the host would have seen it.
struct Sent {
    enum Kind { Request, HandOver, Post } kind;
    intptr_t argument;  // request argument / command id
    int id;             // request id
    std::string path;   // hand-over text

    bool operator==(const Sent& o) const {
        return kind == o.kind && argument == o.argument && id == o.id && path == o.path;
    }
};

std::ostream& operator<<(std::ostream& os, const Sent& s) {
    static const char* const kNames[] = {"request", "hand-over", "post"};
    return os << kNames[s.kind] << "(" << s.argument << ", " << s.id << ", \"" << s.path << "\")";
}

Sent Req(intptr_t argument, int id) { return {Sent::Request, argument, id, ""}; }
Sent Hand(const std::string& path) { return {Sent::HandOver, 0, 0, path}; }
Sent Cmd(int command) { return {Sent::Post, command, 0, ""}; }

// Records everything and answers requests from a table (request id and
// argument -> answer; 0 for anything not listed).
class RecordingChannel : public HostChannel {
public:
    bool connected() const override { return connected_; }
    intptr_t request(intptr_t argument, int requestId) override {
        sent.push_back(Req(argument, requestId));
        auto it = answers.find({requestId, argument});
        if (it != answers.end()) return it->second;
        it = answers.find({requestId, kAnyArgument});
        return it != answers.end() ? it->second : 0;
    }
    intptr_t handOver(const std::string& path) override {
        sent.push_back(Hand(path));
        return refused.count(path) ? 0 : 1;
    }
    void post(int commandId) override { sent.push_back(Cmd(commandId)); }
    std::string hostPlaylistPath() const override { return playlistPath; }
    // No address the host gives here is a text to read.
    std::string readText(intptr_t) const override { return "<bad address>"; }

    static constexpr intptr_t kAnyArgument = INTPTR_MIN;
    bool connected_ = true;
    std::vector<Sent> sent;
    std::map<std::pair<int, intptr_t>, intptr_t> answers;
    std::map<std::string, int> refused;
    std::string playlistPath;
};

class HostBridgeTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }
    void TearDown() override { LangTable::useBuiltinEnglish(); }

    RecordingChannel channel_;
    HostBridge bridge_{channel_};
};

// Positions and names against a real host list are in the bridge's window
// tests; here the answers that must not be taken for a text's address.
TEST_F(HostBridgeTest, AFileOutsideTheListIsNotRead) {
    for (intptr_t answer : {0, -1}) {
        channel_.answers[{kRequestPlaylistFile, RecordingChannel::kAnyArgument}] = answer;
        EXPECT_EQ(bridge_.GetPlaylistFile(7), "");  // "<bad address>" would mean it was read
    }
}

TEST_F(HostBridgeTest, WithoutTheHostNothingIsSentAndEverythingFails) {
    channel_.connected_ = false;
    EXPECT_EQ(bridge_.ClearPlaylist(), -1);
    EXPECT_FALSE(bridge_.IsPlaying());
    EXPECT_EQ(bridge_.GetPositionMs(), -1);
    EXPECT_EQ(bridge_.GetPlaylistFile(1), "");
    EXPECT_FALSE(bridge_.Enqueue("a.mp3"));
    bridge_.Command(kHostPlay);
    bridge_.PlayFiles({"a.mp3", "b.mp3"}, nullptr);
    bridge_.PreviousTrack();
    bridge_.PlayPause();
    Playlist playlist;
    PlaylistView view(playlist);
    EXPECT_FALSE(bridge_.ReloadFromHost(playlist, view));
    const PositionPanel panel = bridge_.RefreshPositionPanel();
    EXPECT_TRUE(channel_.sent.empty());

    // An unanswered panel is an empty one, not negative times.
    EXPECT_EQ(panel.lengthSeconds, 0);
    EXPECT_EQ(panel.totalText, "00:00");
    EXPECT_EQ(panel.volumeLabel, "Volume 0%");
}

TEST_F(HostBridgeTest, PlayingNothingLeavesTheHostsListAlone) {
    bridge_.PlayFiles({}, [] { ADD_FAILURE() << "nothing is marked"; });
    EXPECT_TRUE(channel_.sent.empty());
}

TEST_F(HostBridgeTest, ARefusedFileFailsAndDoesNotStopTheOthers) {
    channel_.refused["C:\\b.mp3"] = 1;
    EXPECT_FALSE(bridge_.Enqueue("C:\\b.mp3"));
    EXPECT_TRUE(bridge_.Enqueue("C:\\a.mp3"));
    channel_.sent.clear();
    bridge_.EnqueueFiles({"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"});
    EXPECT_EQ(channel_.sent, (std::vector<Sent>{Hand("C:\\a.mp3"), Hand("C:\\b.mp3"), Hand("C:\\c.mp3")}));
}

TEST_F(HostBridgeTest, PreviousRestartsTheSongOnlyAfterTwoSeconds) {
    struct Case {
        intptr_t playing, positionMs;
        int command;
    };
    for (const Case& c : {Case{1, 2000, kHostPrevious}, Case{1, 2001, kHostPlay},
                          Case{0, 90000, kHostPrevious}, Case{3, 90000, kHostPrevious}}) {
        channel_.sent.clear();
        channel_.answers[{kRequestIsPlaying, 0}] = c.playing;
        channel_.answers[{kRequestPosition, 0}] = c.positionMs;
        bridge_.PreviousTrack();
        ASSERT_FALSE(channel_.sent.empty());
        EXPECT_EQ(channel_.sent.back(), Cmd(c.command)) << c.playing << " at " << c.positionMs;
    }
}

TEST_F(HostBridgeTest, PositionPanelFromTheHostsAnswers) {
    channel_.answers[{kRequestPosition, 0}] = 125999;  // 2:05.999
    channel_.answers[{kRequestPosition, 1}] = 3725;    // 1:02:05
    channel_.answers[{kRequestVolume, -666}] = 128;

    const PositionPanel panel = bridge_.RefreshPositionPanel();
    EXPECT_EQ(panel.positionSeconds, 125);
    EXPECT_EQ(panel.elapsedText, "02:05");
    EXPECT_EQ(panel.totalText, "01:02:05");
    EXPECT_EQ(panel.volumeLabel, "Volume 50%");
}

TEST_F(HostBridgeTest, TranslatedVolumeLabelIsFilledSafely) {
    // A translator's text with a conversion that has no argument must not
    // read one that is not there.
    const std::string language = "#127 \"Lautst\xE4rke %d%% %s %n\"";
    LangTable::useLanguageImage(language.data(), language.size());
    EXPECT_EQ(HostBridge::VolumeLabel(255), "Lautst\xE4rke 100% %s %n");
    const std::string empty = "#1 \"x\"";
    LangTable::useLanguageImage(empty.data(), empty.size());
    EXPECT_EQ(HostBridge::VolumeLabel(255), "");
}

TEST_F(HostBridgeTest, ReloadAsksTheHostToWriteThenReadsItsList) {
    test::TempDir dir;
    channel_.playlistPath = dir.Path("host.m3u");
    ASSERT_TRUE(test::WriteBytes(channel_.playlistPath,
                                 "#EXTM3U\r\n#EXTINF:1,A\r\none.mp3\r\n"
                                 "two.mp3\r\n"));
    Playlist playlist;
    PlaylistView view(playlist);
    ASSERT_TRUE(bridge_.ReloadFromHost(playlist, view));
    EXPECT_EQ(channel_.sent, std::vector<Sent>{Req(0, 120)});
    EXPECT_EQ(view.rowCount(), 2);
    // Without the host's file the list is kept.
    channel_.playlistPath = dir.Path("absent.m3u");
    EXPECT_FALSE(bridge_.ReloadFromHost(playlist, view));
    EXPECT_EQ(view.rowCount(), 2);
}

}  // namespace
}  // namespace td
