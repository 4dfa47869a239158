#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FolderBeside.h"
#include "app/Run.h"
#include "diag/ThrowTracking.h"
#include "platform/ConsoleWindow.h"
#include "platform/ProgramStart.h"

int main(int argc, char* argv[]) {
    // Each progress line reaches a log or a pipe as it is printed, not when
    // the run ends: a run that is stopped keeps what it printed. (std::cout
    // writes through stdio's buffer.)
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    const std::vector<std::string> arguments = kestro::StartProgram(argc, argv);
    const std::string programName = kestro::ProgramNameAsCalled(argc, argv, "kestro");
    kestro::StartExceptionTracking();
    // The error report has always gone to standard output, after the progress lines.
    return kestro::RunInConsoleWindow(arguments.empty(), kestro::HelpText() + std::string(kestro::DropUsage),
                                      [&] { return kestro::Run(arguments, std::cout, std::cout, std::cerr, programName); }, std::cout);
}
