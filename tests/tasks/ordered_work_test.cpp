// OrderedWork: batches come back in the order they were handed out, however
// long each takes and with any number of workers; the ring is reused; the
// destructor returns with batches still in hand.
#include "tasks/common/ordered_work.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace egm2008 {
namespace {

struct Batch {
    int number = -1;
    int doubled = -1;
    std::thread::id worker;
};

void Work(Batch& batch) {
    // Uneven durations, so that later batches often finish first.
    if (batch.number % 7 == 3) std::this_thread::sleep_for(std::chrono::microseconds(300));
    batch.doubled = 2 * batch.number;
    batch.worker = std::this_thread::get_id();
}

class OrderedWorkTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(OrderedWorkTest, GivesBatchesBackInSubmissionOrder) {
    OrderedWork<Batch> work(4, GetParam(), Work);
    std::vector<int> seen;
    int next = 0;
    const int total = 500;
    while (static_cast<int>(seen.size()) < total) {
        while (next < total && !work.Full()) {
            work.Fill().number = next++;
            work.Submit();
        }
        ASSERT_TRUE(work.Pending());
        const Batch& batch = work.TakeOldest();
        EXPECT_EQ(batch.doubled, 2 * batch.number);
        if (GetParam() == 0) {
            EXPECT_EQ(batch.worker, std::this_thread::get_id());
        } else {
            EXPECT_NE(batch.worker, std::this_thread::get_id());
        }
        seen.push_back(batch.number);
        work.Release();
    }
    EXPECT_FALSE(work.Pending());
    for (int k = 0; k < total; ++k) ASSERT_EQ(seen[static_cast<std::size_t>(k)], k);
}

TEST_P(OrderedWorkTest, EndsWithBatchesStillInHand) {
    std::atomic<int> started = 0;
    {
        OrderedWork<Batch> work(3, GetParam(), [&started](Batch& batch) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            batch.doubled = 0;
            ++started;
        });
        for (int k = 0; k < 3; ++k) {
            work.Fill().number = k;
            work.Submit();
        }
        EXPECT_TRUE(work.Full());
    }
    EXPECT_LE(started, 3);
}

INSTANTIATE_TEST_SUITE_P(Workers, OrderedWorkTest, ::testing::Values(0u, 1u, 2u));

// Regression: under a process limit the refused std::thread escaped as
// std::system_error and aborted the run; now the batches are worked on by
// the workers that started, or by Submit itself.
std::thread RefuseEveryThread(std::function<void()>) {
    throw std::system_error(EAGAIN, std::generic_category(), "thread");
}
int gThreadsAllowed = 0;
std::thread RefuseAllButTheFirst(std::function<void()> body) {
    if (gThreadsAllowed-- <= 0) return RefuseEveryThread(std::move(body));
    return std::thread(std::move(body));
}

struct RefusalCase {
    const char* name;
    WorkerStarter starter;
    bool onCallingThread;
};

class RefusedWorkers : public ::testing::TestWithParam<RefusalCase> {
protected:
    void SetUp() override {
        gThreadsAllowed = 1;
        previous_ = SetWorkerStarter(GetParam().starter);
    }
    void TearDown() override { SetWorkerStarter(previous_); }
    WorkerStarter previous_ = nullptr;
};

TEST_P(RefusedWorkers, BatchesAreStillDoneInOrder) {
    OrderedWork<Batch> work(4, 2, Work);
    for (int k = 0; k < 40; ++k) {
        if (work.Full()) {
            const Batch& batch = work.TakeOldest();
            EXPECT_EQ(batch.doubled, 2 * batch.number);
            EXPECT_EQ(batch.worker == std::this_thread::get_id(), GetParam().onCallingThread);
            work.Release();
        }
        work.Fill().number = k;
        work.Submit();
    }
    for (int k = 36; k < 40; ++k) {
        EXPECT_EQ(work.TakeOldest().number, k);
        work.Release();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedWorkers,
                         ::testing::Values(RefusalCase{"Every", RefuseEveryThread, true},
                                           RefusalCase{"AllButTheFirst", RefuseAllButTheFirst,
                                                       false}),
                         [](const auto& c) { return std::string(c.param.name); });

TEST(RunWorkerCount, IsNoneOrTwo) {
    const std::size_t workers = RunWorkerCount();
    EXPECT_TRUE(workers == 0 || workers == 2);
    EXPECT_EQ(workers == 2, std::thread::hardware_concurrency() >= 2);
}

}  // namespace
}  // namespace egm2008
