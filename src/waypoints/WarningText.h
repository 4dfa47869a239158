#pragma once
// Texts from files as warnings quote them: a readable length, and the start
// of a file that may hold any bytes.
#include <string>
#include <string_view>

namespace kestro {

// Bytes a warning quotes of one text before it cuts it off with "…".
constexpr std::size_t QuotedTextLimit = 200;

// The text, cut after QuotedTextLimit bytes (not inside a UTF-8 sequence)
// with "…" appended.
std::string CutForWarning(std::string_view text);

// Bytes of a file's start that a warning shows, enough to recognise it.
constexpr std::size_t FileStartLimit = 40;

// The first line of a file's bytes as a warning shows it: cut after
// FileStartLimit bytes with "…", control bytes and bytes of no UTF-8
// sequence written as "\xNN".
std::string FileStartForWarning(std::string_view bytes);

}  // namespace kestro
