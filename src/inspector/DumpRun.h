#pragma once
// The command line of kestro-dump.
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "diag/Exceptions.h"
#include "dump/DumpFormat.h"

namespace kestro {

KESTRO_EXCEPTION(EUsageError);  // the arguments do not form a valid command

enum class TDumpMode { Outline, Json, Check, Svg, Html, Unpack };

struct TDumpArguments {
    TDumpMode Mode = TDumpMode::Outline;
    TDumpOptions Options;
    std::string File;
    std::string SvgFile;
    std::string HtmlFile;
    std::string UnpackDir;
    std::size_t Group = 1;  // counted from 1, for --svg
    bool GroupGiven = false;
    std::vector<std::string> Outputs;  // every path the run writes
    bool Help = false;
    bool Version = false;
};

// Raises EUsageError for unknown options, missing values or a missing file.
TDumpArguments ParseDumpArguments(const std::vector<std::string>& arguments);

// Raises EFCreateError when output names the input file, also through a hard
// or a symbolic link.
void RefuseInputAsOutput(const std::string& output, const std::string& input);

// Runs one command; returns the exit code: 0 done (or a clean --check), 1
// problems found by --check, 2 usage errors and files that cannot be read or
// written. Errors are reported on err.
int RunDump(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

extern const char* const DumpUsage;

}  // namespace kestro
