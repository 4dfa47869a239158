// The reading of whole files and prefixes, the same on every system: only
// opening, positioned reads and the size hint differ.
#include "platform/FileRead.h"

#include <algorithm>
#include <limits>

namespace kestro {

Bytes TInputFile::ReadAt(std::uint64_t offset, std::size_t count) const {
    Bytes out(count, '\0');
    out.resize(ReadInto(out.data(), count, offset));
    return out;
}

Bytes TInputFile::ReadAll() const { return ReadUpTo(std::numeric_limits<std::uint64_t>::max()); }

Bytes TInputFile::ReadUpTo(std::uint64_t limit) const {
    constexpr std::size_t block = 65536;
    // The size is only a hint (the file may grow or shrink while it is
    // read, and some of /proc report sizes they never give): room for it is
    // taken at once up to 64 MiB, then the result grows with what is read.
    constexpr std::uint64_t roomTakenAtOnce = std::uint64_t{64} << 20;
    Bytes out;
    out.reserve(static_cast<std::size_t>(std::min({SizeHint(), limit, roomTakenAtOnce})));
    for (;;) {
        const std::size_t done = out.size();
        const std::size_t room = std::max(out.capacity() - done, block);
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(room, limit - done));
        if (count == 0) break;
        out.resize(done + count);
        const std::size_t got = ReadInto(out.data() + done, count, done);
        out.resize(done + got);
        if (got < count) break;
    }
    return out;
}

Bytes ReadWholeFile(const std::string& path, const TInputOptions& options) {
    return TInputFile(path, options).ReadAll();
}

Bytes ReadFileUpTo(const std::string& path, std::uint64_t limit, const TInputOptions& options) {
    return TInputFile(path, options).ReadUpTo(limit);
}

std::optional<Bytes> ReadFileIfPresent(const std::string& path, const TInputOptions& options, std::uint64_t limit) {
    const TInputFile file(path, options, true);
    if (file.descriptor_ < 0) return std::nullopt;
    return file.ReadUpTo(limit);
}

}  // namespace kestro
