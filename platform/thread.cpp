#include "platform/thread.h"

#include <map>

namespace td {

const char kQuitEventName[] = "QuitEvent";

void Event::set() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = true;
    }
    changed_.notify_all();
}

void Event::reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
}

bool Event::poll() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!signalled_) return false;
    if (autoReset_) signalled_ = false;
    return true;
}

bool Event::wait(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto isSet = [this] { return signalled_; };
    if (milliseconds < 0) {
        changed_.wait(lock, isSet);
    } else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), isSet)) {
        return false;
    }
    if (autoReset_) signalled_ = false;
    return true;
}

std::shared_ptr<Event> OpenNamedEvent(const std::string& name) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<Event>> events;
    std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<Event> event = events[name].lock();
    if (!event) {
        event = std::make_shared<Event>(true, false);
        events[name] = event;
    }
    return event;
}

Thread::~Thread() { join(); }

bool Thread::start(std::function<void()> body) {
    if (thread_.joinable() || !body) return false;
    try {
        thread_ = std::thread(std::move(body));
    } catch (...) {
        return false;
    }
    return true;
}

void Thread::join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void SleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace td
