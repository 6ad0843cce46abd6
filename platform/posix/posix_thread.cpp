// Threads and events over the C++ library (pthreads underneath).
#include <map>

#include "platform/thread.h"

namespace td {

const char kQuitEventName[] = "QuitEvent";

struct Event::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool autoReset = true;
    bool signalled = false;
};

Event::Event(bool autoReset, bool signalled) : state_(std::make_unique<State>()) {
    state_->autoReset = autoReset;
    state_->signalled = signalled;
}

Event::Event(std::unique_ptr<State> state) : state_(std::move(state)) {}

Event::~Event() = default;

void Event::set() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->signalled = true;
    }
    state_->changed.notify_all();
}

void Event::reset() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->signalled = false;
}

bool Event::poll() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (!state_->signalled) return false;
    if (state_->autoReset) state_->signalled = false;
    return true;
}

bool Event::wait(int milliseconds) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    auto isSet = [this] { return state_->signalled; };
    if (milliseconds < 0) {
        state_->changed.wait(lock, isSet);
    } else if (!state_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), isSet)) {
        return false;
    }
    if (state_->autoReset) state_->signalled = false;
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

struct Thread::State {
    std::thread thread;
};

Thread::Thread() : state_(std::make_unique<State>()) {}

Thread::~Thread() { join(); }

bool Thread::start(std::function<void()> body) {
    if (state_->thread.joinable() || !body) return false;
    try {
        state_->thread = std::thread(std::move(body));
    } catch (...) {
        return false;
    }
    return true;
}

void Thread::join() {
    std::thread& thread = state_->thread;
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id()) {
        thread.detach();  // ending itself: it is gone once it returns
        return;
    }
    thread.join();
}

bool Thread::joinable() const { return state_->thread.joinable(); }

void SleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace td
