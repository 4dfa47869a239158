#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/Run.h"
#include "diag/ThrowTracking.h"

int main(int argc, char* argv[]) {
    // Each progress line reaches a log or a pipe as it is printed, not when
    // the run ends: a run that is stopped keeps what it printed. (std::cout
    // writes through stdio's buffer.)
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    // A file-size limit then fails the write with an error report instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    kestro::StartExceptionTracking();
    // The error report has always gone to standard output, after the progress lines.
    return kestro::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cout, std::cerr);
}
