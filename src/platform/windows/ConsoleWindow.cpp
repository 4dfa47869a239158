#include "platform/ConsoleWindow.h"

#include <windows.h>

#include <array>

namespace kestro {

namespace {

bool IsConsole(DWORD handleKind) {
    DWORD mode = 0;
    const HANDLE handle = GetStdHandle(handleKind);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

TConsoleState CurrentConsoleState() {
    TConsoleState state;
    // Started from Explorer, the console was made for this process alone;
    // from cmd or PowerShell the shell is attached to it too.
    std::array<DWORD, 2> processes{};
    state.OwnWindow = GetConsoleProcessList(processes.data(), static_cast<DWORD>(processes.size())) == 1;
    state.InputFromConsole = IsConsole(STD_INPUT_HANDLE);
    state.OutputToConsole = IsConsole(STD_OUTPUT_HANDLE);
    return state;
}

void WaitForEnter() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    // Keys pressed during the run would close the window at once.
    FlushConsoleInputBuffer(input);
    std::array<wchar_t, 64> buffer{};
    DWORD read = 0;
    while (ReadConsoleW(input, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) != 0 && read > 0) {
        for (DWORD i = 0; i < read; ++i)
            if (buffer[i] == L'\r' || buffer[i] == L'\n') return;
    }
}

}  // namespace kestro
