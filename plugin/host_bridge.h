// Every exchange with the host player's main window, as named operations:
// requests (message 1024, answered synchronously), the hand-over of a file
// name (copy data, kind 100) and posted menu commands. The messages travel
// through a HostChannel, so the operations and the composite sequences built
// from them run (and are tested) without a host.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace td {

class Playlist;
class PlaylistView;

// The transport. The Win32 implementation sends to the window of class
// "Winamp v1.x"; tests record what is sent.
class HostChannel {
public:
    virtual ~HostChannel() = default;
    // False when the host's main window could not be found.
    virtual bool connected() const = 0;
    // Message 1024: first parameter `argument`, second `requestId`.
    virtual intptr_t request(intptr_t argument, int requestId) = 0;
    // Message 74 with a copy-data record of kind 100 holding `path` and its
    // terminating zero. Returns the host's answer.
    virtual intptr_t handOver(const std::string& path) = 0;
    // Message 273 posted with `commandId`, second parameter 0.
    virtual void post(int commandId) = 0;
    // The host's own M3U file (its program file with the extension "m3u");
    // empty when unknown.
    virtual std::string hostPlaylistPath() const = 0;
    // Reads the text at an address the host returned (request 211).
    virtual std::string readText(intptr_t address) const = 0;
};

// Request ids and commands.
enum HostRequest : int {
    kRequestClearPlaylist = 101,
    kRequestStartPlay = 102,
    kRequestIsPlaying = 104,
    kRequestPosition = 105,
    kRequestJumpToTime = 106,
    kRequestWritePlaylist = 120,
    kRequestSetPlaylistPos = 121,
    kRequestVolume = 122,
    kRequestListPos = 125,
    kRequestPlaylistFile = 211,
};
constexpr int kCopyDataPlayFile = 100;

enum HostCommand : int {
    kHostFileOpen = 40029,
    kHostTogglePlaylistEditor = 40040,
    kHostMainMenuFirst = 40041,  // identifies the host's main popup menu
    kHostExit = 40001,
    kHostPrevious = 40044,
    kHostPlay = 40045,
    kHostPause = 40046,
    kHostStop = 40047,
    kHostNext = 40048,
    kHostVolumeUp = 40058,
    kHostVolumeDown = 40059,
    kHostStopFadeOut = 40147,
    kHostOpenLocation = 40185,
    kHostOpenDirectory = 40187,
};

// What the position panel shows after one refresh.
struct PositionPanel {
    int lengthSeconds = 0;    // slider range 0..lengthSeconds
    int positionSeconds = 0;  // slider position
    int pageSize = 0;         // lengthSeconds / 10
    int lineSize = 0;         // lengthSeconds / 100
    std::string elapsedText;  // "mm:ss" or "hh:mm:ss"
    std::string totalText;
    std::string fileName;     // the host's current entry
    int volume = 0;           // 0..255
    std::string volumeLabel;  // LangTable 127 filled with the percentage
};

class HostBridge {
public:
    explicit HostBridge(HostChannel& channel);

    HostChannel& channel() { return channel_; }
    bool connected() const { return channel_.connected(); }

    // Requests; each returns -1 without sending when not connected.
    intptr_t ClearPlaylist();
    intptr_t StartPlay();
    bool IsPlaying();
    intptr_t GetPositionMs();
    intptr_t GetLengthSec();
    intptr_t JumpToTime(intptr_t milliseconds);
    intptr_t WritePlaylist();
    intptr_t SetPlaylistPos(intptr_t index);
    intptr_t SetVolume(intptr_t volume);
    intptr_t GetVolume();
    intptr_t GetListPos();                           // 1-based
    std::string GetPlaylistFile(intptr_t position);  // 1-based; "" when none

    bool Enqueue(const std::string& path);
    // Posts a command; nothing when not connected.
    void Command(int commandId);

    // Composite operations, in their fixed order.
    // `markFirst` is called just before the first file is enqueued.
    void PlayFiles(const std::vector<std::string>& paths, const std::function<void()>& markFirst);
    void PlayOne(const std::string& path);
    void EnqueueFiles(const std::vector<std::string>& paths);
    // WritePlaylist, then the host's M3U read into `playlist`/`view`.
    bool ReloadFromHost(Playlist& playlist, PlaylistView& view);
    // WritePlaylist, then the path of the host's M3U for the gathering worker
    // (GatherRequest::HostReload); "" when the host names none.
    std::string WriteHostPlaylist();
    PositionPanel RefreshPositionPanel();
    void Seek(int sliderPosition);
    void ChangeVolume(int sliderPosition);
    void PreviousTrack();
    void PlayPause();

    // "Volume %d%%" (LangTable 127) with volume * 100 / 255.
    static std::string VolumeLabel(int volume);
    // "%02d:%02d", or "%02d:%02d:%02d" when there are hours.
    static std::string PanelTime(int64_t seconds);

private:
    HostChannel& channel_;
};

}  // namespace td
