#include "platform/ProgramStart.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>

namespace kestro {

std::vector<std::string> StartProgram(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);
    return std::vector<std::string>(argv + 1, argv + argc);
}

int StandardErrorTerminalWidth() {
    if (::isatty(STDERR_FILENO) != 1) return 0;
    winsize size{};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

}  // namespace kestro
