// The browser build: no file-size signal and no terminal; the page shows the
// lines as they come, without a progress line drawn over itself.
#include "platform/ProgramStart.h"

namespace kestro {

std::vector<std::string> StartProgram(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

int StandardErrorTerminalWidth() { return 0; }

}  // namespace kestro
