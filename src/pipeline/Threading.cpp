#include "pipeline/Threading.h"

namespace kestro {

// KESTRO_ONE_THREAD is set by the build (1 for the browser).
TThreading BuildThreading() { return KESTRO_ONE_THREAD ? TThreading::OneThread : TThreading::Separate; }

}  // namespace kestro
