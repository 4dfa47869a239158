// kestro-dump: shows what a GPI file holds, checks it, or draws its area tree.
#include <iostream>
#include <string>
#include <vector>

#include "inspector/DumpRun.h"
#include "platform/ProgramStart.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = kestro::StartProgram(argc, argv);
    return kestro::RunDump(arguments, std::cout, std::cerr);
}
