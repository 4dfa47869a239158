// Opening and reading files on every system: what is refused and how
// failures are worded. The system calls are in FileReadSystem.h's one
// source file per system.
#include "platform/FileRead.h"

#include <cerrno>
#include <utility>

#include "diag/Exceptions.h"
#include "platform/FileReadSystem.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

std::string MessageName(const std::string& path, const TInputOptions& options) {
    return options.FullPath ? FullFileName(path) : path;
}

}  // namespace

TInputFile::TInputFile(const std::string& path, const TInputOptions& options)
    : TInputFile(path, options, false) {}

TInputFile::TInputFile(const std::string& path, const TInputOptions& options, bool missingAllowed)
    : path_(path), options_(options) {
    auto raiseOpenError = [&](const std::string& reason) {
        throw EFOpenError(Format(options_.CannotOpen, MessageName(path_, options_).c_str(), reason.c_str()));
    };
    if (const int error = OpenInput(path, descriptor_)) {
        if (missingAllowed && (error == ENOENT || error == ENOTDIR)) return;
        raiseOpenError(SystemErrorText(error));
    }
    TInputKind kind = TInputKind::Other;
    std::string refusal;
    if (const int error = InputKindOf(descriptor_, kind)) refusal = SystemErrorText(error);
    else if (kind == TInputKind::Folder && !options_.FolderOpens) refusal = SystemErrorText(EISDIR);
    // Reading anything else could block or never end.
    else if (kind == TInputKind::Other) refusal = "Not a regular file";
    if (!refusal.empty()) {
        CloseInput(std::exchange(descriptor_, -1));  // the destructor does not run for a failed constructor
        raiseOpenError(refusal);
    }
}

TInputFile::~TInputFile() {
    if (descriptor_ >= 0) CloseInput(descriptor_);
}

void TInputFile::RaiseReadError(int errorNumber) const {
    throw EReadError(
        Format(options_.CannotRead, MessageName(path_, options_).c_str(), SystemErrorText(errorNumber).c_str()));
}

std::size_t TInputFile::ReadInto(char* buffer, std::size_t count, std::uint64_t offset) const {
    std::size_t done = 0;
    while (done < count) {
        const std::uint64_t position = offset + done;
        if (position > static_cast<std::uint64_t>(INT64_MAX)) break;
        std::size_t got = 0;
        if (const int error = ReadInputAt(descriptor_, buffer + done, count - done, position, got)) RaiseReadError(error);
        if (got == 0) break;
        done += got;
    }
    return done;
}

std::uint64_t TInputFile::SizeHint() const { return InputSizeHint(descriptor_); }

std::size_t TInputFile::ReadNext(char* target, std::size_t count) {
    std::size_t got = 0;
    if (const int error = ReadInputNext(descriptor_, target, count, got)) RaiseReadError(error);
    return got;
}

}  // namespace kestro
