#include "platform/ProgramStart.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>

#include "platform/PathName.h"

namespace kestro {

std::vector<std::string> StartProgram(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string ProgramNameAsCalled(int argc, char** argv, const std::string& builtName) {
#ifdef __EMSCRIPTEN__
    // A script run by Node.js is called by no name of its own ("./this.program").
    (void)argc;
    (void)argv;
    return builtName;
#else
    const std::string name = argc > 0 && argv[0] != nullptr ? FileNameWithoutFolder(argv[0]) : std::string();
    return name.empty() ? builtName : name;
#endif
}

int StandardErrorTerminalWidth() {
    if (::isatty(STDERR_FILENO) != 1) return 0;
    winsize size{};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

}  // namespace kestro
