// Storing ratings into the files' ID3v2 tags: the rating each chosen
// playlist entry carries becomes a POPM frame in its file, on a worker thread
// the user can stop.
//
// The worker never touches a playlist entry. Before it starts, the owner
// copies what it needs (path and stars of each entry) into the worker's own
// job list; the worker reads and writes the files from that list and posts
// each file's freshly read record back through a MessageQueue. The owner
// hands the new data to the entry (CopyFrom) on its own thread when it takes
// the message, so the list can be drawn meanwhile without a data race.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/thread.h"

namespace td {

class Playlist;
class ProgressSink;
class SongRecord;

// LangTable numbers of the dialog's texts.
enum RatingStoreText : int {
    kRatingTextCaption = 373,  // "Store rating into ID3V2..."
    kRatingTextStart = 374,    // "Start"
    kRatingTextStop = 375,     // "Stop"
    kRatingTextClose = 376,    // "Close"
    kRatingTextStatus = 377,   // "Status"
    kRatingTextShowDetails = 378,
    kRatingTextHideDetails = 379,
};
// Fixed texts of the dialog, not taken from the language.
extern const char kRatingReadyText[];    // "Ready"
extern const char kRatingCountFormat[];  // "%d / %d Total"

// One file for the worker: copied from its entry on the owner's thread.
struct RatingJob {
    SongRecord* entry = nullptr;  // identity only: the worker never uses it
    std::string path;
    int stars = 0;
};

// A message from the worker (fileDone or workerFinished).
struct RatingMessage {
    enum Kind { FileDone, WorkerFinished };
    Kind kind = FileDone;
    int index = -1;               // job index (FileDone)
    SongRecord* entry = nullptr;  // the job's entry (FileDone)
    std::string path;             // the file's path (FileDone)
    bool success = false;
    std::string status;  // "Success" or "Failed"
    // The file as written, for the entry to take over (success only).
    std::unique_ptr<SongRecord> record;
    bool stopped = false;  // WorkerFinished: ended by the quit event
};

// Stores one rating into one file: a fresh record of the file, an ID3v2 tag
// if it had none, the POPM frame, the record's rating, SaveTags (no
// read-only question). The written record, or null on failure.
std::unique_ptr<SongRecord> StoreRating(const std::string& path, int stars);

// The worker thread.
class RatingStoreWorker {
public:
    explicit RatingStoreWorker(MessageQueue<RatingMessage>& queue);
    ~RatingStoreWorker();  // stops the worker
    RatingStoreWorker(const RatingStoreWorker&) = delete;
    RatingStoreWorker& operator=(const RatingStoreWorker&) = delete;

    // How long the worker waits after the quit event before it reports
    // (one second in the dialog), and the information beep it sounds then.
    void setQuitPause(int milliseconds) { quitPause_ = milliseconds; }
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    // Starts the worker over `jobs` (taken by move: from here on only the
    // worker uses them). False when a worker still runs or none can start.
    bool start(std::vector<RatingJob> jobs);
    // Sets the quit flag, signals the quit event, waits for the worker and
    // resets the event. Harmless when none runs.
    void stop();
    bool running() const { return thread_.joinable(); }
    bool quitRequested() const { return quit_.load(); }

private:
    void body();

    MessageQueue<RatingMessage>& queue_;
    Thread thread_;
    Event quitEvent_{true, false};  // auto-reset, not signalled
    std::atomic<bool> quit_{false};
    std::vector<RatingJob> jobs_;
    int quitPause_ = 1000;
    std::function<void()> beep_;
};

// The dialog's state without its window: total, counter, the path and count
// lines, the details rows, the Start/Stop button, and the message handling.
class RatingStoreSession {
public:
    // `entries`: the entries selected when the dialog opens (the total is
    // fixed then). `playlist`, when given, is asked whether an entry still
    // exists before it takes new data.
    RatingStoreSession(std::vector<SongRecord*> entries, const Playlist* playlist);
    ~RatingStoreSession();
    RatingStoreSession(const RatingStoreSession&) = delete;
    RatingStoreSession& operator=(const RatingStoreSession&) = delete;

    RatingStoreWorker& worker() { return worker_; }
    void setProgress(ProgressSink* progress) { progress_ = progress; }

    // "Start" (ignored while a worker runs): progress 0..total, details
    // emptied, counter 0, button "Stop", worker started with each entry's
    // path and rating as they are now.
    bool start();
    // "Stop" and workerFinished: button "Start"; the worker is stopped and
    // the messages it posted before stopping are handled.
    void stop();
    // Handles the queued messages, waiting up to `milliseconds` for the
    // first one. Returns how many were handled.
    int pump(int milliseconds);
    // Handles one message as the dialog does.
    void handle(RatingMessage& message);

    int total() const { return static_cast<int>(entries_.size()); }
    int counter() const { return counter_; }
    int failures() const { return failures_; }
    bool running() const { return worker_.running(); }
    // True once workerFinished arrived for the current run.
    bool finished() const { return finished_; }
    bool stoppedByUser() const { return stoppedByUser_; }
    const std::string& pathLine() const { return pathLine_; }
    std::string countLine() const;
    const char* buttonText() const;
    const std::vector<std::pair<std::string, std::string>>& details() const { return details_; }

private:
    std::vector<SongRecord*> entries_;
    const Playlist* playlist_;
    MessageQueue<RatingMessage> queue_;
    RatingStoreWorker worker_;
    ProgressSink* progress_ = nullptr;
    int counter_ = 0;
    int failures_ = 0;
    bool finished_ = false;
    bool stoppedByUser_ = false;
    bool buttonStop_ = false;
    std::string pathLine_;
    std::vector<std::pair<std::string, std::string>> details_;
};

}  // namespace td
