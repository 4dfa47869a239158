// kestro-dump: shows what a GPI file holds, checks it, or draws its area tree.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "dump/DumpRun.h"

int main(int argc, char** argv) {
    // A write beyond a file-size limit then fails with an error instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kestro::RunDump(arguments, std::cout, std::cerr);
}
