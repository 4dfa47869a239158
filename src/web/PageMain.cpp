// The program of the page (kestro.html): kestro and the HTML report of
// kestro-dump in one WebAssembly module. The page names the program first:
// "kestro SOURCE DESTINATION" or "kestro-dump --html OUT.html FILE.gpi".
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/Run.h"
#include "diag/ThrowTracking.h"
#include "inspector/DumpRun.h"
#include "platform/ProgramStart.h"

int main(int argc, char* argv[]) {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    std::vector<std::string> arguments = kestro::StartProgram(argc, argv);
    kestro::StartExceptionTracking();
    if (arguments.empty()) {
        std::cerr << "kestro page: name the program first (kestro or kestro-dump)\n";
        return 2;
    }
    const std::string program = arguments.front();
    arguments.erase(arguments.begin());
    if (program == "kestro-dump") return kestro::RunDump(arguments, std::cout, std::cerr);
    return kestro::Run(arguments, std::cout, std::cout, std::cerr);
}
