#include "diag/StackTrace.h"

#include <windows.h>
#include <dbghelp.h>

#include <cxxabi.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace kestro {

namespace {

std::string Demangle(const char* name) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
    return status == 0 && plain ? std::string(plain.get()) : std::string(name);
}

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

// The function's name from the symbols the system's debug helper finds in
// the program (none in a stripped one): "" when it has none.
std::string FunctionName(std::uintptr_t address) {
    static std::mutex mutex;  // the debug helper is not thread-safe
    const std::lock_guard lock(mutex);
    static const bool ready = [] {
        SymSetOptions(SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS);
        return SymInitialize(GetCurrentProcess(), nullptr, TRUE) != 0;
    }();
    if (!ready) return std::string();
    alignas(SYMBOL_INFO) std::array<char, sizeof(SYMBOL_INFO) + 1024> storage{};
    auto* symbol = reinterpret_cast<SYMBOL_INFO*>(storage.data());
    symbol->SizeOfStruct = sizeof(SYMBOL_INFO);
    symbol->MaxNameLen = 1024;
    DWORD64 displacement = 0;
    if (!SymFromAddr(GetCurrentProcess(), address, &displacement, symbol) || symbol->NameLen == 0) return std::string();
    return Demangle(std::string(symbol->Name, std::min<std::size_t>(symbol->NameLen, 1024)).c_str());
}

bool IsMachineryFrame(const std::string& line) {
    static const char* const prefixes[] = {"kestro::CaptureStack", "kestro::Exception::Exception", "__cxa_throw",
                                           "__wrap___cxa_throw", "CaptureStackBackTrace", "RtlCaptureStackBackTrace"};
    for (const char* prefix : prefixes)
        if (line.rfind(prefix, 0) == 0) return true;
    return line.rfind("kestro::", 0) == 0 && line.find("::Exception(") != std::string::npos;
}

}  // namespace

__attribute__((noinline)) std::size_t CaptureStackFrames(const void** frames, std::size_t capacity, std::size_t skip) {
    const auto count = RtlCaptureStackBackTrace(static_cast<DWORD>(skip + 1), static_cast<DWORD>(std::min<std::size_t>(capacity, 62)),
                                                const_cast<void**>(frames), nullptr);
    return count;
}

TStackTrace CaptureStackTrace(std::size_t skip) {
    std::array<const void*, MaxStackFrames> frames;
    const std::size_t count = CaptureStackFrames(frames.data(), frames.size(), skip + 1);
    return TStackTrace(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(count));
}

std::vector<std::string> DescribeStackTrace(const TStackTrace& trace) {
    std::vector<std::string> lines;
    for (const void* frame : trace) {
        // A return address points behind its call; step back into the call itself.
        const auto address = reinterpret_cast<std::uintptr_t>(frame) - 1;
        const std::string function = FunctionName(address);
        const std::string where = ModuleOffset(address);
        const std::string line = function.empty() ? where : function + " in " + where;
        if (lines.empty() && IsMachineryFrame(line)) continue;
        lines.push_back(line);
        if (function == "main") break;
    }
    return lines;
}

}  // namespace kestro
