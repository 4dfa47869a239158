// Call stacks on every system: capturing into a trace, the names as written
// in code, and which frames a report leaves out. Capturing and naming a
// frame are the system's (StackFrames.h).
#include "diag/StackTrace.h"

#include <cxxabi.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <utility>

#include "diag/StackFrames.h"

namespace kestro {

namespace {

// Frames of the error machinery itself, at the top of every stack.
bool IsMachineryFrame(const std::string& line) {
    static const char* const prefixes[] = {"kestro::CaptureStack", "kestro::Exception::Exception", "__cxa_throw",
                                           "__wrap___cxa_throw", "CaptureStackBackTrace", "RtlCaptureStackBackTrace"};
    for (const char* prefix : prefixes)
        if (line.rfind(prefix, 0) == 0) return true;
    // Inherited constructors of the error classes, e.g. kestro::EFCreateError::Exception(...)
    return line.rfind("kestro::", 0) == 0 && line.find("::Exception(") != std::string::npos;
}

// Below main lies only the C run-time's start-up.
bool IsMainFrame(const std::string& line) {
    return line == "main" || line.rfind("main at ", 0) == 0 || line.rfind("main in ", 0) == 0;
}

}  // namespace

std::string Demangle(const char* name) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
    return status == 0 && plain ? std::string(plain.get()) : std::string(name);
}

std::string SimplifyTypeNames(std::string name) {
    static const std::pair<std::string, std::string> replacements[] = {
        {"std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >", "std::string"},
        {"std::basic_string<char, std::char_traits<char>, std::allocator<char> >", "std::string"},
        {"__cxx11::", ""},
        {"std::allocator<std::string >", "std::allocator<std::string>"}};
    for (const auto& [from, to] : replacements)
        for (auto at = name.find(from); at != std::string::npos; at = name.find(from, at + to.size()))
            name.replace(at, from.size(), to);
    return name;
}

TStackTrace CaptureStackTrace(std::size_t skip) {
    std::array<const void*, MaxStackFrames> frames;
    const std::size_t count = CaptureStackFrames(frames.data(), frames.size(), skip + 1);
    return TStackTrace(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(count));
}

std::vector<std::string> DescribeStackTrace(const TStackTrace& trace) {
    std::vector<std::string> lines;
    DescribeFrames(trace, [&](const std::vector<std::string>& frameLines) {
        bool reachedMain = false;
        for (const auto& line : frameLines) {
            if (lines.empty() && IsMachineryFrame(line)) continue;
            lines.push_back(line);
            if (IsMainFrame(line)) reachedMain = true;
        }
        return !reachedMain;
    });
    return lines;
}

}  // namespace kestro
