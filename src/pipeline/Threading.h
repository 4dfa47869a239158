#pragma once
// Whether a conversion's store and area tree get threads of their own or
// run in turn on the thread that reads. Both give the same bytes and the
// same lines; one thread is for where there are none (a page opened from
// disk has no shared memory).
namespace kestro {

enum class TThreading {
    Separate,   // a store thread and an area-tree thread beside the reading thread
    OneThread,  // the store and the area tree in turn on the reading thread
};

// The build's choice: one thread in the browser build, else threads.
TThreading BuildThreading();

}  // namespace kestro
