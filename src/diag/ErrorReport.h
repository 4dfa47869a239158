#pragma once
// The report printed when an error reaches the program main: the class
// name, ": ", the input file it came from and ": " (when known), the
// message, an empty line, then one line per stack frame of the point where
// the error was raised.
#include <string>
#include <typeinfo>
#include <vector>

namespace kestro {

struct TErrorReport {
    std::string ClassName;  // ours as they name themselves, others by C++ type, e.g. std::bad_alloc
    std::string Message;
    std::string File;  // the input file it came from, when known
    std::vector<std::string> Frames;
};

// Describes the exception being handled; call it only inside a catch block.
TErrorReport DescribeCurrentException();

std::string FormatErrorReport(const TErrorReport& report);

// The readable name of a C++ type, without the library's inline namespaces.
std::string ReadableTypeName(const std::type_info& type);

}  // namespace kestro
