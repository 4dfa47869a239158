#include "platform/ConsoleWindow.h"

namespace kestro {

TConsoleEnd ConsoleEndFor(const TConsoleState& state, bool noArguments) {
    TConsoleEnd end;
    // Someone else's console (cmd, PowerShell, a script) stays open after the
    // run; redirected input or output means no one reads this window.
    end.Wait = state.OwnWindow && state.InputFromConsole && state.OutputToConsole;
    end.ShowUsage = end.Wait && noArguments;
    return end;
}

int RunInConsoleWindow(bool noArguments, const std::string& usage, const std::function<int()>& run, std::ostream& out) {
    const TConsoleEnd end = ConsoleEndFor(CurrentConsoleState(), noArguments);
    int exitCode = 0;
    if (end.ShowUsage) out << usage;
    else exitCode = run();
    if (end.Wait) {
        out << "\nPress Enter to close this window.\n" << std::flush;
        WaitForEnter();
    }
    return exitCode;
}

}  // namespace kestro
