#include "dump/DumpRun.h"

#include <fstream>

#include "dump/HtmlReport.h"
#include "dump/JsonPrinter.h"
#include "dump/OutlinePrinter.h"
#include "dump/SvgPrinter.h"
#include "dump/Unpack.h"
#include "gpi/GpiCheck.h"
#include "gpi/GpiReader.h"

namespace kestro {

const char* const DumpUsage =
    "Usage: kestro-dump [--json | --check | --svg OUT.svg [--group N] | --html OUT.html | --unpack DIR]\n"
    "                   [--no-stamp] [--] FILE.gpi\n"
    "  (no option)    print the records of FILE.gpi as an indented outline\n"
    "  --json         print the same as one JSON document\n"
    "  --check        validate strictly and list every problem with its byte offset\n"
    "                 (exit code 0 clean, 1 problems found, 2 file not readable)\n"
    "  --svg OUT.svg  draw the area tree and the points of a group into OUT.svg\n"
    "  --group N      the group to draw, counted from 1 (default 1)\n"
    "  --html OUT.html\n"
    "                 write a self-contained page: overview, a map per group, every\n"
    "                 point with its fields, icons and photos\n"
    "  --unpack DIR   write a source folder DIR that kestro converts back into FILE.gpi\n"
    "                 (exit code 0 all carried, 1 something not carried, 2 file not readable)\n"
    "  --no-stamp     leave the header's time stamp out of the outline and the JSON\n";

namespace {

std::size_t ParseGroupNumber(const std::string& text) {
    std::size_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 1000000000) throw EUsageError(Format("invalid group number \"%s\"", text.c_str()));
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    if (text.empty() || value == 0) throw EUsageError(Format("invalid group number \"%s\"", text.c_str()));
    return value;
}

void SetMode(TDumpArguments& result, TDumpMode mode) {
    if (result.Mode != TDumpMode::Outline) throw EUsageError("choose one of --json, --check, --svg and --html");
    result.Mode = mode;
}

void WriteSvgFile(const TGpiFile& file, const TDumpArguments& arguments) {
    if (arguments.Group > file.Groups.size())
        throw EUsageError(Format("there is no group %zu: the file holds %zu group%s", arguments.Group, file.Groups.size(),
                                 file.Groups.size() == 1 ? "" : "s"));
    std::ofstream out(arguments.SvgFile, std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(Format("cannot create \"%s\": %s", arguments.SvgFile.c_str(), SystemErrorText(errno).c_str()));
    WriteSvg(file, arguments.Group - 1, out);
    out.close();
    if (!out) throw EWriteError(Format("cannot write \"%s\"", arguments.SvgFile.c_str()));
}

void WriteHtmlFile(const TGpiFile& file, const TDumpArguments& arguments) {
    std::ofstream out(arguments.HtmlFile, std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(Format("cannot create \"%s\": %s", arguments.HtmlFile.c_str(), SystemErrorText(errno).c_str()));
    WriteHtmlReport(file, std::filesystem::path(arguments.File).filename().string(), out);
    out.close();
    if (!out) throw EWriteError(Format("cannot write \"%s\"", arguments.HtmlFile.c_str()));
}

int PrintProblems(const TGpiFile& file, std::ostream& out) {
    const auto problems = CheckGpi(file);
    for (const auto& problem : problems) out << Format("0x%08zX: ", problem.Offset) << problem.Text << '\n';
    if (problems.empty()) {
        out << "No problems found.\n";
        return 0;
    }
    out << Format("%zu problem%s found.\n", problems.size(), problems.size() == 1 ? "" : "s");
    return 1;
}

}  // namespace

TDumpArguments ParseDumpArguments(const std::vector<std::string>& arguments) {
    TDumpArguments result;
    bool groupGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            if (!result.File.empty()) throw EUsageError("give exactly one GPI file");
            result.File = argument;
            continue;
        }
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw EUsageError(Format("%s needs a value", argument.c_str()));
            return arguments[++i];
        };
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--json") {
            SetMode(result, TDumpMode::Json);
        } else if (argument == "--check") {
            SetMode(result, TDumpMode::Check);
        } else if (argument == "--svg") {
            SetMode(result, TDumpMode::Svg);
            result.SvgFile = value();
        } else if (argument == "--html") {
            SetMode(result, TDumpMode::Html);
            result.HtmlFile = value();
        } else if (argument == "--unpack") {
            SetMode(result, TDumpMode::Unpack);
            result.UnpackDir = value();
        } else if (argument == "--group") {
            result.Group = ParseGroupNumber(value());
            groupGiven = true;
        } else if (argument == "--no-stamp") {
            result.Options.Stamp = false;
        } else if (argument == "--help" || argument == "-h") {
            result.Help = true;
        } else {
            throw EUsageError(Format("unknown option \"%s\"", argument.c_str()));
        }
    }
    if (result.Help) return result;
    if (result.File.empty()) throw EUsageError("give exactly one GPI file");
    if (groupGiven && result.Mode != TDumpMode::Svg) throw EUsageError("--group goes with --svg");
    return result;
}

int RunDump(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    try {
        const TDumpArguments parsed = ParseDumpArguments(arguments);
        if (parsed.Help) {
            out << DumpUsage;
            return 0;
        }
        const TGpiFile file = ReadGpiFile(parsed.File);
        switch (parsed.Mode) {
        case TDumpMode::Outline: PrintOutline(file, parsed.Options, out); break;
        case TDumpMode::Json: PrintJson(file, parsed.Options, out); break;
        case TDumpMode::Check: return PrintProblems(file, out);
        case TDumpMode::Svg: WriteSvgFile(file, parsed); break;
        case TDumpMode::Html: WriteHtmlFile(file, parsed); break;
        case TDumpMode::Unpack: return UnpackGpi(file, parsed.File, parsed.UnpackDir, out);
        }
        out.flush();
        return 0;
    } catch (const EUsageError& e) {
        err << e.ClassName() << ": " << e.what() << '\n' << DumpUsage;
        return 2;
    } catch (const Exception& e) {
        err << e.ClassName() << ": " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << "std::exception: " << e.what() << '\n';
        return 2;
    }
}

}  // namespace kestro
