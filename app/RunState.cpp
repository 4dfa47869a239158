#include "app/RunState.h"

namespace kestro {

int ExitCode = 0;
std::int32_t MaxRegion = 256;
TLanguages Languages;

}  // namespace kestro
