#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "pipeline/StoreWorker.h"

namespace kestro {
namespace {

// Items are numbered by their record text; a store that fails on item
// `failAt` (counted from 1, 0: never) keeps the ones before it.
struct TFailingStore {
    std::size_t failAt = 0;
    std::vector<int> stored;
    std::thread::id thread;

    TStoreSink Sink() {
        return [this](TStoreItem& item) {
            thread = std::this_thread::get_id();
            if (stored.size() + 1 == failAt) throw std::runtime_error("store full");
            stored.push_back(std::stoi(item.Record));
        };
    }
};

// With its own thread, and with OneThread (each item stored within Add on
// the reading thread), alike.
TEST(StoreWorker, StoresInOrderOnItsThreadAndStopsAtTheFirstFailure) {
    // 64 items make a batch; 2000 items fill the bounded queue so the reader waits.
    constexpr int Items = 2000;
    for (const TThreading threading : {TThreading::Separate, TThreading::OneThread})
    for (const std::size_t failAt : {0, 1, 64, 65, 1999}) {
        const bool oneThread = threading == TThreading::OneThread;
        SCOPED_TRACE(std::to_string(failAt) + (oneThread ? " one thread" : " threads"));
        TFailingStore store{failAt, {}, {}};
        int added = 0;
        std::string error;
        {
            TStoreWorker worker(store.Sink(), threading);
            for (; added < Items; ++added)
                if (!worker.Add(TStoreItem{std::to_string(added), false, 0, 0})) break;
            try {
                worker.Finish();
            } catch (const std::runtime_error& e) {
                error = e.what();
            }
            EXPECT_EQ(worker.Stored(), store.stored.size());
        }  // the thread is joined: destroying a joinable std::thread would end the test program
        const std::size_t kept = failAt == 0 ? Items : failAt - 1;
        ASSERT_EQ(store.stored.size(), kept);
        for (std::size_t i = 0; i < kept; ++i) ASSERT_EQ(store.stored[i], static_cast<int>(i));
        EXPECT_EQ(error, failAt == 0 ? "" : "store full");
        if (oneThread) {
            EXPECT_EQ(store.thread, std::this_thread::get_id());
            // The failing item itself is the last one the reader adds.
            EXPECT_EQ(added, failAt == 0 ? Items : static_cast<int>(failAt) - 1);
        } else {
            EXPECT_NE(store.thread, std::this_thread::get_id());
        }
        // Once the store has failed the reader is told to stop, at the latest
        // when the bounded queue would have to take more.
        if (failAt != 0 && failAt <= 65) {
            EXPECT_LT(added, Items);
        }
    }
}

TEST(StoreWorker, DestroyedWithoutFinishStopsAndJoins) {
    TFailingStore store;
    {
        TStoreWorker worker(store.Sink());
        for (int i = 0; i < 500; ++i) worker.Add(TStoreItem{std::to_string(i), false, 0, 0});
        // Batches of 64 went out: wait (bounded) until the thread has stored the first.
        for (int waited = 0; worker.Stored() < 64 && waited < 10'000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // What was taken was stored in order; the last, unsent part batch was dropped.
    ASSERT_GE(store.stored.size(), 64u);
    ASSERT_LE(store.stored.size(), 448u);
    for (std::size_t i = 0; i < store.stored.size(); ++i) ASSERT_EQ(store.stored[i], static_cast<int>(i));
}

}  // namespace
}  // namespace kestro
