// Threads and events over the system's own objects, so that a named event is
// the very object every other CreateEvent of that name in the process opens.
#include <windows.h>
#include <process.h>

#include <memory>

#include "platform/thread.h"

namespace td {

const char kQuitEventName[] = "QuitEvent";

struct Event::State {
    HANDLE handle = nullptr;
};

Event::Event(bool autoReset, bool signalled) : state_(std::make_unique<State>()) {
    state_->handle = CreateEventA(nullptr, autoReset ? FALSE : TRUE, signalled ? TRUE : FALSE, nullptr);
}

Event::Event(std::unique_ptr<State> state) : state_(std::move(state)) {}

Event::~Event() {
    if (state_->handle) CloseHandle(state_->handle);
}

void Event::set() {
    if (state_->handle) SetEvent(state_->handle);
}

void Event::reset() {
    if (state_->handle) ResetEvent(state_->handle);
}

bool Event::poll() { return state_->handle && WaitForSingleObject(state_->handle, 0) == WAIT_OBJECT_0; }

bool Event::wait(int milliseconds) {
    if (!state_->handle) return false;
    const DWORD timeout = milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds);
    return WaitForSingleObject(state_->handle, timeout) == WAIT_OBJECT_0;
}

std::shared_ptr<Event> OpenNamedEvent(const std::string& name) {
    // An existing event of that name is opened as it is (auto-reset, as every
    // user of a name creates it).
    HANDLE handle = CreateEventA(nullptr, FALSE, FALSE, name.c_str());
    if (!handle) return nullptr;
    auto state = std::make_unique<Event::State>();
    state->handle = handle;
    return std::shared_ptr<Event>(new Event(std::move(state)));
}

struct Thread::State {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

namespace {

unsigned __stdcall RunBody(void* parameter) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

Thread::Thread() : state_(std::make_unique<State>()) {}

Thread::~Thread() { join(); }

bool Thread::start(std::function<void()> body) {
    if (state_->handle || !body) return false;
    auto* parameter = new std::function<void()>(std::move(body));
    unsigned id = 0;
    // _beginthreadex rather than CreateThread: the C runtime's per-thread
    // data is set up and freed with the thread.
    const uintptr_t handle = _beginthreadex(nullptr, 0, &RunBody, parameter, 0, &id);
    if (handle == 0) {
        delete parameter;
        return false;
    }
    state_->handle = reinterpret_cast<HANDLE>(handle);
    state_->id = id;
    return true;
}

void Thread::join() {
    if (!state_->handle) return;
    if (state_->id != GetCurrentThreadId()) WaitForSingleObject(state_->handle, INFINITE);
    CloseHandle(state_->handle);
    state_->handle = nullptr;
    state_->id = 0;
}

bool Thread::joinable() const { return state_->handle != nullptr; }

void SleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace td
