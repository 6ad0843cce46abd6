// A listener of the gathering worker for tests: notes every file reported,
// every move handed back and the end of the run.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "window/file_gatherer.h"

namespace td::test {

class GatherRecorder : public GatherListener {
public:
    void gatherFile(const std::string& path) override {
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard<std::mutex> lock(mutex);
            files.push_back(path);
            hook = onFile;
        }
        if (hook) hook(path);
    }
    void gatherMoved(size_t item, const std::string& newPath) override {
        std::lock_guard<std::mutex> lock(mutex);
        moves.emplace_back(item, newPath);
    }
    void gatherDone() override {
        std::lock_guard<std::mutex> lock(mutex);
        ++done;
        finished.notify_all();
    }
    void waitDone() {
        std::unique_lock<std::mutex> lock(mutex);
        finished.wait(lock, [this] { return done > 0; });
    }

    std::mutex mutex;
    std::condition_variable finished;
    std::vector<std::string> files;
    std::vector<std::pair<size_t, std::string>> moves;
    int done = 0;
    // Called on the worker's thread after each file is noted.
    std::function<void(const std::string&)> onFile;
};

}  // namespace td::test
