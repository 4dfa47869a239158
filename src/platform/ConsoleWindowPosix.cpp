#include "platform/ConsoleWindow.h"

namespace kestro {

// A terminal stays open after the program ends.
TConsoleState CurrentConsoleState() { return TConsoleState{}; }

void WaitForEnter() {}

}  // namespace kestro
