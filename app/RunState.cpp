#include "app/RunState.h"

namespace kestro {

int ExitCode = 0;
std::int32_t MaxRegion = 256;
std::string GroupName;
std::int32_t Regions = 0;
std::int32_t MaxSize = 0;
std::int32_t MaxDeep = 0;

}  // namespace kestro
