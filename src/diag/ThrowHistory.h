#pragma once
// The record of recent throws, shared by the throw hooks of both systems
// (ThrowTracking.cpp and windows/ThrowTracking.cpp).

namespace kestro {

// Records the throw of `object` of type `type` (a std::type_info); called by
// the hook in front of the real __cxa_throw only while tracking is on.
void RecordThrow(void* object, void* type);
bool TrackingOn();
// Readies the hook before the first throw; each system's hook file has one.
void PrepareThrowHook();

}  // namespace kestro
