#include "app/Run.h"

#include <iostream>

#include "app/GroupBuilder.h"
#include "app/OutputGuard.h"
#include "app/RunState.h"
#include "app/Settings.h"
#include "gpi/FolderListing.h"
#include "diag/Exceptions.h"
#include "gpi/FileFrame.h"
#include "gpi/OutputFile.h"
#include "gpi/TextConversion.h"
#include "gpx/GroupOutput.h"
#include "gpx/ProgressLine.h"

namespace kestro {

namespace {

std::string FileNameWithoutFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void PrintBanner() {
    std::cout << "Kestro " KESTRO_VERSION " (c) Kestro developers\n"
                 "  Translating set of GPX files into one GPI file.\n"
                 "\n"
                 "Usage: kestro.exe <source_path> <destination_file>\n"
                 "\n";
}

void Run(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2) {
        std::cout << "ERROR! Invalid parameter count.\n";
        ExitCode = 1;
        return;
    }
    std::string sourcePath = arguments[0];
    if (!sourcePath.empty() && sourcePath.back() != '/') sourcePath += '/';
    if (!FolderExists(sourcePath)) {
        std::cout << "ERROR! Source path does not exist!\n";
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
    TOutputFile output(destination);
    WriteHeader(output, Utf8ToCodePage(FileNameWithoutFolder(destination), CodePage));
    ExitCode = 4;

    // The terminal's progress line; none where standard error is a file or a pipe.
    const auto progress = TerminalProgressLine(std::cerr, std::cout);
    const auto buildGroup = [&](const std::string& groupPath) {
        TGroupOutput groupOutput(std::cout, std::cerr, progress.get());
        GpiWriteBytes(output, BuildGroup(groupPath, groupOutput));
    };
    for (const auto& folder : ListGroupFolders(sourcePath)) buildGroup(sourcePath + folder + "/");
    for (const auto& file : ListGpxFiles(sourcePath)) buildGroup(sourcePath + file);

    WriteEndRecord(output);
    output.Close();
    ExitCode = 0;
}

}  // namespace kestro
