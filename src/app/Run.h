#pragma once
// The conversion run: arguments, settings, the output file and its frame,
// and one group for every group source of the source folder.
#include <ostream>
#include <string>
#include <vector>

#include "pipeline/Threading.h"

namespace kestro {

// Runs one conversion; `arguments` are the command-line arguments after the
// program name. Prints the banner and the progress lines on out (none with
// -q), an error report on err, and warnings, notes and (when it is the
// terminal's standard error) the progress line on messages; with "-" as the
// destination the GPI file goes to standard output and all the text to
// messages. Returns the exit code: 0 done (also after --help and
// --version), 1 wrong arguments (count, or an unknown option), 2 missing
// source folder, else the code of the stage the failure was met in (3
// settings read, 4 header written). `programName` is the name the program
// was called by, for the usage line. `threading` chooses whether the store
// and the area tree get threads of their own; the bytes are the same.
int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, std::ostream& messages,
        const std::string& programName = "kestro", TThreading threading = BuildThreading());

}  // namespace kestro
