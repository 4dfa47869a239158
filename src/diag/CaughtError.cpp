#include "diag/CaughtError.h"

#include "diag/ThrowTracking.h"

namespace kestro {

TCaughtError TCaughtError::Current() {
    TCaughtError caught;
    caught.error_ = std::current_exception();
    caught.type_ = CurrentExceptionType();
    try {
        throw;
    } catch (const std::exception& error) {
        caught.object_ = dynamic_cast<const void*>(&error);
    } catch (...) {
    }
    FindThrowStack(caught.object_, caught.type_, caught.stack_);
    return caught;
}

void TCaughtError::Rethrow() const {
    if (!stack_.empty()) AdoptThrowStack(object_, type_, stack_);
    std::rethrow_exception(error_);
}

}  // namespace kestro
