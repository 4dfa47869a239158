// A re-run that fails must not destroy the previous output: the destination
// is replaced only when the run succeeds, and what a failed run wrote is
// kept as DESTINATION.partial, which the error report names.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include <set>

#include "ConversionSupport.h"
#include "diag/Exceptions.h"

namespace kestro::conversion_test {
namespace {

const Bytes Previous = "the previous good file";

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// Group A is good; group B is good or ends in a broken end tag.
void WriteSource(const fs::path& source, bool broken) {
    WriteFile(source / "A/a.gpx", Gpx(Named("50", "14", "Alpha")));
    WriteFile(source / "B/b.gpx", Gpx(broken ? " <wpt lat=\"51\" lon=\"15\"><name>Beta</nam></wpt>\n"
                                             : Named("51", "15", "Beta")));
}

test::ProcessResult RunInto(const fs::path& source, const fs::path& destination, const std::string& prefix = "") {
    return RunCommand(prefix + Q(KestroBinary()) + " " + Q(source) + " " + Q(destination));
}

Bytes WithoutStamp(Bytes bytes) {
    if (bytes.size() >= 20) bytes.replace(16, 4, "0000");
    return bytes;
}

TEST(OutputReplace, FailedRunKeepsThePreviousFileAndWhatItWroteAsPartial) {
    // What the failed run writes: the header records and group A, exactly as
    // a good run of group A alone writes them, without the end record.
    TempDir reference;
    WriteFile(reference / "src/A/a.gpx", Gpx(Named("50", "14", "Alpha")));
    fs::create_directories(reference / "out");
    ASSERT_EQ(RunInto(reference / "src", reference / "out/o.gpi").ExitCode, 0);
    const Bytes wholeA = ReadFile(reference / "out/o.gpi");
    const Bytes expectedPartial = WithoutStamp(wholeA.substr(0, wholeA.size() - 8));

    struct Case {
        const char* name;
        bool previous;          // a file at the destination before the run
        bool oldPartial;        // a partial file of an earlier failed run
        bool link;              // the destination is a link to ../real/o.gpi
    };
    for (const auto& c : std::initializer_list<Case>{{"new destination", false, false, false},
                                                     {"previous file", true, false, false},
                                                     {"previous file and an old partial file", true, true, false},
                                                     {"link to a file elsewhere", true, true, true},
                                                     {"link that leads nowhere yet", false, false, true}}) {
        SCOPED_TRACE(c.name);
        TempDir t;
        WriteSource(t / "src", true);
        fs::create_directories(t / "out");
        fs::create_directories(t / "real");
        const fs::path destination = t / "out/o.gpi";
        const fs::path written = c.link ? t / "real/o.gpi" : destination;  // the file the link leads to
        const fs::path partial = written.string() + ".partial";
        if (c.link) fs::create_symlink("../real/o.gpi", destination);
        if (c.previous) WriteFile(written, Previous);
        if (c.oldPartial) WriteFile(partial, "an old partial file");

        const auto failed = RunInto(t / "src", destination);
        EXPECT_EQ(failed.ExitCode, 4) << failed.Output;
        EXPECT_NE(failed.Output.find("\n\nWhat was written is kept in \"" + partial.string() + "\"; \"" +
                                     destination.string() + "\" is as it was before the run.\n"),
                  std::string::npos)
            << failed.Output;
        EXPECT_EQ(fs::is_symlink(destination), c.link);
        EXPECT_EQ(fs::exists(written), c.previous);
        if (c.previous) {
            EXPECT_EQ(ReadFile(written), Previous);
        }
        EXPECT_EQ(ToHex(WithoutStamp(ReadFile(partial))), ToHex(expectedPartial));
        // No temporary file survives, beside the destination or elsewhere.
        const std::set<std::string> both{"o.gpi", "o.gpi.partial"};
        EXPECT_EQ(Entries(t / "out"), c.link ? std::set<std::string>{"o.gpi"}
                                             : c.previous ? both : std::set<std::string>{"o.gpi.partial"});
        EXPECT_EQ(Entries(t / "real"), !c.link ? std::set<std::string>{}
                                               : c.previous ? both : std::set<std::string>{"o.gpi.partial"});

        WriteSource(t / "src", false);
        const auto good = RunInto(t / "src", destination);
        ASSERT_EQ(good.ExitCode, 0) << good.Output;
        EXPECT_EQ(fs::is_symlink(destination), c.link);
        const TGpiFile file = ParseGpi(ReadFile(written));
        EXPECT_EQ(file.Groups.size(), 2u);
        EXPECT_TRUE(file.End.has_value());
        // The partial file of the failed run would only mislead now.
        EXPECT_EQ(Entries(t / "out"), std::set<std::string>{"o.gpi"});
        EXPECT_EQ(Entries(t / "real"), c.link ? std::set<std::string>{"o.gpi"} : std::set<std::string>{});
    }
}

// A destination name too long to take ".partial" (most file systems allow
// 255 bytes): what was written is kept under a shorter name, which the
// report gives.
TEST(OutputReplace, PartialNameTooLongIsCutShort) {
    TempDir t;
    WriteSource(t / "src", true);
    const std::string name(250, 'd');
    const fs::path partial = t / (std::string(247, 'd') + ".partial");
    const auto failed = RunInto(t / "src", t / name);
    EXPECT_EQ(failed.ExitCode, 4) << failed.Output;
    EXPECT_NE(failed.Output.find("What was written is kept in \"" + partial.string() + "\""), std::string::npos)
        << failed.Output;
    EXPECT_EQ(Entries(t.Path()), (std::set<std::string>{partial.filename().string(), "src"}));
}

// The size of the run's hidden temporary file beside o.gpi, 0 while there is none.
std::uintmax_t TemporarySize(const fs::path& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().filename().string().rfind(".o.gpi.", 0) == 0) return entry.file_size(error);
    return 0;
}

// Each signal that stops a run from outside (Ctrl-C, kill, a closed
// terminal or pipe, Ctrl-\\) keeps what it wrote as the partial file and
// leaves no temporary file; the process still ends by that signal.
TEST(OutputReplace, RunStoppedByASignalKeepsPartialAndNoTemporaryFile) {
    TempDir t;
    for (int g = 0; g < 100; ++g) {
        std::string points;
        for (int i = 0; i < 1000; ++i) points += "<wpt lat=\"50." + std::to_string(i) + "\" lon=\"14\"><name>p</name></wpt>\n";
        WriteFile(t / Format("src/G%03d/a.gpx", g), "<gpx>" + points + "</gpx>");
    }
    const std::uintmax_t grown = 200'000;  // a few groups written: the run is well under way
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE}) {
        SCOPED_TRACE(strsignal(signalNumber));
        fs::remove_all(t / "out");
        fs::create_directories(t / "out");
        WriteFile(t / "out/o.gpi", Previous);
        int lines[2];
        ASSERT_EQ(pipe(lines), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, lines[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, lines[0]);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigdefault(&attributes, &all);  // none ignored, as from a terminal
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        const std::string program = KestroBinary().string(), source = (t / "src").string(), out = (t / "out/o.gpi").string();
        char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(source.c_str()), const_cast<char*>(out.c_str()), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, &attributes, arguments, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        close(lines[1]);
        // Only the pipe's reader leaving raises SIGPIPE; the others are sent.
        if (signalNumber != SIGPIPE) {
            std::thread drain([fd = lines[0]] {
                char buffer[4096];
                while (read(fd, buffer, sizeof buffer) > 0) {}
            });
            drain.detach();
        }
        while (TemporarySize(t / "out") < grown && waitpid(pid, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (signalNumber == SIGPIPE) close(lines[0]);
        else kill(pid, signalNumber);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
        EXPECT_TRUE(ReadFile(t / "out/o.gpi") == Previous);
        ASSERT_EQ(Entries(t / "out"), (std::set<std::string>{"o.gpi", "o.gpi.partial"}));
        EXPECT_GE(fs::file_size(t / "out/o.gpi.partial"), grown);
    }
}

TEST(OutputReplace, WhatIsNoRegularFileIsWrittenInPlaceNeverReplaced) {
    TempDir t;
    WriteSource(t / "src", false);
    ASSERT_EQ(mkfifo((t / "fifo").c_str(), 0600), 0);
    // The shell keeps the FIFO open, so what the program writes waits there
    // until it is read after the run.
    const auto run = RunCommand("exec 3<>" + Q(t / "fifo") + "; " + Q(KestroBinary()) + " " + Q(t / "src") + " " +
                                Q(t / "fifo") + " > /dev/null; code=$?; dd bs=65536 count=1 iflag=nonblock <&3 > " +
                                Q(t / "got") + " 2> /dev/null; exit $code");
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(fs::status(t / "fifo").type(), fs::file_type::fifo);
    const TGpiFile file = ParseGpi(ReadFile(t / "got"));
    EXPECT_EQ(file.Groups.size(), 2u);
    EXPECT_TRUE(file.End.has_value());
    EXPECT_EQ(Entries(t.Path()), (std::set<std::string>{"fifo", "got", "src"}));
}

TEST(OutputReplace, TemporaryFileInTheSourceFolderIsNoInput) {
    TempDir t;
    WriteSource(t / "src", false);
    WriteFile(t / "src/o.gpi", Previous);
    const auto run = RunInto(t / "src", t / "src/o.gpi");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "Group: "), (std::vector<std::string>{"Group: A", "Group: B"}));
    EXPECT_EQ(Entries(t / "src"), (std::set<std::string>{"A", "B", "o.gpi"}));
}

}  // namespace
}  // namespace kestro::conversion_test
