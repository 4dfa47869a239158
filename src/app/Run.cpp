#include "app/Run.h"

#include <filesystem>

#include "app/CommandLine.h"
#include "app/Credits.h"
#include "app/FolderBeside.h"
#include "app/GroupBuilder.h"
#include "app/OutputGuard.h"
#include "app/RunState.h"
#include "app/Settings.h"
#include "diag/ErrorReport.h"
#include "diag/Exceptions.h"
#include "diag/ThrowTracking.h"
#include "gpi/FileFrame.h"
#include "pipeline/GroupOutput.h"
#include "pipeline/GroupPipeline.h"
#include "pipeline/NotWritten.h"
#include "pipeline/ProgressLine.h"
#include "platform/FolderListing.h"
#include "platform/OutputFile.h"
#include "platform/PathName.h"
#include "platform/SameFile.h"
#include "platform/TerminalText.h"
#include "platform/TextConversion.h"
#include "sources/GroupSources.h"
#include "store/SQLiteLibrary.h"

namespace kestro {

namespace {

// The name the header record gives a file written to standard output: the
// file's own name where the shell opened one, else a fixed one.
std::string StandardOutputName() {
    const std::string name = StandardOutputFileName();
    return name.empty() ? "kestro.gpi" : name;
}

// Where a run prints: progress (banner, progress lines, "Done."), the
// argument errors and error report, and warnings and notes.
struct TConsole {
    std::ostream& Progress;
    std::ostream& Report;
    std::ostream& Messages;
    bool Quiet;
    bool ToStandardOutput;  // the file goes to standard output, the text to Messages
};

// "-", or a name of the file that standard output already is (/dev/stdout,
// the file the shell opened): written through standard output, so that no
// progress line lands in the file.
bool WritesToStandardOutput(const std::string& destination) {
    return IsStandardOutput(destination) || IsStandardOutputFile(destination);
}

// The usage line names the program as it was called: "kestro" on Linux, "kestro.exe" from Explorer.
void PrintBanner(std::ostream& out, const std::string& programName) {
    out << "Kestro " KESTRO_VERSION " (c) Kestro developers\n"
           "  Translating set of GPX files into one GPI file.\n"
           "\n"
           "Usage: "
        << TerminalText(programName) << " <source_path> <destination_file>\n\n";
}

// Returns after argument errors (exit code 1 or 2); raises on every other
// failure, leaving the exit code of the stage reached. A failure after the
// output was begun sets partialNote to the line that says where what was
// written is kept.
void Convert(const std::vector<std::string>& arguments, const TConsole& console, TThreading threading,
             TNotWritten& notWritten, std::string& partialNote) {
    const TSQLiteLibrary sqlite;
    std::ostream& out = console.Progress;
    std::ostream& messages = console.Messages;
    std::vector<std::string> operands = arguments;
    if (operands.size() == 1 && FolderExists(FolderPathForJoining(operands[0]))) {
        const auto beside = DestinationBesideFolder(operands[0]);
        if (!beside) {
            console.Report << "ERROR! \"" << TerminalText(operands[0]) << "\" has no name to give the GPI file beside it; give the "
                              "destination as the second argument.\n";
            ExitCode = 1;
            return;
        }
        operands.push_back(*beside);
        out << "Destination: " << TerminalText(*beside) << "\n\n";
    }
    if (operands.size() != 2) {
        console.Report << "ERROR! Invalid parameter count.\n";
        ExitCode = 1;
        return;
    }
    const std::string sourcePath = FolderPathForJoining(operands[0]);
    if (!FolderExists(sourcePath)) {
        console.Report << "ERROR! Source path does not exist!\n";
        ExitCode = 2;
        return;
    }

    // Set before the settings are read, so that a failure there is not left as success.
    ExitCode = 3;
    const TRunSettings settings = [&] {
        TRunSettings loaded = LoadSettings(sourcePath);
        loaded.Threading = threading;
        return loaded;
    }();
    if (!CodePageAvailable(settings.CodePage))
        throw EConvertError(Format("Code page %d set by \"codepage\" in %skestro.ini cannot be used: the system "
                                   "has no conversion into %s.",
                                   settings.CodePage, sourcePath.c_str(), CodePageEncodingName(settings.CodePage).c_str()));
    UseCodePage(settings);

    const std::string& destination = operands[1];
    const bool toStandardOutput = console.ToStandardOutput;
    if (!toStandardOutput) CheckOutputIsNoInput(sourcePath, destination, settings.SourceFormats());
    TOutputFile output(destination, toStandardOutput ? TOutputOptions{.StandardOutput = true}
                                                     : TOutputOptions{.ReplaceOnClose = true});
    try {
        const std::string fileName =
            IsStandardOutput(destination) ? StandardOutputName() : FileNameWithoutFolder(destination);
        WriteHeader(output, Utf8ToCodePage(fileName, settings.CodePage), CreditsInCodePage(settings.Credits, settings.CodePage));
        ExitCode = 4;

        // The terminal's progress line; none where standard error is a file or a pipe, nor in a quiet run.
        const auto progress = console.Quiet ? nullptr : TerminalProgressLine(messages, out);
        {
            const TGroupReader readGroup = [&settings](const std::string& path, TGroupOutput& groupOutput) {
                return ReadGroup(settings, path, groupOutput);
            };
            TGroupPipeline groups(output, out, messages, progress.get(), readGroup, &notWritten, settings.Threading);
            for (const auto& folder : ListGroupFolders(sourcePath)) groups.Add(sourcePath + folder + "/");
            std::vector<std::string> files;
            try {
                files = ListCategoryFiles(sourcePath, settings.SourceFormats());
            } catch (...) {
                groups.Finish();  // the folder groups came first, as did an error of theirs
                throw;
            }
            for (const auto& file : files) groups.Add(sourcePath + file);
            groups.Finish();
        }

        WriteEndRecord(output);
        output.Close();
    } catch (...) {
        const std::string partial = output.KeepPartial();
        if (!partial.empty())
            partialNote = Format("What was written is kept in \"%s\"; \"%s\" is as it was before the run.",
                                 partial.c_str(), FullFileName(destination).c_str());
        throw;
    }
    ExitCode = 0;
}

// Only after a run that wrote its file: what it left out, and a file without any point.
void TellWhatWasLeftOut(const std::vector<std::string>& operands, const TNotWritten& notWritten,
                        const TConsole& console) {
    console.Progress.flush();
    notWritten.PrintSummary(console.Messages);
    if (notWritten.Written() == 0)
        console.Messages << "kestro: warning: no waypoint of " << operands[0] << " was written; the GPI file holds none\n"
                         << std::flush;
}

void PrintCurrentError(std::ostream& err) {
    try {
        err << FormatErrorReport(DescribeCurrentException());
    } catch (...) {
        err << "Error: the error report could not be built\n";
    }
}

}  // namespace

int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, std::ostream& messages,
        const std::string& programName, TThreading threading) {
    ExitCode = 0;
    const TCommandLine commandLine = ParseCommandLine(arguments);
    if (commandLine.UnknownOption.empty()) {
        if (commandLine.Help) {
            out << HelpText() << std::flush;
            return 0;
        }
        if (commandLine.Version) {
            out << "kestro " KESTRO_VERSION "\n" << std::flush;
            return 0;
        }
    }
    // With the file on standard output everything else goes to standard
    // error; a quiet run prints no progress at all.
    const bool toStandardOutput =
        commandLine.Operands.size() == 2 && WritesToStandardOutput(commandLine.Operands[1]);
    std::ostream silent(nullptr);
    std::ostream& shown = toStandardOutput ? messages : out;
    const TConsole console{commandLine.Quiet ? silent : shown, toStandardOutput ? messages : err, messages,
                           commandLine.Quiet, toStandardOutput};
    std::string partialNote;
    try {
        PrintBanner(console.Progress, programName);
        if (!commandLine.UnknownOption.empty()) {
            console.Progress.flush();
            messages << "kestro: unknown option \"" << commandLine.UnknownOption
                     << "\" (kestro --help lists the options; -- ends them)\n";
            return 1;
        }
        TNotWritten notWritten;
        Convert(commandLine.Operands, console, threading, notWritten, partialNote);
        console.Progress << "\nDone.\n";
        if (ExitCode == 0) TellWhatWasLeftOut(commandLine.Operands, notWritten, console);
    } catch (...) {
        console.Progress.flush();
        PrintCurrentError(console.Report);
        if (!partialNote.empty()) console.Report << '\n' << partialNote << '\n';
        // A failure before any stage was reached (SQLite start-up) must not look like success.
        if (ExitCode == 0) ExitCode = 3;
    }
    console.Progress.flush();
    console.Report.flush();
    return ExitCode;
}

}  // namespace kestro
