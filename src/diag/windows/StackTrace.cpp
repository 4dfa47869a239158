// The Windows side of call stacks (see StackFrames.h): the system's stack
// capture, and the symbol table MinGW leaves in the program file.
#include "diag/StackFrames.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace kestro {

namespace {

std::string Narrow(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// The file name of the module holding the address and the address's offset in it.
std::string ModuleOffset(std::uintptr_t address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(address), &module)) {
        char text[40];
        std::snprintf(text, sizeof text, "? +0x%llx", static_cast<unsigned long long>(address));
        return text;
    }
    std::array<wchar_t, MAX_PATH> path{};
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    std::string name = length > 0 ? Narrow(path.data()) : std::string("?");
    const auto separator = name.find_last_of("\\/");
    if (separator != std::string::npos) name.erase(0, separator + 1);
    char offset[40];
    std::snprintf(offset, sizeof offset, " +0x%llx",
                  static_cast<unsigned long long>(address - reinterpret_cast<std::uintptr_t>(module)));
    return name + offset;
}

// The functions of a module from the symbol table MinGW leaves in the
// program file (none when it is stripped): start offsets, sorted, and names.
struct TModuleSymbols {
    std::vector<std::pair<std::uint32_t, std::string>> Functions;
};

template <typename T>
bool ReadAt(const std::string& file, std::size_t offset, T& value) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return true;
}

TModuleSymbols LoadSymbols(HMODULE module) {
    TModuleSymbols symbols;
    std::array<wchar_t, MAX_PATH> path{};
    if (GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())) == 0) return symbols;
    const HANDLE handle = CreateFileW(path.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return symbols;
    LARGE_INTEGER size{};
    std::string file;
    if (GetFileSizeEx(handle, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31)) {
        file.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(handle, file.data(), static_cast<DWORD>(file.size()), &got, nullptr)) got = 0;
        file.resize(got);
    }
    CloseHandle(handle);

    std::uint32_t peOffset = 0, symbolTable = 0, symbolCount = 0;
    std::uint16_t sectionCount = 0, optionalSize = 0;
    if (!ReadAt(file, 0x3C, peOffset) || !ReadAt(file, peOffset + 6, sectionCount) ||
        !ReadAt(file, peOffset + 12, symbolTable) || !ReadAt(file, peOffset + 16, symbolCount) ||
        !ReadAt(file, peOffset + 20, optionalSize) || symbolTable == 0)
        return symbols;
    std::vector<std::uint32_t> sectionStarts;
    const std::size_t sections = peOffset + 24 + optionalSize;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        std::uint32_t start = 0;
        if (!ReadAt(file, sections + 40 * i + 12, start)) return symbols;
        sectionStarts.push_back(start);
    }
    const std::size_t strings = symbolTable + 18 * static_cast<std::size_t>(symbolCount);
    for (std::size_t i = 0; i < symbolCount; ++i) {
        const std::size_t at = symbolTable + 18 * i;
        std::uint32_t value = 0, nameOffset = 0, shortName = 0;
        std::int16_t section = 0;
        std::uint16_t type = 0;
        std::uint8_t storage = 0, auxiliary = 0;
        if (!ReadAt(file, at, shortName) || !ReadAt(file, at + 4, nameOffset) || !ReadAt(file, at + 8, value) ||
            !ReadAt(file, at + 12, section) || !ReadAt(file, at + 14, type) || !ReadAt(file, at + 16, storage) ||
            !ReadAt(file, at + 17, auxiliary))
            break;
        i += auxiliary;
        // Functions (type 0x20), external or static, in a section of the file.
        if (type != 0x20 || (storage != 2 && storage != 3) || section <= 0 ||
            static_cast<std::size_t>(section) > sectionStarts.size())
            continue;
        std::string name;
        if (shortName != 0) {
            name.assign(file.data() + at, 8);
            name.resize(std::strlen(name.c_str()));
        } else if (strings + nameOffset < file.size()) {
            name = file.c_str() + strings + nameOffset;
        }
        if (!name.empty()) symbols.Functions.emplace_back(sectionStarts[static_cast<std::size_t>(section - 1)] + value, name);
    }
    std::sort(symbols.Functions.begin(), symbols.Functions.end());
    return symbols;
}

// The name of the function holding the offset in the module: "" when the
// program file keeps no symbols.
std::string FunctionName(HMODULE module, std::uintptr_t offset) {
    static std::mutex mutex;
    static std::map<HMODULE, TModuleSymbols> modules;
    const std::lock_guard lock(mutex);
    auto known = modules.find(module);
    if (known == modules.end()) known = modules.emplace(module, LoadSymbols(module)).first;
    const auto& functions = known->second.Functions;
    auto after = std::upper_bound(functions.begin(), functions.end(), offset,
                                  [](std::uintptr_t value, const auto& entry) { return value < entry.first; });
    if (after == functions.begin()) return std::string();
    return SimplifyTypeNames(Demangle(std::prev(after)->second.c_str()));
}

}  // namespace

__attribute__((noinline)) std::size_t CaptureStackFrames(const void** frames, std::size_t capacity, std::size_t skip) {
    const auto count = RtlCaptureStackBackTrace(static_cast<DWORD>(skip + 1), static_cast<DWORD>(std::min<std::size_t>(capacity, 62)),
                                                const_cast<void**>(frames), nullptr);
    return count;
}

void DescribeFrames(const TStackTrace& trace, const TFrameTaker& take) {
    for (const void* frame : trace) {
        // A return address points behind its call; step back into the call itself.
        const auto address = reinterpret_cast<std::uintptr_t>(frame) - 1;
        HMODULE module = nullptr;
        // Below the system's thread start there is no code of a module left.
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCWSTR>(address), &module))
            break;
        const std::string function = FunctionName(module, address - reinterpret_cast<std::uintptr_t>(module));
        const std::string where = ModuleOffset(address);
        if (!take({function.empty() ? where : function + " in " + where})) return;
    }
}

}  // namespace kestro
