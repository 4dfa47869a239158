#pragma once
// Whether two names lead to one file.
#include <string>

namespace kestro {

// True when both exist and are one file: through a hard or a symbolic link,
// or on Windows another letter case or a short name. Compared by what the
// system identifies the file with (device and inode; volume serial number
// and file index), not by the names.
bool SameFile(const std::string& a, const std::string& b);

// True when path names the file that standard output already is (the
// shell opened it, or /dev/stdout): compared as SameFile compares.
bool IsStandardOutputFile(const std::string& path);

// The name (without folder) of the regular file that standard output is,
// opened by the shell; "" for a pipe, a terminal or a device.
std::string StandardOutputFileName();

}  // namespace kestro
