// The options around the two-argument form: --help and --version alone, -q,
// "--", "-" as destination, unknown options; and what a log, a pipe or a
// terminal sees of a run, also of one stopped by a signal.
#include <csignal>
#include <regex>

#include "diag/Exceptions.h"

#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

struct TSplitRun {
    int ExitCode;
    std::string Out;
    std::string Err;
};
// Runs a shell command in folder with standard error apart.
TSplitRun RunSplit(const fs::path& folder, const std::string& command) {
    const auto run = RunCommand("cd " + Q(folder) + " && (exec 2>err.txt; " + command + ")");
    return {run.ExitCode, run.Output, ReadFile(folder / "err.txt")};
}

Bytes WithoutStamp(Bytes bytes) {
    if (bytes.size() >= 20) bytes.replace(16, 4, "0000");
    return bytes;
}

const std::string Progress = "Group: A\n  Category: a\n  File: src/A/a.gpx\n    1 POIs\n  Optimalization...\n"
                             "    Regions: 1 MaxSize: 1 MaxDeep: 0\n";

// The rest of a help text that shows no second usage line.
const std::string OneUsage = "(?![^]*(Usage|kestro\\.exe))[^]*";

TEST(CommandLineOptions, EachOptionAsUsersExpect) {
    TempDir t;
    WriteFile(t / "src/A/a.gpx", Gpx(Named("50", "14", "Alpha")));
    fs::create_directories(t / "-dash/A");
    fs::copy_file(t / "src/A/a.gpx", t / "-dash/A/a.gpx");
    const std::string kestro = Q(KestroBinary());
    const struct {
        std::string arguments;
        int exitCode;
        std::string out;  // a regular expression
        std::string err;
    } cases[] = {
        {"--version", 0, "kestro 1\\.2\\.0\n", ""},
        {"--version src out.gpi", 0, "kestro 1\\.2\\.0\n", ""},
        {"--help", 0, "Usage: kestro \\[-q\\] \\[--\\] SOURCE_FOLDER DESTINATION\\.gpi\n" + OneUsage + "Exit codes:[^]*", ""},
        {"-h src out.gpi", 0, "Usage: kestro " + OneUsage, ""},
        {"-x out.gpi", 1, std::regex_replace(Banner, std::regex("[.()]"), "\\$&"),
         "kestro: unknown option \"-x\" \\(kestro --help lists the options; -- ends them\\)\n"},
        {"src --frobnicate out.gpi", 1, "Kestro [^]*",  "kestro: unknown option \"--frobnicate\".*\n"},
        {"-q", 1, "ERROR! Invalid parameter count\\.\n", ""},
        {"-q src/A/a.gpx", 1, "ERROR! Invalid parameter count\\.\n", ""},
        {"--quiet src/ out.gpi", 0, "", ""},
        {"src -q out.gpi", 0, "", ""},
        {"-q missing out.gpi", 2, "ERROR! Source path does not exist!\n", ""},
        {"-- -dash out.gpi", 0, "Kestro [^]*\nGroup: A\n[^]*\nDone\\.\n", ""},
        {"-- -q out.gpi", 2, "Kestro [^]*ERROR! Source path does not exist!\n\nDone\\.\n", ""},
        {"src -", 0, "[^]*GRMREC00[^]*", "Kestro [^]*\n" + Progress + "\nDone\\.\n"},
        {"-q src -", 0, "[^]*GRMREC00[^]*", ""},
    };
    for (const auto& c : cases) {
        fs::remove(t / "out.gpi");
        const auto run = RunSplit(t.Path(), kestro + " " + c.arguments);
        EXPECT_EQ(run.ExitCode, c.exitCode) << c.arguments << "\n" << run.Out << run.Err;
        EXPECT_TRUE(std::regex_match(run.Out, std::regex(c.out))) << c.arguments << "\n" << run.Out;
        EXPECT_TRUE(std::regex_match(run.Err, std::regex(c.err))) << c.arguments << "\n" << run.Err;
        const bool converts = c.exitCode == 0 && c.arguments.ends_with(" out.gpi") && c.arguments[1] != 'h' &&
                              c.arguments.find("--version") != 0;
        EXPECT_EQ(fs::exists(t / "out.gpi"), converts) << c.arguments;
    }
}

// "-" writes the file to standard output, the same bytes as a run into a file
// of the name the header then carries: the shell's file, else "kestro.gpi";
// so does /dev/stdout, under its own name.
TEST(CommandLineOptions, DashWritesTheFileToStandardOutput) {
    TempDir t;
    WriteFile(t / "src/A/a.gpx", Gpx(Named("50", "14", "Alpha") + Named("-33.5", "151.25", "Beta")));
    WriteFile(t / "src/loose.gpx", Gpx(Named("48", "11", "Gamma")));
    const std::string kestro = Q(KestroBinary());
    const struct {
        const char* command;
        const char* written;
        const char* name;
    } cases[] = {{"src - | cat > piped", "piped", "kestro.gpi"},
                 {"src - > shell.gpi", "shell.gpi", "shell.gpi"},
                 {"src /dev/stdout | cat > devout", "devout", "stdout"}};
    for (const auto& c : cases) {
        fs::create_directories(t / "ref");
        const auto reference = RunCommand("cd " + Q(t.Path()) + " && " + kestro + " src ref/" + c.name);
        ASSERT_EQ(reference.ExitCode, 0) << reference.Output;
        const auto run = RunSplit(t.Path(), kestro + " " + c.command);
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err, reference.Output) << c.command;
        const fs::path written = t / c.written;
        EXPECT_EQ(ToHex(WithoutStamp(ReadFile(written))), ToHex(WithoutStamp(ReadFile(t / "ref" / c.name))))
            << c.command;
        ExpectDumpCheckClean(written);
        fs::remove_all(t / "ref");
    }
}

// A run stopped by a signal: its log holds the progress lines printed until
// then, and its last line says where what it wrote is kept.
TEST(CommandLineOptions, RunStoppedByASignalLeavesItsLogAndNamesThePartialFile) {
    TempDir t;
    std::string points;
    for (int i = 0; i < 300'000; ++i) points += "<wpt lat=\"50." + std::to_string(i) + "\" lon=\"14\"/>\n";
    WriteFile(t / "src/B/b.gpx", "<gpx>" + points + "</gpx>");
    for (const auto& [name, number] : {std::pair{"INT", SIGINT}, {"TERM", SIGTERM}, {"HUP", SIGHUP}}) {
        // The last round's log must not be read before the new run empties it.
        for (const char* old : {"o.gpi.partial", "log", "err"}) fs::remove(t / old);
        // A background job would ignore SIGINT; stopped once group B is being read.
        const auto run = RunCommand("cd " + Q(t.Path()) + " || exit 1; env --default-signal=INT " + Q(KestroBinary()) +
                                    " src o.gpi > log 2> err & pid=$!; while ! grep -qs 'File: src/B/b.gpx' log && kill -0 $pid "
                                    "2> /dev/null; do sleep 0.01; done; kill -" + name + " $pid; wait $pid; echo $?");
        EXPECT_EQ(run.Output, std::to_string(128 + number) + "\n") << name;
        const std::string log = ReadFile(t / "log");
        EXPECT_EQ(log.rfind(Banner + "Group: B\n  Category: b\n  File: src/B/b.gpx\n", 0), 0u) << log;
        const std::string err = ReadFile(t / "err");
        const std::string last = "\nkestro: stopped by a signal. What was written is kept in \"" +
                                 (fs::canonical(t.Path()) / "o.gpi.partial").string() + "\"; \"" +
                                 (fs::canonical(t.Path()) / "o.gpi").string() + "\" is as it was before the run.\n";
        EXPECT_TRUE(err.size() >= last.size() && err.substr(err.size() - last.size()) == last) << name << "\n" << err;
        EXPECT_TRUE(fs::exists(t / "o.gpi.partial")) << name;
    }
}

// On a terminal a quiet run draws no progress line either.
TEST(CommandLineOptions, QuietOnATerminal) {
    if (RunCommand("script -qec true /dev/null").ExitCode != 0)
        GTEST_SKIP() << "util-linux script cannot open a terminal here";
    TempDir t;
    std::string gpx = "<gpx>";
    for (int i = 0; i < 3000; ++i) gpx += Format("<wpt lat='%d.5' lon='14.25'><name>Point %d</name></wpt>\n", i % 80, i);
    WriteFile(t / "src/Big/many.gpx", gpx + "</gpx>");
    const std::string command = "cd " + Q(t.Path()) + " && " + Q(KestroBinary()) + " -q src out.gpi";
    const auto terminal = RunCommand("script -qec " + ShellQuote(command) + " /dev/null");
    EXPECT_EQ(terminal.ExitCode, 0);
    EXPECT_EQ(terminal.Output, "");
    ExpectDumpCheckClean(t / "out.gpi");
}

}  // namespace
}  // namespace kestro::conversion_test
