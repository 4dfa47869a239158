#include <iostream>
#include <string>
#include <vector>

#include "app/Run.h"
#include "diag/ThrowTracking.h"
#include "platform/ProgramStart.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments = kestro::StartProgram(argc, argv);
    kestro::StartExceptionTracking();
    // The error report has always gone to standard output, after the progress lines.
    return kestro::Run(arguments, std::cout, std::cout, std::cerr);
}
