#include "app/CommandLineHelp.h"

#include <algorithm>

namespace kestro {

namespace {

const char* const HelpText =
    "kestro SOURCE_FOLDER DESTINATION.gpi\n"
    "  Converts the GPX files and CSV lists of SOURCE_FOLDER into one Garmin GPI file:\n"
    "  every sub-folder is a group and each of its *.gpx and *.csv files a category; a\n"
    "  loose *.gpx or *.csv file is a group of its own. Settings come from\n"
    "  SOURCE_FOLDER/kestro.ini (section [kestro]: maxregion, codepage, csv, languages).\n"
    "  Progress goes to standard output; warnings about what was left out, and notes\n"
    "  about linked files outside SOURCE_FOLDER and missing translations, to standard\n"
    "  error.\n"
    "  -h, --help   show this text\n"
    "  --version    show the version\n"
    "Exit codes: 0 done, 1 wrong number of arguments, 2 no such source folder,\n"
    "  3 failed before the header was written, 4 failed later.\n";

bool Has(const std::vector<std::string>& arguments, const char* option) {
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
}

}  // namespace

bool PrintHelpOrVersion(const std::vector<std::string>& arguments, std::ostream& out) {
    if (Has(arguments, "-h") || Has(arguments, "--help")) {
        out << HelpText;
        return true;
    }
    if (Has(arguments, "--version")) {
        out << "kestro " KESTRO_VERSION "\n";
        return true;
    }
    return false;
}

}  // namespace kestro
