#pragma once
// The store's half of reading a GPX file: a thread that takes the encoded
// points from the reader through a bounded queue and inserts them in the
// order they were read, so that their keys are what one thread would give.
// It counts what it has stored, so that the reader shows what a point
// brought about only once every point read before it is stored.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "diag/CaughtError.h"
#include "pipeline/Threading.h"
#include "platform/Bytes.h"

namespace kestro {

// One encoded point for the store.
struct TStoreItem {
    Bytes Record;
    bool Alert = false;
    float X = 0;
    float Y = 0;
};

// Stores one item; an exception ends the storing and is raised by Finish.
using TStoreSink = std::function<void(TStoreItem& item)>;

// Add and Finish are called by the reading thread (the thread that made the
// worker); the sink runs on the store thread only, or with OneThread within
// Add on the reading thread.
class TStoreWorker {
public:
    // Starts the store thread; until Finish, only it calls the sink. With
    // OneThread no thread starts and Add stores each item at once.
    explicit TStoreWorker(TStoreSink sink, TThreading threading = BuildThreading());
    // Stops the thread without waiting for the queue to drain.
    ~TStoreWorker();
    TStoreWorker(const TStoreWorker&) = delete;
    TStoreWorker& operator=(const TStoreWorker&) = delete;

    // Queues an item; waits while the queue is full. Returns false once the
    // store has failed: the reader can stop.
    bool Add(TStoreItem item);
    // The items stored so far, in the order they were added.
    std::size_t Stored() const noexcept { return stored_.load(std::memory_order_acquire); }
    // Stores everything queued, ends the thread and raises the store's
    // error, if any.
    void Finish();

private:
    using TBatch = std::vector<TStoreItem>;

    void Send(bool last);
    void Work() noexcept;
    bool Take(TBatch& batch);

    // Stores at once, on the calling thread (OneThread).
    bool AddHere(TStoreItem& item);

    const TThreading threading_;
    TStoreSink sink_;      // only used in the store thread
    TBatch filling_;       // only used in the reading thread: its next batch
    TCaughtError error_;   // set by the store thread, read after it is joined
    std::atomic<std::size_t> stored_{0};  // written by the store thread, read by both

    // The one queue between the threads; all below are guarded by mutex_.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<TBatch> queue_;
    bool closed_ = false;   // no batch will follow
    bool stopped_ = false;  // the worker takes no more
    std::thread thread_;    // the store thread; joined by Finish or the destructor
};

}  // namespace kestro
