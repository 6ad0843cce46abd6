#include "plugin/host_bridge.h"

#include <algorithm>
#include <cstdio>

#include "playlist/m3u_pls.h"
#include "playlist/text_format.h"
#include "settings/lang_table.h"

namespace td {

namespace {

constexpr int kLangVolumeLabel = 127;  // "Volume %d%%"
constexpr intptr_t kVolumeQuery = -666;
// At or below this position a "previous" press goes to the previous song;
// beyond it the current song starts again.
constexpr intptr_t kRestartThresholdMs = 2000;

}  // namespace

HostBridge::HostBridge(HostChannel& channel) : channel_(channel) {}

// --- requests ---------------------------------------------------------------

intptr_t HostBridge::ClearPlaylist() { return connected() ? channel_.request(0, kRequestClearPlaylist) : -1; }

intptr_t HostBridge::StartPlay() { return connected() ? channel_.request(0, kRequestStartPlay) : -1; }

bool HostBridge::IsPlaying() {
    // Paused (3) and every failure count as not playing.
    return connected() && channel_.request(0, kRequestIsPlaying) == 1;
}

intptr_t HostBridge::GetPositionMs() { return connected() ? channel_.request(0, kRequestPosition) : -1; }

intptr_t HostBridge::GetLengthSec() { return connected() ? channel_.request(1, kRequestPosition) : -1; }

intptr_t HostBridge::JumpToTime(intptr_t milliseconds) {
    return connected() ? channel_.request(milliseconds, kRequestJumpToTime) : -1;
}

intptr_t HostBridge::WritePlaylist() { return connected() ? channel_.request(0, kRequestWritePlaylist) : -1; }

intptr_t HostBridge::SetPlaylistPos(intptr_t index) {
    return connected() ? channel_.request(index, kRequestSetPlaylistPos) : -1;
}

intptr_t HostBridge::SetVolume(intptr_t volume) {
    return connected() ? channel_.request(volume, kRequestVolume) : -1;
}

intptr_t HostBridge::GetVolume() { return connected() ? channel_.request(kVolumeQuery, kRequestVolume) : -1; }

intptr_t HostBridge::GetListPos() { return connected() ? channel_.request(0, kRequestListPos) + 1 : -1; }

std::string HostBridge::GetPlaylistFile(intptr_t position) {
    if (!connected()) return std::string();
    const intptr_t address = channel_.request(position - 1, kRequestPlaylistFile);
    // The host answers 0 for an index outside its list; -1 is never an
    // address either. The text is copied at once: the host may free it at its
    // next playlist change.
    if (address == 0 || address == -1) return std::string();
    return channel_.readText(address);
}

bool HostBridge::Enqueue(const std::string& path) { return connected() && channel_.handOver(path) == 1; }

void HostBridge::Command(int commandId) {
    if (connected()) channel_.post(commandId);
}

// --- composite operations ---------------------------------------------------

void HostBridge::PlayFiles(const std::vector<std::string>& paths, const std::function<void()>& markFirst) {
    // Nothing to play must not cost the user the host's own playlist.
    if (paths.empty()) return;
    ClearPlaylist();
    bool first = true;
    for (const std::string& path : paths) {
        if (first && markFirst) markFirst();
        first = false;
        Enqueue(path);  // one file the host refuses does not stop the others
    }
    SetPlaylistPos(0);
    StartPlay();
}

void HostBridge::PlayOne(const std::string& path) {
    ClearPlaylist();
    Enqueue(path);
    StartPlay();
}

void HostBridge::EnqueueFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) Enqueue(path);
}

bool HostBridge::ReloadFromHost(Playlist& playlist, PlaylistView& view) {
    const std::string path = WriteHostPlaylist();
    if (path.empty()) return false;
    return readM3u(path, playlist, view);
}

std::string HostBridge::WriteHostPlaylist() {
    WritePlaylist();
    return channel_.hostPlaylistPath();
}

PositionPanel HostBridge::RefreshPositionPanel() {
    PositionPanel panel;
    // A host that does not answer (-1) shows an empty panel rather than
    // negative times and a reversed slider range.
    const intptr_t positionMs = std::max<intptr_t>(GetPositionMs(), 0);
    const intptr_t lengthSec = std::max<intptr_t>(GetLengthSec(), 0);
    panel.lengthSeconds = static_cast<int>(std::min<intptr_t>(lengthSec, INT32_MAX));
    panel.positionSeconds = static_cast<int>(positionMs / 1000);
    panel.pageSize = panel.lengthSeconds / 10;
    panel.lineSize = panel.lengthSeconds / 100;
    panel.elapsedText = PanelTime(panel.positionSeconds);
    panel.totalText = PanelTime(panel.lengthSeconds);
    panel.fileName = GetPlaylistFile(GetListPos());
    panel.volume = static_cast<int>(std::clamp<intptr_t>(GetVolume(), 0, 255));
    panel.volumeLabel = VolumeLabel(panel.volume);
    return panel;
}

void HostBridge::Seek(int sliderPosition) {
    // Seconds to milliseconds without overflowing a 32-bit parameter.
    const int64_t ms = std::clamp<int64_t>(int64_t{sliderPosition} * 1000, 0, INT32_MAX);
    JumpToTime(static_cast<intptr_t>(ms));
}

void HostBridge::ChangeVolume(int sliderPosition) { SetVolume(std::clamp(sliderPosition, 0, 255)); }

void HostBridge::PreviousTrack() {
    if (IsPlaying() && GetPositionMs() > kRestartThresholdMs) {
        Command(kHostPlay);  // the current song starts again
    } else {
        Command(kHostPrevious);
    }
}

void HostBridge::PlayPause() { Command(IsPlaying() ? kHostPause : kHostPlay); }

std::string HostBridge::VolumeLabel(int volume) {
    // The text may come from a language file: it is data, not a format the
    // C library may trust.
    return FormatLangText(LangTable::getString(kLangVolumeLabel), {volume * 100 / 255});
}

std::string HostBridge::PanelTime(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const long long hours = seconds / 3600;
    const int minutes = static_cast<int>(seconds / 60 % 60);
    const int secs = static_cast<int>(seconds % 60);
    char text[48];
    if (hours != 0) {
        std::snprintf(text, sizeof text, "%02lld:%02d:%02d", hours, minutes, secs);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d", minutes, secs);
    }
    return text;
}

}  // namespace td
