#include "app/Run.h"

#include "app/CommandLineHelp.h"
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
#include "pipeline/ProgressLine.h"
#include "platform/FolderListing.h"
#include "platform/OutputFile.h"
#include "platform/PathName.h"
#include "platform/TextConversion.h"
#include "sources/GroupSources.h"
#include "store/SQLiteLibrary.h"

namespace kestro {

namespace {

void PrintBanner(std::ostream& out) {
    out << "Kestro " KESTRO_VERSION " (c) Kestro developers\n"
           "  Translating set of GPX files into one GPI file.\n"
           "\n"
           "Usage: kestro.exe <source_path> <destination_file>\n"
           "\n";
}

// Returns after argument errors (exit code 1 or 2); raises on every other
// failure, leaving the exit code of the stage reached. A failure after the
// output was begun sets partialNote to the line that says where what was
// written is kept.
void Convert(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& messages,
             std::string& partialNote) {
    const TSQLiteLibrary sqlite;
    if (arguments.size() != 2) {
        out << "ERROR! Invalid parameter count.\n";
        ExitCode = 1;
        return;
    }
    std::string sourcePath = arguments[0];
    if (!sourcePath.empty() && PathSeparators.find(sourcePath.back()) == std::string_view::npos) sourcePath += '/';
    if (!FolderExists(sourcePath)) {
        out << "ERROR! Source path does not exist!\n";
        ExitCode = 2;
        return;
    }

    // Set before the settings are read, so that a failure there is not left as success.
    ExitCode = 3;
    LoadSettings(sourcePath);
    if (!CodePageAvailable(CodePage))
        throw EConvertError(Format("Code page %d set by \"codepage\" in %skestro.ini cannot be used: the system "
                                   "has no conversion into %s.",
                                   CodePage, sourcePath.c_str(), CodePageEncodingName(CodePage).c_str()));

    const std::string& destination = arguments[1];
    CheckOutputIsNoInput(sourcePath, destination);
    TOutputFile output(destination, TOutputOptions{.ReplaceOnClose = true});
    try {
        WriteHeader(output, Utf8ToCodePage(FileNameWithoutFolder(destination), CodePage));
        ExitCode = 4;

        // The terminal's progress line; none where standard error is a file or a pipe.
        const auto progress = TerminalProgressLine(messages, out);
        {
            TGroupPipeline groups(output, out, messages, progress.get(), ReadGroup);
            for (const auto& folder : ListGroupFolders(sourcePath)) groups.Add(sourcePath + folder + "/");
            std::vector<std::string> files;
            try {
                files = ListCategoryFiles(sourcePath, ReadCsvFiles);
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

void PrintCurrentError(std::ostream& err) {
    try {
        err << FormatErrorReport(DescribeCurrentException());
    } catch (...) {
        err << "Error: the error report could not be built\n";
    }
}

}  // namespace

int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, std::ostream& messages) {
    ExitCode = 0;
    std::string partialNote;
    try {
        PrintBanner(out);
        if (PrintHelpOrVersion(arguments, out)) {
            out.flush();
            return 0;
        }
        Convert(arguments, out, messages, partialNote);
        out << "\nDone.\n";
    } catch (...) {
        out.flush();
        PrintCurrentError(err);
        if (!partialNote.empty()) err << '\n' << partialNote << '\n';
        // A failure before any stage was reached (SQLite start-up) must not look like success.
        if (ExitCode == 0) ExitCode = 3;
    }
    out.flush();
    err.flush();
    return ExitCode;
}

}  // namespace kestro
