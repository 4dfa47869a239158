// Running a command line and collecting its output (cmd.exe; its exit code as it is).
#include <array>
#include <cstdio>
#include <stdexcept>

#include "support/TestSupport.h"

namespace kestro::test {

ProcessResult RunCommand(const std::string& commandLine) {
    ProcessResult result;
    FILE* pipe = _popen((commandLine + " 2>&1").c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + commandLine);
    std::array<char, 65536> buffer;
    std::size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.Output.append(buffer.data(), got);
    result.ExitCode = _pclose(pipe);
    return result;
}

}  // namespace kestro::test
