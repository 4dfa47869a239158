#pragma once
// The store's half of reading a GPX file: a thread that takes the encoded
// points from the reader through a bounded queue and inserts them in the
// order they were read, so that their keys are what one thread would give.
// Progress lines the reader writes before a point are shown when that point
// is stored: a store that fails at one point shows nothing read after it.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "diag/CaughtError.h"
#include "platform/Bytes.h"
#include "gpx/OrderedOutput.h"

namespace kestro {

class TSQLiteDatabase;

// One waypoint's work for the store, or only progress text (HasRecord false).
struct TStoreItem {
    TOrderedOutput::TChunks Progress;  // shown before the record is stored
    bool HasRecord = false;
    Bytes Record;
    bool Alert = false;
    float X = 0;
    float Y = 0;
};

class TStoreWorker {
public:
    // Starts the thread; until Finish, only it touches the store and the two
    // streams the progress text goes to.
    TStoreWorker(TSQLiteDatabase& store, std::ostream& out, std::ostream& err);
    // Stops the thread without waiting for the queue to drain.
    ~TStoreWorker();
    TStoreWorker(const TStoreWorker&) = delete;
    TStoreWorker& operator=(const TStoreWorker&) = delete;

    // Queues an item; waits while the queue is full. Returns false once the
    // store has failed: the reader can stop.
    bool Add(TStoreItem item);
    // Stores everything queued, ends the thread and raises the store's
    // error, if any.
    void Finish();

private:
    using TBatch = std::vector<TStoreItem>;

    void Send(bool last);
    void Work() noexcept;
    bool Take(TBatch& batch);

    TSQLiteDatabase& store_;
    std::ostream& out_;
    std::ostream& err_;
    TBatch filling_;  // the reader's next batch

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<TBatch> queue_;
    bool closed_ = false;   // no batch will follow
    bool stopped_ = false;  // the worker takes no more
    TCaughtError error_;
    std::thread thread_;
};

}  // namespace kestro
