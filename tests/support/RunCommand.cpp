// Running a command line and collecting its output (POSIX shell and wait status).
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <stdexcept>

#include "support/TestSupport.h"

namespace kestro::test {

ProcessResult RunCommand(const std::string& commandLine) {
    ProcessResult result;
    FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + commandLine);
    std::array<char, 65536> buffer;
    std::size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.Output.append(buffer.data(), got);
    int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace kestro::test
