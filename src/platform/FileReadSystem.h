#pragma once
// The system's side of reading files: one source file per system
// (FileReadPosix.cpp, windows/FileRead.cpp). What every system shares, the
// refusals and the messages, is in FileRead.cpp. Handles are C run-time
// descriptors; a call that can fail returns the errno value of the failure,
// 0 when it succeeds.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestro {

enum class TInputKind { File, Folder, Other };

// Opens the path for reading without waiting: a FIFO does not wait for a
// writer, and others may go on writing, renaming or removing the file.
int OpenInput(const std::string& path, int& descriptor);
// What the open entry is.
int InputKindOf(int descriptor, TInputKind& kind);
void CloseInput(int descriptor);

// A first part of `count` bytes from `offset`, or from the current position;
// `got` is 0 only where the file ends.
int ReadInputAt(int descriptor, char* buffer, std::size_t count, std::uint64_t offset, std::size_t& got);
int ReadInputNext(int descriptor, char* buffer, std::size_t count, std::size_t& got);

// The size the system reports for a regular file, else 0: a hint only.
std::uint64_t InputSizeHint(int descriptor);

}  // namespace kestro
