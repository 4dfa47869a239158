#include "platform/SameFile.h"

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsStandardOutputFile(const std::string& path) {
    struct stat file {};
    struct stat out {};
    return ::stat(path.c_str(), &file) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && file.st_dev == out.st_dev &&
           file.st_ino == out.st_ino;
}

std::string StandardOutputFileName() {
    std::error_code error;
    const auto target = std::filesystem::read_symlink("/proc/self/fd/1", error);
    if (!error && std::filesystem::is_regular_file(target, error) && target.has_filename())
        return target.filename().string();
    return std::string();
}

}  // namespace kestro
