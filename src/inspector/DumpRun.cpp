#include "inspector/DumpRun.h"

#include <fstream>

#include "dump/JsonPrinter.h"
#include "dump/OutlinePrinter.h"
#include "dump/SvgPrinter.h"
#include "gpi/GpiCheck.h"
#include "gpi/GpiReader.h"
#include "platform/PathName.h"
#include "platform/SameFile.h"
#include "report/HtmlReport.h"
#include "unpack/Unpack.h"

namespace kestro {

const char* const DumpUsage =
    "Usage: kestro-dump [--json | --check | --svg OUT.svg [--group N] | --html OUT.html | --unpack DIR]\n"
    "                   [--no-stamp] [--] FILE.gpi\n"
    "       kestro-dump -h | --help | --version\n"
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
    "  --no-stamp     leave the header's time stamp out of the outline and the JSON\n"
    "  -h, --help     show this text\n"
    "  --version      show the version\n"
    "A value can also follow \"=\" (--svg=OUT.svg); an output that is FILE.gpi itself is refused.\n";

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
    if (result.Mode != TDumpMode::Outline) throw EUsageError("choose one of --json, --check, --svg, --html and --unpack");
    result.Mode = mode;
}

void WriteSvgFile(const TGpiFile& file, const TDumpArguments& arguments) {
    if (arguments.Group > file.Groups.size())
        throw EUsageError(Format("there is no group %zu: the file holds %zu group%s", arguments.Group, file.Groups.size(),
                                 file.Groups.size() == 1 ? "" : "s"));
    std::ofstream out(PathFromUtf8(arguments.SvgFile), std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(Format("cannot create \"%s\": %s", arguments.SvgFile.c_str(), SystemErrorText(errno).c_str()));
    WriteSvg(file, arguments.Group - 1, out);
    out.close();
    if (!out) throw EWriteError(Format("cannot write \"%s\"", arguments.SvgFile.c_str()));
}

void WriteHtmlFile(const TGpiFile& file, const TDumpArguments& arguments) {
    std::ofstream out(PathFromUtf8(arguments.HtmlFile), std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(Format("cannot create \"%s\": %s", arguments.HtmlFile.c_str(), SystemErrorText(errno).c_str()));
    WriteHtmlReport(file, Utf8FromPath(PathFromUtf8(arguments.File).filename()), out);
    out.close();
    if (!out) throw EWriteError(Format("cannot write \"%s\"", arguments.HtmlFile.c_str()));
}

int PrintProblems(const TGpiFile& file, std::ostream& out) {
    const std::size_t count = CheckGpi(file, [&](const TGpiProblem& problem) {
        out << Format("0x%08zX: ", problem.Offset) << problem.Text << '\n';
    });
    if (count == 0) {
        out << "No problems found.\n";
        return 0;
    }
    out << Format("%zu problem%s found.\n", count, count == 1 ? "" : "s");
    return 1;
}

// One command-line option. A value option takes its value from the next
// argument or after "=" (`--svg OUT.svg`, `--svg=OUT.svg`); options that name
// a file the run writes list it in `Outputs`, which must not be the input.
struct TDumpOption {
    const char* Name;
    const char* ShortName;  // or nullptr
    bool TakesValue;
    void (*Apply)(TDumpArguments& result, const std::string& value);
};

const TDumpOption DumpOptions[] = {
    {"--json", nullptr, false, [](TDumpArguments& r, const std::string&) { SetMode(r, TDumpMode::Json); }},
    {"--check", nullptr, false, [](TDumpArguments& r, const std::string&) { SetMode(r, TDumpMode::Check); }},
    {"--svg", nullptr, true,
     [](TDumpArguments& r, const std::string& value) {
         SetMode(r, TDumpMode::Svg);
         r.SvgFile = value;
         r.Outputs.push_back(value);
     }},
    {"--html", nullptr, true,
     [](TDumpArguments& r, const std::string& value) {
         SetMode(r, TDumpMode::Html);
         r.HtmlFile = value;
         r.Outputs.push_back(value);
     }},
    {"--unpack", nullptr, true,
     [](TDumpArguments& r, const std::string& value) {
         SetMode(r, TDumpMode::Unpack);
         r.UnpackDir = value;
         r.Outputs.push_back(value);
     }},
    {"--group", nullptr, true,
     [](TDumpArguments& r, const std::string& value) {
         r.Group = ParseGroupNumber(value);
         r.GroupGiven = true;
     }},
    {"--no-stamp", nullptr, false, [](TDumpArguments& r, const std::string&) { r.Options.Stamp = false; }},
    {"--help", "-h", false, [](TDumpArguments& r, const std::string&) { r.Help = true; }},
    {"--version", nullptr, false, [](TDumpArguments& r, const std::string&) { r.Version = true; }},
};

const TDumpOption& FindOption(const std::string& name) {
    for (const auto& option : DumpOptions)
        if (name == option.Name || (option.ShortName != nullptr && name == option.ShortName)) return option;
    throw EUsageError(Format("unknown option \"%s\"", name.c_str()));
}

bool LooksLikeOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

}  // namespace

TDumpArguments ParseDumpArguments(const std::vector<std::string>& arguments) {
    TDumpArguments result;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !LooksLikeOption(argument)) {
            if (!result.File.empty()) throw EUsageError("give exactly one GPI file");
            result.File = argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = argument.find('=');
        const bool inlineValue = equals != std::string::npos && argument.rfind("--", 0) == 0;
        const std::string name = inlineValue ? argument.substr(0, equals) : argument;
        const TDumpOption& option = FindOption(name);
        std::string value;
        if (inlineValue) {
            if (!option.TakesValue) throw EUsageError(Format("%s takes no value", option.Name));
            value = argument.substr(equals + 1);
        } else if (option.TakesValue) {
            // `--svg --group f.gpi` is a forgotten value, not a file named "--group";
            // such a name can still be given as `--svg=--group` or `--svg ./--group`.
            if (i + 1 >= arguments.size()) throw EUsageError(Format("%s needs a value", option.Name));
            if (LooksLikeOption(arguments[i + 1]))
                throw EUsageError(Format("%s needs a value, not the option \"%s\"", option.Name, arguments[i + 1].c_str()));
            value = arguments[++i];
        }
        if (option.TakesValue && value.empty()) throw EUsageError(Format("%s needs a value", option.Name));
        option.Apply(result, value);
    }
    if (result.Help || result.Version) return result;
    if (result.File.empty()) throw EUsageError("give exactly one GPI file");
    if (result.GroupGiven && result.Mode != TDumpMode::Svg) throw EUsageError("--group goes with --svg");
    return result;
}

void RefuseInputAsOutput(const std::string& output, const std::string& input) {
    // The same file also through a link or another spelling: compare what the names lead to.
    if (SameFile(output, input))
        throw EFCreateError(Format("cannot create \"%s\": it is the input file \"%s\"", output.c_str(), input.c_str()));
}

int RunDump(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    try {
        const TDumpArguments parsed = ParseDumpArguments(arguments);
        if (parsed.Help) {
            out << DumpUsage;
            return 0;
        }
        if (parsed.Version) {
            out << "kestro-dump " KESTRO_VERSION "\n";
            return 0;
        }
        for (const auto& output : parsed.Outputs) RefuseInputAsOutput(output, parsed.File);
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
