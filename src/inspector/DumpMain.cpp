// kestro-dump: shows what a GPI file holds, checks it, or draws its area tree.
#include <iostream>
#include <string>
#include <vector>

#include "inspector/DumpRun.h"
#include "platform/ConsoleWindow.h"
#include "platform/ProgramStart.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = kestro::StartProgram(argc, argv);
    return kestro::RunInConsoleWindow(arguments.empty(),
                                      kestro::DumpUsage + std::string("\nIn Explorer, drop a GPI file on kestro-dump.exe to see "
                                                                      "what it holds.\n"),
                                      [&] { return kestro::RunDump(arguments, std::cout, std::cerr); }, std::cout);
}
