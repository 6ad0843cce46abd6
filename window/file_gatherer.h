// The file gathering worker: reads many audio files (tags and stream header)
// on a thread of its own and hands the finished entries over to the thread
// that owns the Playlist, while the window shows a progress dialog with an
// Abort button.
//
// How the window drives one run:
//
//   FileGatherer gatherer(playlist);          // one per run or per window
//   GatherRequest request = GatherRequest::Directory(folder, recurse);
//   GatherStart started = gatherer.start(request, listener);   // UI thread
//   ... progress dialog runs; the listener notes each gatherFile() and posts
//   ... a message for gatherDone(); a timer of the window calls
//   ... gatherer.takeFinished(&added) and shows the `added` entries ...
//   gatherer.stop();    // on that message, on Abort, and when the window
//                       // closes: joins the worker, never blocks for long,
//                       // and takes whatever the worker finished last
//   then refilter the view, recount the genres, refresh the explorer and
//   rewrite the status bar from gatherer.summary().
//
// Threads: start(), takeFinished() and stop() are called on the owner's
// (user-interface) thread, which alone changes the Playlist, also while a
// run goes: the worker reads each file into a new record and examines the
// volumes, and leaves both in a locked hand-over queue, in order. The
// listener is called on the worker's thread and must only note the news
// (or post a message). A start() that replaces the list empties the view
// and the Playlist on the calling thread before the worker starts.
//
// Copy and Move runs take the Playlist's entries' paths in the request and
// touch neither the Playlist nor the view: each finished move is handed to
// the listener (gatherMoved), whose owner applies it on its own thread. A
// copy never replaces a file (a file present at the destination, or one
// appearing there meanwhile, makes it fail); a move to another volume is a
// copy that is complete, flushed and closed before the source is deleted,
// and a failure at any step leaves the source whole and nothing at the
// destination.
//
// Stopping: stop() and requestStop() raise an atomic stop flag, which the
// worker checks between items and again after reading each file and before
// handing it over, so an abort never leaves a half-added entry: each file is
// handed over whole or not at all. The named auto-reset event "QuitEvent"
// (shared with every other user of that name) stops a run too; as polling
// it is a system call, the worker looks at it only every
// kEventPollInterval checks of the flag. Entries handed over before the
// abort stay.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/thread.h"

namespace td {

class Playlist;
class PlaylistView;
class SongRecord;
struct VolumeRecord;

// What a run gathers.
enum class GatherKind {
    Directory,   // "Add directory": the files of `folder`, subfolders with `recurse`
    Files,       // "Add files": the chosen `paths`, each reported whether taken or not
    Dropped,     // files and folders dropped on the window: `paths`, folders always recursed
    Import,      // "Import": the songs an M3U or PLS `playlistFile` names; replaces the list
    HostReload,  // "Reload" from the host: the host's M3U `playlistFile`; replaces the list
    Copy,        // "Copy To": the files `paths` copied into `folder`
    Move,        // "Move To": the files `paths` moved into `folder`
};

enum class PlaylistFormat { M3u, Pls };

struct GatherRequest {
    GatherKind kind = GatherKind::Files;
    std::string folder;
    bool recurse = false;
    std::vector<std::string> paths;
    std::string playlistFile;
    // Import: the reader the import dialog's filter chose (not the extension).
    PlaylistFormat format = PlaylistFormat::M3u;

    static GatherRequest Directory(const std::string& folder, bool recurse);
    static GatherRequest Files(std::vector<std::string> paths);
    static GatherRequest Dropped(std::vector<std::string> paths);
    static GatherRequest Import(const std::string& playlistFile, PlaylistFormat format);
    static GatherRequest HostReload(const std::string& hostM3u);
    // Copy or Move of the files `paths` (in that order) into `folder`.
    static GatherRequest Transfer(bool move, std::vector<std::string> paths, const std::string& folder);
};

// Where Copy To and Move To put `path`: `folder`, a separator added when it
// has none at its end, and the file's name.
std::string transferDestination(const std::string& folder, const std::string& path);

// Told about a run's progress, on the worker's thread.
class GatherListener {
public:
    virtual ~GatherListener() = default;
    // One item was handled: a file added or refused (not .mp3/.mp2), or a
    // walked file that vanished or became unreadable and was left out. The
    // dialog shows `path` and counts it.
    virtual void gatherFile(const std::string& path) = 0;
    // Move: item `item` of the request's paths now lives at `newPath`. The
    // worker never changes an entry itself: the owner applies the new path
    // on its own thread (the user-interface thread may be reading it).
    // Called before gatherFile for that item.
    virtual void gatherMoved(size_t item, const std::string& newPath) {
        (void)item;
        (void)newPath;
    }
    // The run is over, finished or stopped; called once, last. The summary
    // is complete when this is called.
    virtual void gatherDone() = 0;
};

// Why a run did not start. The texts are the user's (LangTable).
enum class GatherStart {
    Started,
    Busy,      // a run is still going: one at a time
    NotRead,   // the playlist file could not be read: nothing changed, no message
    BadPls,    // PLS without its "[playlist]" line: the list is now empty,
               // message "Bad file: PLS playlist"
    NoThread,  // the system refused a thread: nothing changed
};
// The message box text for a start that failed, or "" when none is shown.
std::string gatherStartMessage(GatherStart result);

// What a run did, for the status bar and for callers that report problems.
struct GatherSummary {
    int handled = 0;                          // items reported through gatherFile
    int added = 0;                            // entries taken into the Playlist (takeFinished)
    bool stopped = false;                     // ended by stop(), not by running out of work
    std::vector<std::string> unlisted;        // folders that could not be listed
    std::vector<std::string> leftOut;         // walked files that vanished or could not be read
    std::vector<std::string> leftOutReasons;  // the system's reason for each, in that order
    // Copy and Move: files found at the destination already (left alone), and
    // the files that could not be copied or moved with the system's reason.
    int existing = 0;
    std::vector<std::string> failed;
    std::vector<std::string> failedReasons;
};

class FileGatherer {
public:
    explicit FileGatherer(Playlist& playlist, PlaylistView* view = nullptr);
    // Stops a run that is still going.
    ~FileGatherer();
    FileGatherer(const FileGatherer&) = delete;
    FileGatherer& operator=(const FileGatherer&) = delete;

    // Starts a run of `request` on the worker thread. Import and HostReload
    // read the playlist file first, on the calling thread (it is small), and
    // empty the view and the Playlist only once it was read.
    GatherStart start(const GatherRequest& request, GatherListener& listener);
    // Stops the run: sets the stop flag, signals "QuitEvent", waits for the
    // worker (it stops at the next item or right after the file in hand),
    // resets the event and takes what the worker finished (takeFinished).
    // Harmless when no run is going.
    void stop();
    // Asks the run to stop without waiting for it (sets the stop flag and
    // signals the event); safe from any thread, the listener's included.
    void requestStop();
    // True from start() until the worker has ended (it may have ended
    // without stop() having been called yet).
    bool running() const { return running_.load(); }

    // The same work on the calling thread, for the command line and tests;
    // `listener` may be null. Import and HostReload give NotRead or BadPls
    // as start() would.
    GatherStart run(const GatherRequest& request, GatherListener* listener);

    // Owner's thread: moves the entries the worker has finished so far into
    // the Playlist, in the order it read them, each counted on the volume
    // that was current for it. Their pointers are appended to `added` when
    // given. Returns how many were taken. stop() and run() take the rest.
    int takeFinished(std::vector<SongRecord*>* added = nullptr);

    // What the last run did; read it after stop() or after gatherDone
    // (`added` also during a run, on the owner's thread).
    const GatherSummary& summary() const { return summary_; }

    // The worker polls "QuitEvent" once in this many checks of the stop flag
    // (there are one or two checks per item).
    static constexpr int kEventPollInterval = 32;

    // Pause after a stop is seen in a file list, before the worker ends, and
    // the beep sounded then (the window gives the information beep and one
    // second; tests give none).
    void setStopPause(int milliseconds) { stopPause_ = milliseconds; }
    void setStopBeep(std::function<void()> beep) { beep_ = std::move(beep); }

private:
    class Run;

    // One step of the hand-over: a finished entry, or (entry null) the
    // volume that counts the entries after it.
    struct Finished {
        std::unique_ptr<SongRecord> entry;
        std::unique_ptr<VolumeRecord> volume;
    };

    GatherStart prepare(const GatherRequest& request, GatherRequest& prepared);
    void handOver(Finished step);

    Playlist& playlist_;
    PlaylistView* view_;
    Thread thread_;
    std::shared_ptr<Event> quitEvent_;
    std::atomic<bool> stopFlag_{false};
    std::atomic<bool> running_{false};
    GatherSummary summary_;
    std::mutex finishedMutex_;
    std::vector<Finished> finished_;  // under finishedMutex_
    int stopPause_ = 0;
    std::function<void()> beep_;
};

}  // namespace td
