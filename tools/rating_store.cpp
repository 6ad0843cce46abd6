#include "tools/rating_store.h"

#include "playlist/playlist.h"
#include "playlist/text_format.h"
#include "tags/id3v2/frame.h"
#include "tags/id3v2/frame_table.h"
#include "tags/id3v2/id3v2_error.h"
#include "tags/song_record.h"
#include "settings/lang_table.h"
#include "tools/tool_run.h"

namespace td {

const char kRatingReadyText[] = "Ready";
const char kRatingCountFormat[] = "%d / %d Total";

std::unique_ptr<SongRecord> StoreRating(const std::string& path, int stars) {
    if (!ToolFileExists(path)) return nullptr;
    if (stars < 0) stars = 0;
    if (stars > 5) stars = 5;
    auto record = std::make_unique<SongRecord>(path, true);
    if (!record->HasId3v2()) {
        DropFileNameFrame(*record);
        record->SetTagFlags(record->GetTagFlags() | kTagId3v2);
    }
    const std::unique_ptr<Id3v2Frame> popm = CreateFrame(kPOPM);
    if (!popm) return nullptr;
    SetPopmRating(popm.get(), stars);
    record->UpdateFrame(*popm);
    record->SetTagFlags(record->GetTagFlags() | kTagId3v2);
    record->SetRating(stars);
    if (record->SaveTags() != Id3v2Error::NoError) return nullptr;
    return record;
}

// ---------------------------------------------------------------------------
// Worker

RatingStoreWorker::RatingStoreWorker(MessageQueue<RatingMessage>& queue) : queue_(queue) {}

RatingStoreWorker::~RatingStoreWorker() { stop(); }

bool RatingStoreWorker::start(std::vector<RatingJob> jobs) {
    if (thread_.joinable()) return false;
    jobs_ = std::move(jobs);
    quit_ = false;
    quitEvent_.reset();
    return thread_.start([this] { body(); });
}

void RatingStoreWorker::body() {
    bool stopped = false;
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (quitEvent_.poll()) {
            stopped = true;
            break;
        }
        const RatingJob& job = jobs_[i];
        RatingMessage message;
        message.kind = RatingMessage::FileDone;
        message.index = static_cast<int>(i);
        message.entry = job.entry;
        message.path = job.path;
        if (job.entry) message.record = StoreRating(job.path, job.stars);
        message.success = message.record != nullptr;
        message.status = ResultText(message.success);
        queue_.post(std::move(message));
    }
    if (stopped) {
        if (beep_) beep_();
        SleepMilliseconds(quitPause_);
    }
    RatingMessage finished;
    finished.kind = RatingMessage::WorkerFinished;
    finished.stopped = stopped;
    queue_.post(std::move(finished));
}

void RatingStoreWorker::stop() {
    if (!thread_.joinable()) return;
    quit_ = true;
    quitEvent_.set();
    thread_.join();
    quitEvent_.reset();
}

// ---------------------------------------------------------------------------
// Session

RatingStoreSession::RatingStoreSession(std::vector<SongRecord*> entries, const Playlist* playlist)
    : entries_(std::move(entries)), playlist_(playlist), worker_(queue_), pathLine_(kRatingReadyText) {}

RatingStoreSession::~RatingStoreSession() { worker_.stop(); }

bool RatingStoreSession::start() {
    if (worker_.running()) return false;
    // Drop whatever an earlier run left unread.
    RatingMessage stale;
    while (queue_.tryTake(stale)) {
    }
    std::vector<RatingJob> jobs;
    jobs.reserve(entries_.size());
    for (SongRecord* entry : entries_) {
        RatingJob job;
        job.entry = entry;
        if (entry) {
            job.path = entry->GetFileName();
            job.stars = entry->GetRating();
        }
        jobs.push_back(std::move(job));
    }
    if (progress_) progress_->begin(total());
    details_.clear();
    counter_ = 0;
    failures_ = 0;
    finished_ = false;
    stoppedByUser_ = false;
    buttonStop_ = true;
    if (!worker_.start(std::move(jobs))) {
        buttonStop_ = false;
        return false;
    }
    return true;
}

void RatingStoreSession::stop() {
    buttonStop_ = false;
    if (!worker_.running()) return;
    if (!finished_) stoppedByUser_ = true;
    worker_.stop();
    // Files finished before the worker saw the event still report.
    RatingMessage message;
    while (queue_.tryTake(message)) handle(message);
    if (progress_) progress_->end();
}

int RatingStoreSession::pump(int milliseconds) {
    int handled = 0;
    RatingMessage message;
    if (!queue_.take(message, milliseconds)) return 0;
    do {
        handle(message);
        ++handled;
    } while (queue_.tryTake(message));
    return handled;
}

void RatingStoreSession::handle(RatingMessage& message) {
    if (message.kind == RatingMessage::WorkerFinished) {
        if (finished_) return;
        finished_ = true;
        stoppedByUser_ = message.stopped;
        // The dialog stops the (now idle) worker on this message.
        if (worker_.running()) stop();
        buttonStop_ = false;
        return;
    }
    ++counter_;
    if (!message.success) ++failures_;
    // The hand-over happens here, on the owner's thread.
    if (message.success && message.record && message.entry &&
        (!playlist_ || playlist_->indexOf(message.entry) >= 0)) {
        message.entry->CopyFrom(*message.record);
    }
    pathLine_ = message.path;
    details_.emplace_back(message.path, message.status);
    if (progress_) {
        progress_->advance(counter_, total(), countLine() + ": " + message.path);
    }
}

std::string RatingStoreSession::countLine() const {
    return FormatLangText(kRatingCountFormat, {counter_, total()});
}

const char* RatingStoreSession::buttonText() const {
    return LangTable::getString(buttonStop_ ? kRatingTextStop : kRatingTextStart);
}

}  // namespace td
