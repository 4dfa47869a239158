#include "app/RunState.h"

#include "sources/AreaRules.h"

namespace kestro {

int ExitCode = 0;
std::int32_t MaxRegion = DefaultMaxRegion;
bool ReadCsvFiles = true;
std::uint32_t PhotoSize = 0;
TLanguages Languages;

}  // namespace kestro
