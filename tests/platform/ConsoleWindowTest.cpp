// When a run waits for Enter before its window closes: only in a console of
// its own (started from a file manager) that it reads from and writes to.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/ConsoleWindow.h"

namespace kestro {
namespace {

TEST(ConsoleWindow, WaitsOnlyInAWindowOfItsOwnWithNothingRedirected) {
    struct Case {
        bool ownWindow, inputFromConsole, outputToConsole, noArguments;
        bool wait, usage;
    };
    for (const auto& c : std::initializer_list<Case>{
             {true, true, true, false, true, false},     // a folder dropped on the program
             {true, true, true, true, true, true},       // double-clicked
             {false, true, true, false, false, false},   // from cmd or PowerShell
             {false, true, true, true, false, false},    // from cmd without arguments: the usage error
             {true, false, true, false, false, false},   // input from a file or a pipe
             {true, false, true, true, false, false},
             {true, true, false, false, false, false},   // output into a file
             {true, true, false, true, false, false},
             {false, false, false, false, false, false},  // a script
         }) {
        const TConsoleEnd end = ConsoleEndFor({c.ownWindow, c.inputFromConsole, c.outputToConsole}, c.noArguments);
        const std::string which = std::to_string(c.ownWindow) + std::to_string(c.inputFromConsole) +
                                  std::to_string(c.outputToConsole) + std::to_string(c.noArguments);
        EXPECT_EQ(end.Wait, c.wait) << which;
        EXPECT_EQ(end.ShowUsage, c.usage) << which;
    }
}

// Under the test runner the output is a pipe or a file: the run runs, its
// exit code stands, and nothing waits.
TEST(ConsoleWindow, RunFromAScriptRunsAndNeverWaits) {
    if (CurrentConsoleState().OutputToConsole) GTEST_SKIP() << "standard output is a console here; run it under ctest";
    for (const bool noArguments : {false, true}) {
        std::ostringstream out;
        int runs = 0;
        EXPECT_EQ(RunInConsoleWindow(noArguments, "usage\n", [&] { return ++runs, 3; }, out), 3);
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
}  // namespace kestro
