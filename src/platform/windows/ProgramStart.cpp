#include "platform/ProgramStart.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

#include "platform/PathName.h"
#include "platform/windows/SystemText.h"

namespace kestro {

std::vector<std::string> StartProgram(int argc, char** argv) {
    // Names show on the console as they are on disk, whatever the console's code page.
    SetConsoleOutputCP(CP_UTF8);
    // Lines end in "\n" alone, so that redirected output is the same file on every system.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The C run-time's arguments are in the ANSI code page; the system's own are UTF-16.
    int count = 0;
    const std::unique_ptr<wchar_t*, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count),
                                                                &LocalFree);
    if (!wide) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(wide.get()[i]));
    return arguments;
}

std::string ProgramNameAsCalled(int argc, char** argv, const std::string& builtName) {
    // The system's own UTF-16 name, as for the arguments: "kestro" typed in
    // cmd, the full path of kestro.exe from Explorer.
    int count = 0;
    const std::unique_ptr<wchar_t*, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count),
                                                                &LocalFree);
    std::string called;
    if (wide && count > 0) called = Utf8FromWide(wide.get()[0]);
    else if (argc > 0 && argv[0] != nullptr) called = argv[0];
    const std::string name = FileNameWithoutFolder(called);
    return name.empty() ? builtName + ".exe" : name;
}

int StandardErrorTerminalWidth() {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO information{};
    if (error == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(error, &information)) return 0;
    // The progress line erases itself with terminal control sequences.
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode)) SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    const int width = information.srWindow.Right - information.srWindow.Left + 1;
    return width > 0 ? width : 80;
}

}  // namespace kestro
