#include "xml/XmlBase.h"

namespace kestro {

namespace {
// Objects whose count reached 0, waiting to be freed, linked through their
// count field. Freeing a node releases its children; queueing them instead of
// freeing them at once keeps the stack flat for trees of any depth.
thread_local IXmlBase* FreeQueue = nullptr;
thread_local bool Freeing = false;
}  // namespace

void IXmlBase::Free() noexcept {
    NextFree_ = FreeQueue;
    FreeQueue = this;
    if (Freeing) return;
    Freeing = true;
    while (FreeQueue) {
        IXmlBase* object = FreeQueue;
        FreeQueue = object->NextFree_;
        delete object;
    }
    Freeing = false;
}

}  // namespace kestro
