#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLineHelp.h"
#include "app/Run.h"
#include "app/RunState.h"
#include "diag/ErrorReport.h"
#include "diag/ThrowTracking.h"
#include "store/SQLiteLibrary.h"

namespace kestro {

void RunConversion(const std::vector<std::string>& arguments) {
    const TSQLiteLibrary sqlite;
    Run(arguments);
}

}  // namespace kestro

namespace {

void PrintCurrentError() {
    try {
        std::cout << kestro::FormatErrorReport(kestro::DescribeCurrentException());
    } catch (...) {
        std::cout << "Error: the error report could not be built\n";
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // A file-size limit then fails the write with an error report instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    kestro::StartExceptionTracking();
    try {
        kestro::PrintBanner();
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        if (kestro::PrintHelpOrVersion(arguments, std::cout)) return 0;
        kestro::RunConversion(arguments);
        std::cout << "\nDone.\n";
    } catch (...) {
        PrintCurrentError();
        // A failure before any stage was reached (SQLite start-up) must not look like success.
        if (kestro::ExitCode == 0) kestro::ExitCode = 3;
    }
    std::cout.flush();
    return kestro::ExitCode;
}
