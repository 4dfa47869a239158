// Test helper: holds a file open the way an editor or a device loader does
// (no sharing at all) until it is ended, so the converter meets a
// destination in use by another process. Writes "FILE.held" once it holds it.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    const std::wstring marker = std::wstring(argv[1]) + L".held";
    const HANDLE sign = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(sign);
    Sleep(INFINITE);
    return 0;
}
