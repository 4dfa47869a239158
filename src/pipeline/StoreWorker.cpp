#include "pipeline/StoreWorker.h"

#include <utility>

namespace kestro {

namespace {

// Points travel in batches so that the two threads meet once per batch;
// a few batches in the queue bound the memory of a reader running ahead.
constexpr std::size_t BatchSize = 64;
constexpr std::size_t QueuedBatches = 16;

}  // namespace

TStoreWorker::TStoreWorker(TStoreSink sink, TThreading threading) : threading_(threading), sink_(std::move(sink)) {
    if (threading_ == TThreading::OneThread) return;
    filling_.reserve(BatchSize);
    thread_ = std::thread([this] { Work(); });
}

TStoreWorker::~TStoreWorker() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        stopped_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool TStoreWorker::Add(TStoreItem item) {
    if (threading_ == TThreading::OneThread) return AddHere(item);
    filling_.push_back(std::move(item));
    if (filling_.size() >= BatchSize) Send(false);
    const std::lock_guard lock(mutex_);
    return !stopped_;
}

bool TStoreWorker::AddHere(TStoreItem& item) {
    if (stopped_) return false;
    try {
        sink_(item);
        stored_.fetch_add(1, std::memory_order_relaxed);
    } catch (...) {
        error_ = TCaughtError::Current();
        stopped_ = true;
    }
    return !stopped_;
}

void TStoreWorker::Send(bool last) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || queue_.size() < QueuedBatches; });
    if (!filling_.empty() && !stopped_) queue_.push_back(std::move(filling_));
    filling_ = TBatch();
    filling_.reserve(BatchSize);
    if (last) closed_ = true;
    lock.unlock();
    changed_.notify_all();
}

void TStoreWorker::Finish() {
    if (threading_ == TThreading::OneThread) {
        stopped_ = true;
        if (error_) error_.Rethrow();
        return;
    }
    Send(true);
    if (thread_.joinable()) thread_.join();
    if (error_) error_.Rethrow();
}

bool TStoreWorker::Take(TBatch& batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || closed_ || !queue_.empty(); });
    if (stopped_ || queue_.empty()) return false;
    batch = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return true;
}

void TStoreWorker::Work() noexcept {
    TBatch batch;
    try {
        while (Take(batch)) {
            for (TStoreItem& item : batch) {
                sink_(item);
                stored_.fetch_add(1, std::memory_order_release);
            }
        }
    } catch (...) {
        error_ = TCaughtError::Current();
    }
    {
        // Also after a failure: the reader stops waiting for room.
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        queue_.clear();
    }
    changed_.notify_all();
}

}  // namespace kestro
