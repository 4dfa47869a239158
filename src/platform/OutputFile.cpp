// Output files on every system: the names of the temporary and the partial
// file, the order of the steps and the messages. The system calls are in
// OutputFileSystem.h's one source file per system.
#include "platform/OutputFile.h"

#include <cerrno>
#include <utility>

#include "diag/Exceptions.h"
#include "platform/OutputFileSystem.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

bool IsContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The length of text in the units the limit counts.
std::size_t NameUnits(std::string_view text, const TNameLimit& limit) {
    if (!limit.CountsUtf16) return text.size();
    std::size_t units = 0;
    for (const char byte : text) {
        if (IsContinuationByte(byte)) continue;
        // A character beyond the first 65536 takes two UTF-16 units.
        units += static_cast<unsigned char>(byte) >= 0xF0 ? 2 : 1;
    }
    return units;
}

// The longest start of name that takes at most `units`, never a character
// cut in two.
std::string CutName(const std::string& name, std::size_t units, const TNameLimit& limit) {
    std::size_t end = 0;
    std::size_t used = 0;
    while (end < name.size()) {
        std::size_t next = end + 1;
        while (next < name.size() && IsContinuationByte(name[next])) ++next;
        const std::size_t size = NameUnits(std::string_view(name).substr(end, next - end), limit);
        if (used + size > units) break;
        used += size;
        end = next;
    }
    return name.substr(0, end);
}

// "DESTINATION.partial", or where the folder's limit on name length refuses
// that, the destination's name cut short enough to take the ending.
std::string PartialName(const std::string& target) {
    const auto slash = target.find_last_of(PathSeparators);
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1);
    const TNameLimit limit = NameLimitIn(folder);
    const std::string ending = ".partial";
    const std::size_t endingUnits = NameUnits(ending, limit);
    if (NameUnits(name, limit) + endingUnits <= limit.Longest || limit.Longest <= endingUnits) return target + ending;
    return target.substr(0, target.size() - name.size()) + CutName(name, limit.Longest - endingUnits, limit) + ending;
}

// A new file beside the target: hidden, and ending in ".tmp", so no run
// lists it as a GPX file; a short name part keeps it within the name limit.
int CreateTemporary(const std::string& target, std::string& name) {
    const auto slash = target.find_last_of(PathSeparators);
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + "." + ProcessNumber() + "-" + std::to_string(attempt) + ".tmp";
        const TOpenedOutput opened = OpenOutput(name, TOutputOpening::Temporary);
        if (opened.Handle >= 0 || opened.Error != EEXIST) return opened.Handle;
    }
    return -1;
}

// Only a file or a link of the partial file's name is replaced, never a
// device or a folder.
bool MayReplacePartial(const std::string& partial) { return EntryKindAt(partial) != TEntryKind::Other; }

}  // namespace

TOutputFile::TOutputFile(const std::string& path, const TOutputOptions& options) : path_(path), options_(options) {
    if (options_.StandardOutput) {
        const TOpenedOutput opened = DuplicateStandardOutput();
        handle_ = opened.Handle;
        if (handle_ < 0)
            throw EFCreateError(Format("Cannot write to standard output. %s", SystemErrorText(opened.Error).c_str()));
        return;
    }
    if (options_.ReplaceOnClose && !options_.OnlyNew) {
        target_ = FollowLinks(path);
        const TEntryKind existing = EntryKindAt(target_);
        if (existing == TEntryKind::Missing || existing == TEntryKind::File) {
            partial_ = PartialName(target_);
            const std::string kept = Format(
                "\nkestro: stopped by a signal. What was written is kept in \"%s\"; \"%s\" is as it was before the "
                "run.\n",
                FullFileName(partial_).c_str(), FullFileName(path_).c_str());
            const std::string lost =
                Format("\nkestro: stopped by a signal. \"%s\" is as it was before the run.\n", FullFileName(path_).c_str());
            WithStopsHeld([&] {
                handle_ = CreateTemporary(target_, temporary_);
                if (handle_ >= 0) WatchStops(temporary_, partial_, kept, lost);
            });
            if (handle_ >= 0) return;
        }
        temporary_.clear();
    }
    OpenInPlace();
}

void TOutputFile::OpenInPlace() {
    TOutputOpening how = TOutputOpening::Truncate;
    if (options_.OnlyNew) {
        how = TOutputOpening::OnlyNew;
    } else if (options_.ReplaceFile || options_.ReplaceOnClose) {
        // Devices and links are left as they are, and a failed removal
        // shows up when the file is opened.
        if (EntryKindAt(path_) == TEntryKind::File) RemoveEntry(path_);
        how = TOutputOpening::Replace;
    }
    const TOpenedOutput opened = OpenOutput(path_, how);
    handle_ = opened.Handle;
    if (handle_ < 0)
        throw EFCreateError(Format("Cannot create file \"%s\". %s",
                                   (options_.FullPath ? FullFileName(path_) : path_).c_str(),
                                   SystemErrorText(opened.Error).c_str()));
}

TOutputFile::~TOutputFile() {
    try {
        KeepPartial();
    } catch (...) {
        // Only reached while an error is already on its way.
    }
}

void TOutputFile::RaiseWriteError(int errorNumber) const {
    if (options_.StandardOutput)
        throw EWriteError(Format("Cannot write to standard output. %s", SystemErrorText(errorNumber).c_str()));
    throw EWriteError(Format("Cannot write file \"%s\". %s", (options_.FullPath ? FullFileName(path_) : path_).c_str(),
                             SystemErrorText(errorNumber).c_str()));
}

void TOutputFile::Write(std::string_view bytes) {
    if (handle_ < 0) RaiseWriteError(EBADF);
    while (!bytes.empty()) {
        std::size_t written = 0;
        if (const int error = WriteSome(handle_, bytes, written)) RaiseWriteError(error);
        // No progress without an error: the device has no room left.
        if (written == 0) RaiseWriteError(ENOSPC);
        bytes.remove_prefix(written);
    }
}

void TOutputFile::Close() {
    if (handle_ < 0) return;
    if (const int error = CloseOutput(std::exchange(handle_, -1))) RaiseWriteError(error);
    if (temporary_.empty()) return;
    if (const int error = MoveOver(temporary_, target_)) RaiseWriteError(error);
    UnwatchStops();
    temporary_.clear();
    // What an earlier failed run left would only mislead now.
    if (EntryKindAt(partial_) == TEntryKind::File) RemoveEntry(partial_);
}

std::string TOutputFile::KeepPartial() {
    if (handle_ >= 0) CloseOutput(std::exchange(handle_, -1));
    if (temporary_.empty()) return std::string();
    UnwatchStops();
    const std::string temporary = std::exchange(temporary_, std::string());
    if (MayReplacePartial(partial_) && MoveOver(temporary, partial_) == 0) return FullFileName(partial_);
    RemoveEntry(temporary);
    return std::string();
}

void WriteWholeFile(const std::string& path, std::string_view bytes, const TOutputOptions& options) {
    TOutputFile file(path, options);
    file.Write(bytes);
    file.Close();
}

}  // namespace kestro
