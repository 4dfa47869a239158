#pragma once
#include <string>

#include "sources/GroupSources.h"

namespace kestro {

// The output file is replaced before any input is read, so it must not be
// one of the run's inputs: the settings file, a GPX file or the icon beside
// one, or a new name that the run would list as a GPX file. EFCreateError
// when it is; the file is left as it is.
// `formats` as the run's settings say.
void CheckOutputIsNoInput(const std::string& sourcePath, const std::string& destination, const TSourceFormats& formats);

}  // namespace kestro
