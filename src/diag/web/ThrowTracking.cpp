#include "diag/ThrowHistory.h"

namespace kestro {

// Throws pass through the browser run-time's JavaScript, where no hook of the
// program sees them: nothing is recorded, and reports use the stack an error
// took when it was made (none in the browser).
void PrepareThrowHook() {}

}  // namespace kestro
