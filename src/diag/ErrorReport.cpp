#include "diag/ErrorReport.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

#include "diag/Exceptions.h"
#include "diag/ThrowTracking.h"

namespace kestro {

namespace {

void EraseAll(std::string& text, const std::string& part) {
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) text.erase(at, part.size());
}

}  // namespace

std::string ReadableTypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                      &std::free);
    std::string name = status == 0 && plain ? plain.get() : type.name();
    EraseAll(name, "__cxx11::");
    EraseAll(name, "[abi:cxx11]");
    EraseAll(name, "__2::");  // libc++'s inline namespace (the browser build)
    return name;
}

TErrorReport DescribeCurrentException() {
    TErrorReport report;
    TStackTrace stack;
    const std::type_info* type = CurrentExceptionType();
    try {
        throw;
    } catch (const Exception& error) {
        report.ClassName = error.ClassName();
        report.Message = error.what();
        report.File = error.File();
        // The stack of the throw is preferred; the one taken when the error
        // was made serves when tracking is off.
        if (!FindThrowStack(dynamic_cast<const void*>(&error), nullptr, stack)) stack = error.Stack();
    } catch (const std::exception& error) {
        report.ClassName = ReadableTypeName(typeid(error));
        report.Message = error.what();
        FindThrowStack(dynamic_cast<const void*>(&error), nullptr, stack);
    } catch (...) {
        report.ClassName = type != nullptr ? ReadableTypeName(*type) : "unknown";
        report.Message = "an error of a type that carries no message";
        FindThrowStack(nullptr, type, stack);
    }
    report.Frames = DescribeStackTrace(stack);
    return report;
}

std::string FormatErrorReport(const TErrorReport& report) {
    // The file first, as warnings name it, unless the message names it already.
    const bool namesFile = report.File.empty() || report.Message.find(report.File) != std::string::npos;
    std::string text = report.ClassName + ": " + (namesFile ? "" : report.File + ": ") + report.Message + "\n\n";
    for (const auto& frame : report.Frames) text += frame + "\n";
    return text;
}

}  // namespace kestro
