#include "window/file_gatherer.h"

#include <utility>

#include "platform/copy_file.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "platform/folder_walk.h"
#include "playlist/kq3.h"
#include "playlist/m3u_pls.h"
#include "playlist/playlist.h"
#include "playlist/view.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"

namespace td {

namespace {

constexpr int kTextBadPls = 131;  // "Bad file: PLS playlist"

// The folder part of `path`, separator included; "" when it has none.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

// --- requests -----------------------------------------------------------------

GatherRequest GatherRequest::Directory(const std::string& folder, bool recurse) {
    GatherRequest r;
    r.kind = GatherKind::Directory;
    r.folder = WithoutTrailingSeparator(folder);
    r.recurse = recurse;
    return r;
}

GatherRequest GatherRequest::Files(std::vector<std::string> paths) {
    GatherRequest r;
    r.kind = GatherKind::Files;
    r.paths = std::move(paths);
    return r;
}

GatherRequest GatherRequest::Dropped(std::vector<std::string> paths) {
    GatherRequest r;
    r.kind = GatherKind::Dropped;
    r.paths = std::move(paths);
    r.recurse = true;
    return r;
}

GatherRequest GatherRequest::Import(const std::string& playlistFile, PlaylistFormat format) {
    GatherRequest r;
    r.kind = GatherKind::Import;
    r.playlistFile = playlistFile;
    r.format = format;
    return r;
}

GatherRequest GatherRequest::HostReload(const std::string& hostM3u) {
    GatherRequest r;
    r.kind = GatherKind::HostReload;
    r.playlistFile = hostM3u;
    r.format = PlaylistFormat::M3u;
    return r;
}

GatherRequest GatherRequest::Transfer(bool move, std::vector<std::string> paths, const std::string& folder) {
    GatherRequest r;
    r.kind = move ? GatherKind::Move : GatherKind::Copy;
    r.paths = std::move(paths);
    r.folder = WithoutTrailingSeparator(folder);
    return r;
}

std::string transferDestination(const std::string& folder, const std::string& path) {
    std::string destination = folder;
    if (destination.empty() || (destination.back() != '\\' && destination.back() != '/')) {
        destination += kPathSeparator;
    }
    return destination + BaseName(path);
}

std::string gatherStartMessage(GatherStart result) {
    return result == GatherStart::BadPls ? LangTable::getString(kTextBadPls) : std::string();
}

// --- one run --------------------------------------------------------------------

// The work of one run, on whichever thread runs it.
class FileGatherer::Run {
public:
    Run(FileGatherer& owner, GatherListener* listener) : owner_(owner), listener_(listener) {}

    void execute(const GatherRequest& request) {
        GatherSummary& summary = owner_.summary_;
        switch (request.kind) {
        case GatherKind::Directory:
            useVolumeOf(request.folder);
            walk(request.folder, request.recurse);
            break;
        case GatherKind::Files: addList(request.paths, false); break;
        case GatherKind::Dropped: addList(request.paths, true); break;
        case GatherKind::Import:
        case GatherKind::HostReload:
            // `paths` holds what the playlist file names, read by prepare().
            for (const std::string& path : request.paths) {
                if (stopSeen()) break;
                useVolumeOf(path);
                addOne(path, false);
            }
            break;
        case GatherKind::Copy:
        case GatherKind::Move:
            transfer(request.paths, request.folder, request.kind == GatherKind::Move);
            break;
        }
        summary.stopped = stopped_;
    }

private:
    // True once a stop was asked. The flag is checked every time; the event,
    // a system call away, every kEventPollInterval times. It is auto-reset
    // and shared, so what one poll saw is remembered in the flag.
    bool stopSeen() {
        if (stopped_) return true;
        bool stop = owner_.stopFlag_.load(std::memory_order_relaxed);
        if (!stop && ++checks_ % kEventPollInterval == 0 && owner_.quitEvent_) {
            stop = owner_.quitEvent_->poll();
        }
        if (stop) {
            owner_.stopFlag_.store(true);
            stopped_ = true;
        }
        return stopped_;
    }

    // Examines the volume `path` lies on, here on the worker; the owner
    // makes it current when it takes the entries that follow. A volume that
    // cannot be examined leaves the current one as it was.
    void useVolumeOf(const std::string& path) {
        auto volume = std::make_unique<VolumeRecord>();
        if (!Playlist::probeVolume(path, *volume)) return;
        Finished step;
        step.volume = std::move(volume);
        owner_.handOver(std::move(step));
    }

    void report(const std::string& path) {
        ++owner_.summary_.handled;
        if (listener_) listener_->gatherFile(path);
    }

    // Reads one file and adds it unless a stop came while it was read.
    // `walked`: the file was found by listing a folder, so a file gone or
    // unreadable by now is left out instead of becoming a dead entry.
    void addOne(const std::string& path, bool walked) {
        if (!HasPlaylistExtension(path)) {
            report(path);
            return;
        }
        if (walked && !Readable(path)) {
            owner_.summary_.leftOut.push_back(path);
            owner_.summary_.leftOutReasons.push_back(LastFileError());
            report(path);
            return;
        }
        auto record = std::make_unique<SongRecord>(path, true);
        if (stopSeen()) return;  // the file in hand is dropped whole
        Finished step;
        step.entry = std::move(record);
        owner_.handOver(std::move(step));
        report(path);
    }

    // Only songs that can be read become entries: a file gone since the
    // listing, a FIFO, a device, a link loop or a file we may not read is
    // left out (the file seam opens only regular files, without blocking).
    static bool Readable(const std::string& path) {
        std::unique_ptr<File> file = Fs().Open(path, OpenMode::Read);
        if (!file) return false;
        file->Close();
        return true;
    }

    // Copies or moves each file into `folder`; an abort stops before the next
    // file, and the files handled so far stay where they went.
    void transfer(const std::vector<std::string>& paths, const std::string& folder, bool move) {
        GatherSummary& summary = owner_.summary_;
        for (size_t item = 0; item < paths.size(); ++item) {
            if (stopSeen()) {
                if (owner_.beep_) owner_.beep_();
                SleepMilliseconds(owner_.stopPause_);
                break;
            }
            const std::string& path = paths[item];
            const std::string destination = transferDestination(folder, path);
            if (Readable(destination)) {
                ++summary.existing;
                report(path);
                continue;
            }
            ClearFileError();
            const bool done =
                move ? MoveFileNoReplace(path, destination) : CopyFileNoReplace(path, destination);
            if (!done) {
                summary.failed.push_back(path);
                summary.failedReasons.push_back(LastFileError());
                report(path);
                continue;
            }
            if (move && listener_) listener_->gatherMoved(item, destination);
            report(move ? destination : path);
        }
    }

    void walk(const std::string& folder, bool recurse) {
        WalkOptions options;
        options.recurse = recurse;
        WalkFolder(folder, options, [this](WalkEvent event, const std::string& path) {
            if (stopSeen()) return false;
            if (event == WalkEvent::File) {
                addOne(path, true);
            } else if (event == WalkEvent::Unlisted) {
                owner_.summary_.unlisted.push_back(path);
            }
            return !stopped_;
        });
    }

    void addList(const std::vector<std::string>& paths, bool dropped) {
        std::string lastFolder;
        bool first = true;
        for (const std::string& given : paths) {
            if (stopSeen()) {
                if (owner_.beep_) owner_.beep_();
                SleepMilliseconds(owner_.stopPause_);
                break;
            }
            if (given.empty()) continue;
            if (!dropped) {
                // The open dialog's files share one folder: its volume is
                // made current once, and again only when the folder changes.
                const std::string folder = FolderOf(given);
                if (first || folder != lastFolder) useVolumeOf(given);
                lastFolder = folder;
                first = false;
                addOne(given, false);
                continue;
            }
            FileStatus status;
            if (Fs().GetStatus(given, status) && (status.attributes & kAttrDirectory)) {
                const std::string folder = WithoutTrailingSeparator(given);
                useVolumeOf(folder);
                walk(folder, true);
            } else if (HasPlaylistExtension(given)) {
                useVolumeOf(given);
                addOne(given, false);
            } else {
                report(given);
            }
        }
    }

    FileGatherer& owner_;
    GatherListener* listener_;
    bool stopped_ = false;
    unsigned checks_ = 0;
};

// --- the gatherer -----------------------------------------------------------------

FileGatherer::FileGatherer(Playlist& playlist, PlaylistView* view) : playlist_(playlist), view_(view) {}

FileGatherer::~FileGatherer() { stop(); }

GatherStart FileGatherer::prepare(const GatherRequest& request, GatherRequest& prepared) {
    prepared = request;
    if (request.kind != GatherKind::Import && request.kind != GatherKind::HostReload) {
        return GatherStart::Started;
    }
    std::string text;
    if (readWholePlaylistFile(request.playlistFile, text) != WholeFileRead::Ok) {
        return GatherStart::NotRead;
    }
    bool valid = true;
    prepared.paths.clear();
    if (request.format == PlaylistFormat::Pls) {
        valid = plsPaths(text, request.playlistFile, prepared.paths);
    } else {
        prepared.paths = m3uPaths(text, request.playlistFile);
    }
    // The list is replaced once the file was read, also by a PLS file that
    // turns out not to be one.
    if (view_) view_->clearRows();
    playlist_.clear();
    if (!valid) return GatherStart::BadPls;
    // Lines that name no song (comments, other kinds of file) are not items.
    std::vector<std::string> songs;
    songs.reserve(prepared.paths.size());
    for (std::string& path : prepared.paths) {
        if (!path.empty() && HasPlaylistExtension(path)) songs.push_back(std::move(path));
    }
    prepared.paths = std::move(songs);
    return GatherStart::Started;
}

void FileGatherer::handOver(Finished step) {
    std::lock_guard<std::mutex> lock(finishedMutex_);
    finished_.push_back(std::move(step));
}

int FileGatherer::takeFinished(std::vector<SongRecord*>* added) {
    std::vector<Finished> steps;
    {
        std::lock_guard<std::mutex> lock(finishedMutex_);
        steps.swap(finished_);
    }
    int taken = 0;
    for (Finished& step : steps) {
        if (step.volume) {
            playlist_.useVolume(*step.volume);
            continue;
        }
        const int index = playlist_.add(std::move(step.entry));
        if (index < 0) continue;
        ++taken;
        if (added) added->push_back(playlist_.entryAt(index));
    }
    summary_.added += taken;
    return taken;
}

GatherStart FileGatherer::start(const GatherRequest& request, GatherListener& listener) {
    if (running_.load() || thread_.joinable()) {
        if (running_.load()) return GatherStart::Busy;
        thread_.join();  // an earlier run that ended without stop()
        takeFinished();
    }
    auto prepared = std::make_shared<GatherRequest>();
    const GatherStart ready = prepare(request, *prepared);
    if (ready != GatherStart::Started) return ready;
    summary_ = GatherSummary();
    stopFlag_.store(false);
    if (!quitEvent_) quitEvent_ = OpenNamedEvent(kQuitEventName);
    running_.store(true);
    GatherListener* target = &listener;
    const bool started = thread_.start([this, prepared, target] {
        Run(*this, target).execute(*prepared);
        running_.store(false);
        target->gatherDone();
    });
    if (!started) {
        running_.store(false);
        return GatherStart::NoThread;
    }
    return GatherStart::Started;
}

void FileGatherer::requestStop() {
    stopFlag_.store(true);
    if (quitEvent_ && running_.load()) quitEvent_->set();
}

void FileGatherer::stop() {
    if (!thread_.joinable()) return;
    requestStop();
    thread_.join();
    // A signal the worker did not consume must not stop the next run.
    if (quitEvent_) quitEvent_->reset();
    running_.store(false);
    takeFinished();
}

GatherStart FileGatherer::run(const GatherRequest& request, GatherListener* listener) {
    if (running_.load()) return GatherStart::Busy;
    if (thread_.joinable()) {
        thread_.join();
        takeFinished();
    }
    GatherRequest prepared;
    const GatherStart ready = prepare(request, prepared);
    if (ready != GatherStart::Started) return ready;
    summary_ = GatherSummary();
    stopFlag_.store(false);
    Run(*this, listener).execute(prepared);
    takeFinished();
    if (listener) listener->gatherDone();
    return GatherStart::Started;
}

}  // namespace td
