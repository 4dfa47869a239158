#pragma once
// A zip archive (a KMZ file) read through the zip library. Members are found
// by their names inside the archive; no name is ever used as a path of the
// file system. Every read is bounded: a member's declared size is a hint,
// what its stream unpacks is counted.
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Bytes.h"

namespace kestro {

// Whether this build reads zip archives at all.
bool ZipArchivesRead();

class TZipArchive {
public:
    // Opens the archive at path (UTF-8); Problem() says why it could not be
    // read ("not a zip archive, or a damaged one").
    explicit TZipArchive(const std::string& path);
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    bool IsOpen() const { return problem_.empty(); }
    const std::string& Problem() const { return problem_; }
    // The members' names, in archive order (folders included, as stored).
    const std::vector<std::string>& Names() const { return names_; }

    // Member `name`'s content, at most `limit` bytes; nothing, with
    // `problem` saying why, when there is no such member, it is damaged or
    // encrypted, or it unpacks to more than `limit` bytes.
    std::optional<Bytes> Read(const std::string& name, std::uint64_t limit, std::string& problem);
    // Member `name` as a stream to `read`, which ends after `limit` bytes.
    // After `read`, the rest is unpacked unread (within `limit`) so that the
    // member's check sum and size are checked. Where the member is damaged,
    // or the stream was cut short at `limit`, an error of `read` is taken
    // back and `problem` says what happened; any other error passes on.
    void Stream(const std::string& name, std::uint64_t limit, const std::function<void(std::istream&)>& read,
                std::string& problem);

private:
    struct TLibrary;
    std::unique_ptr<TLibrary> library_;
    std::string path_;
    std::string problem_;
    std::vector<std::string> names_;
};

}  // namespace kestro
