// Worker threads and the events that stop them, for the workers that gather
// files, search and store ratings. platform/posix implements them with the
// C++ library's threads, platform/win32 with the system's threads and event
// objects.
//
// A worker is told to stop through an event it polls between files without
// ever waiting on it, and it talks to its owner only through a MessageQueue,
// the stand-in for messages posted to a window. The owner waits for the
// worker only after signalling it, and the worker never waits for the owner,
// so stopping cannot deadlock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace td {

// An event: signalled or not. An auto-reset event goes back to "not
// signalled" as soon as one poll or wait has seen it signalled. On Windows it
// is a system event object, so that a named one is shared with every other
// user of the name in the process (the window's own handle included).
class Event {
public:
    explicit Event(bool autoReset = true, bool signalled = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // True when signalled, without waiting (an auto-reset event is consumed).
    bool poll();
    // Waits up to `milliseconds` (negative: without limit); true when signalled.
    bool wait(int milliseconds);

    struct State;  // per platform: platform/posix, platform/win32

private:
    friend std::shared_ptr<Event> OpenNamedEvent(const std::string& name);
    explicit Event(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// The process-wide auto-reset event of that name, created not signalled on
// first use: every caller naming "QuitEvent" shares one object, as named
// system events do (on Windows it is the system's named event itself). Null
// only when the system refuses to create one.
std::shared_ptr<Event> OpenNamedEvent(const std::string& name);
extern const char kQuitEventName[];  // "QuitEvent"

// One worker thread. Destroying a running Thread waits for it to end.
class Thread {
public:
    Thread();
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts `body` on a new thread. False when one is still attached or the
    // thread cannot be created.
    bool start(std::function<void()> body);
    // Waits for the thread to end and lets it go; harmless when none runs
    // and when called from the thread itself.
    void join();
    // True from a successful start until join().
    bool joinable() const;

    struct State;  // per platform

private:
    std::unique_ptr<State> state_;
};

// Sleeps the calling thread.
void SleepMilliseconds(int milliseconds);

// A queue of messages from a worker to its owner, safe between threads.
template <typename T>
class MessageQueue {
public:
    void post(T message) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            items_.push_back(std::move(message));
        }
        ready_.notify_one();
    }
    // Takes the oldest message without waiting; false when none is queued.
    bool tryTake(T& message) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (items_.empty()) return false;
        message = std::move(items_.front());
        items_.pop_front();
        return true;
    }
    // Waits up to `milliseconds` (negative: without limit) for a message.
    bool take(T& message, int milliseconds) {
        std::unique_lock<std::mutex> lock(mutex_);
        auto has = [this] { return !items_.empty(); };
        if (milliseconds < 0) {
            ready_.wait(lock, has);
        } else if (!ready_.wait_for(lock, std::chrono::milliseconds(milliseconds), has)) {
            return false;
        }
        message = std::move(items_.front());
        items_.pop_front();
        return true;
    }
    bool empty() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_.empty();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<T> items_;
};

}  // namespace td
