// The program with the store and the area tree run in turn on the reading
// thread, as the browser build runs them: OneThreadTest compares its bytes
// and lines with the program's. The rest is src/app/main.cpp's, so that
// error reports name the same frames.
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
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    const std::vector<std::string> arguments = kestro::StartProgram(argc, argv);
    // The usage line names the program these runs are compared with.
    const std::string programName = "kestro";
    kestro::StartExceptionTracking();
    return kestro::RunInConsoleWindow(
        arguments.empty(), kestro::HelpText() + std::string(kestro::DropUsage),
        [&] { return kestro::Run(arguments, std::cout, std::cout, std::cerr, programName, kestro::TThreading::OneThread); },
        std::cout);
}
