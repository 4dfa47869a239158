#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "app/Run.h"
#include "diag/ThrowTracking.h"

int main(int argc, char* argv[]) {
    // A file-size limit then fails the write with an error report instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    kestro::StartExceptionTracking();
    // The error report has always gone to standard output, after the progress lines.
    return kestro::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cout, std::cerr);
}
