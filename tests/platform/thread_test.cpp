#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace td {
namespace {

TEST(ThreadSeam, ANamedEventIsOneAutoResetObjectForEveryoneWhoNamesIt) {
    std::shared_ptr<Event> window = OpenNamedEvent("TdThreadTestEvent");
    std::shared_ptr<Event> worker = OpenNamedEvent("TdThreadTestEvent");
    ASSERT_TRUE(window && worker);
    EXPECT_FALSE(worker->poll());
    window->set();
    EXPECT_TRUE(worker->poll());
    EXPECT_FALSE(window->poll()) << "one poll consumes the signal";
    window->set();
    window->reset();
    EXPECT_FALSE(worker->wait(0));
    EXPECT_FALSE(OpenNamedEvent("TdOtherEvent")->poll());

    Event manual(false, true);
    EXPECT_TRUE(manual.poll());
    EXPECT_TRUE(manual.wait(0)) << "a manual-reset event stays signalled";
}

TEST(ThreadSeam, AThreadRunsItsBodyOnceOneAtATimeAndJoiningTwiceIsHarmless) {
    std::atomic<int> runs{0};
    Thread thread;
    EXPECT_FALSE(thread.joinable());
    Event release(true, false);
    ASSERT_TRUE(thread.start([&] {
        release.wait(-1);
        ++runs;
    }));
    EXPECT_FALSE(thread.start([] {})) << "one thread at a time";
    release.set();
    thread.join();
    thread.join();
    EXPECT_FALSE(thread.joinable());
    EXPECT_EQ(runs.load(), 1);
    ASSERT_TRUE(thread.start([&] { ++runs; }));
    thread.join();
    EXPECT_EQ(runs.load(), 2);
}

}  // namespace
}  // namespace td
