#include "unpack/ConvertBackCommand.h"

#include <filesystem>
#include <system_error>

#include "platform/PathName.h"
#include "unpack/Unpack.h"

namespace kestro {

std::string ShellWord(const std::string& text) {
    if (!text.empty() && text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./+,") ==
                             std::string::npos)
        return text;
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string ConvertBackCommand(const std::string& fileName, const std::string& dir) {
    namespace fs = std::filesystem;
    const fs::path rebuilt = PathFromUtf8(fileName).parent_path() / PathFromUtf8(RebuiltFileName(fileName));
    std::error_code error;
    const fs::path absolute = fs::absolute(rebuilt, error).lexically_normal();
    // Relative to the folder as the system resolves it (links followed), since
    // the command runs from inside it; the shorter of the two is proposed.
    fs::path relative = fs::relative(absolute, fs::absolute(PathFromUtf8(dir), error), error);
    if (error || relative.empty()) relative = absolute;
    const fs::path& chosen =
        absolute.empty() || relative.native().size() <= absolute.native().size() ? relative : absolute;
    // "/" between the names on every system: Windows takes it too, and the
    // line reads the same wherever the file was unpacked.
    const std::u8string generic = chosen.generic_u8string();
    const std::string target(generic.begin(), generic.end());
    return "cd " + ShellWord(dir) + " && kestro . " + ShellWord(target);
}

}  // namespace kestro
