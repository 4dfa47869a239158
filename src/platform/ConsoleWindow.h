#pragma once
// A program started from a file manager (double-clicked, or a file dropped on
// it) gets a console window of its own, which closes the moment the program
// ends: such a run ends with "Press Enter to close this window." and waits.
// A run from a shell or a script, or with input or output redirected, never
// waits.
#include <functional>
#include <ostream>
#include <string>

namespace kestro {

struct TConsoleState {
    bool OwnWindow = false;          // no other process shares the console
    bool InputFromConsole = false;   // standard input is the console, not a file or a pipe
    bool OutputToConsole = false;    // standard output is the console
};

struct TConsoleEnd {
    bool Wait = false;       // "Press Enter to close this window." at the end
    bool ShowUsage = false;  // no arguments: how to use it instead of the usage error
};

// The rule, apart from the system calls that find the state.
TConsoleEnd ConsoleEndFor(const TConsoleState& state, bool noArguments);

// The state of this process's console (all false where programs get no
// window of their own).
TConsoleState CurrentConsoleState();

// Waits until Enter is pressed (or the input ends).
void WaitForEnter();

// Runs `run` and returns its exit code; in a window of its own prints
// `usage` instead where there are no arguments (exit code 0), then waits.
int RunInConsoleWindow(bool noArguments, const std::string& usage, const std::function<int()>& run, std::ostream& out);

}  // namespace kestro
