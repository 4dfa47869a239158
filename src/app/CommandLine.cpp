#include "app/CommandLine.h"

namespace kestro {

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TCommandLine line;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument.size() < 2 || argument.front() != '-') {
            line.Operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            line.Help = true;
        } else if (argument == "--version") {
            line.Version = true;
        } else if (argument == "-q" || argument == "--quiet") {
            line.Quiet = true;
        } else if (line.UnknownOption.empty()) {
            line.UnknownOption = argument;
        }
    }
    return line;
}

const char* HelpText() {
    return "Usage: kestro [-q] [--] SOURCE_FOLDER DESTINATION.gpi\n"
           "  Converts the GPX files and CSV lists of SOURCE_FOLDER into one Garmin GPI file:\n"
           "  every sub-folder is a group and each of its *.gpx and *.csv files a category; a\n"
           "  loose *.gpx or *.csv file is a group of its own. Settings come from\n"
           "  SOURCE_FOLDER/kestro.ini (section [kestro]: maxregion, codepage, csv, languages).\n"
           "  Progress goes to standard output; warnings about what was left out, and notes\n"
           "  about linked files outside SOURCE_FOLDER and missing translations, to standard\n"
           "  error.\n"
           "  A DESTINATION of \"-\" writes the GPI file to standard output and the progress\n"
           "  to standard error. Without DESTINATION, SOURCE_FOLDER.gpi is written beside the\n"
           "  folder.\n"
           "  -q, --quiet  no banner and no progress lines; warnings and errors are shown\n"
           "  -h, --help   show this text\n"
           "  --version    show the version\n"
           "  --           end of the options (for a folder whose name starts with \"-\")\n"
           "Exit codes: 0 done, 1 wrong arguments, 2 no such source folder,\n"
           "  3 failed before the header was written, 4 failed later.\n";
}

}  // namespace kestro
