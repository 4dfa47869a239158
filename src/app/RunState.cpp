#include "app/RunState.h"

namespace kestro {

int ExitCode = 0;

}  // namespace kestro
