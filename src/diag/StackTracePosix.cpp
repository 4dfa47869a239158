// The POSIX side of call stacks (see StackFrames.h): the C++ unwinder, and
// addr2line for names and places.
#include "diag/StackFrames.h"

#include <dlfcn.h>
#include <link.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unwind.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

extern char** environ;

namespace kestro {

namespace {

struct TUnwindState {
    const void** Frames;
    std::size_t Capacity;
    std::size_t Skip;
    std::size_t Count;
};

_Unwind_Reason_Code CollectFrame(_Unwind_Context* context, void* argument) {
    auto* state = static_cast<TUnwindState*>(argument);
    const auto address = _Unwind_GetIP(context);
    if (address == 0) return _URC_END_OF_STACK;
    if (state->Skip > 0) {
        --state->Skip;
        return _URC_NO_REASON;
    }
    if (state->Count == state->Capacity) return _URC_END_OF_STACK;
    state->Frames[state->Count++] = reinterpret_cast<const void*>(address);
    return _URC_NO_REASON;
}

std::string HexAddress(std::uintptr_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%zx", static_cast<std::size_t>(value));
    return text;
}

// Where one frame lies: the binary that holds it and the address addr2line
// needs for it (relative to the load address for position-independent code).
struct TFrameModule {
    std::string File;
    std::uintptr_t LookupAddress = 0;
    std::string SymbolName;  // from the dynamic symbol table, may be empty
};

std::string ProgramFile() {
    std::array<char, 4096> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    return length > 0 ? std::string(path.data(), static_cast<std::size_t>(length)) : std::string();
}

bool LoadedAsSharedObject(const void* base) {
    const auto* header = static_cast<const ElfW(Ehdr)*>(base);
    return header != nullptr && std::memcmp(header->e_ident, ELFMAG, SELFMAG) == 0 && header->e_type == ET_DYN;
}

TFrameModule LocateFrame(const void* frame) {
    TFrameModule module;
    // A return address points behind its call; step back into the call itself.
    const auto address = reinterpret_cast<std::uintptr_t>(frame) - 1;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(address), &info) == 0 || info.dli_fbase == nullptr) {
        module.LookupAddress = address;
        return module;
    }
    if (info.dli_sname != nullptr) module.SymbolName = Demangle(info.dli_sname);
    static const void* programBase = [] {
        Dl_info self{};
        return dladdr(reinterpret_cast<void*>(&ProgramFile), &self) != 0 ? self.dli_fbase : nullptr;
    }();
    module.File = info.dli_fbase == programBase || info.dli_fname == nullptr || info.dli_fname[0] == '\0'
                      ? ProgramFile()
                      : std::string(info.dli_fname);
    const auto base = reinterpret_cast<std::uintptr_t>(info.dli_fbase);
    module.LookupAddress = LoadedAsSharedObject(info.dli_fbase) ? address - base : address;
    return module;
}

// Runs addr2line once for all frames of one binary. Each address answers
// with its own line "0x…" followed by function/location pairs, innermost
// inlined function first.
std::map<std::uintptr_t, std::vector<std::string>> AskAddr2line(const std::string& file,
                                                                 const std::vector<std::uintptr_t>& addresses) {
    std::map<std::uintptr_t, std::vector<std::string>> answers;
    // Looked up on PATH, so that an installed program finds binutils where the
    // system has it; where there is none, the frames stay addresses.
    static const char* tool = "addr2line";
    if (file.empty()) return answers;

    std::vector<std::string> arguments{tool, "-C", "-f", "-i", "-a", "-e", file};
    for (auto address : addresses) arguments.push_back(HexAddress(address));
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return answers;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, tool, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);

    std::string output;
    if (spawned == 0) {
        std::array<char, 4096> buffer;
        for (;;) {
            const ssize_t got = read(pipeEnds[0], buffer.data(), buffer.size());
            if (got > 0) output.append(buffer.data(), static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR) break;
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    close(pipeEnds[0]);

    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        lines.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::string>* current = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("0x", 0) == 0) {
            current = &answers[static_cast<std::uintptr_t>(std::strtoull(lines[i].c_str(), nullptr, 16))];
            continue;
        }
        if (current == nullptr || i + 1 >= lines.size()) break;
        std::string function = lines[i];
        std::string location = lines[++i];
        const auto discriminator = location.find(" (discriminator");
        if (discriminator != std::string::npos) location.erase(discriminator);
        // Without line tables the line number is "?": the file alone still helps.
        if (location.size() > 2 && location.compare(location.size() - 2, 2, ":?") == 0) location.resize(location.size() - 2);
        std::string line = SimplifyTypeNames(function);
        if (location.rfind("??", 0) != 0) line += " at " + location;
        current->push_back(line);
    }
    return answers;
}

}  // namespace

// Kept out of line: the frames to skip are counted from here.
__attribute__((noinline)) std::size_t CaptureStackFrames(const void** frames, std::size_t capacity, std::size_t skip) {
    TUnwindState state{frames, capacity, skip + 1, 0};
    _Unwind_Backtrace(&CollectFrame, &state);
    return state.Count;
}

void DescribeFrames(const TStackTrace& trace, const TFrameTaker& take) {
    std::vector<TFrameModule> modules;
    std::map<std::string, std::vector<std::uintptr_t>> addressesByFile;
    for (const void* frame : trace) {
        modules.push_back(LocateFrame(frame));
        if (!modules.back().File.empty()) addressesByFile[modules.back().File].push_back(modules.back().LookupAddress);
    }
    std::map<std::string, std::map<std::uintptr_t, std::vector<std::string>>> answers;
    for (const auto& [file, addresses] : addressesByFile) answers[file] = AskAddr2line(file, addresses);

    for (const auto& module : modules) {
        std::vector<std::string> frameLines;
        const auto fileAnswers = answers.find(module.File);
        if (fileAnswers != answers.end()) {
            const auto found = fileAnswers->second.find(module.LookupAddress);
            if (found != fileAnswers->second.end()) frameLines = found->second;
        }
        for (auto& line : frameLines) {
            if (line.rfind("??", 0) == 0 && !module.SymbolName.empty()) line = module.SymbolName + line.substr(2);
        }
        if (frameLines.empty() || frameLines.front().rfind("??", 0) == 0) {
            std::string where = module.File.empty() ? std::string("?") : module.File;
            frameLines = {(module.SymbolName.empty() ? where : module.SymbolName) + " +" + HexAddress(module.LookupAddress)};
        }
        if (!take(frameLines)) return;
    }
}

}  // namespace kestro
