// A build without a zip library reads no archive and says so.
#include "kml/ZipArchive.h"

namespace kestro {

struct TZipArchive::TLibrary {};

bool ZipArchivesRead() { return false; }

TZipArchive::TZipArchive(const std::string&) : problem_("this build of the program does not read zip archives") {}

TZipArchive::~TZipArchive() = default;

std::optional<Bytes> TZipArchive::Read(const std::string&, std::uint64_t, std::string& problem) {
    problem = problem_;
    return std::nullopt;
}

void TZipArchive::Stream(const std::string&, std::uint64_t, const std::function<void(std::istream&)>&,
                         std::string& problem) {
    problem = problem_;
}

}  // namespace kestro
