#include "support/TestZip.h"

#include <stdexcept>

#include "zip.h"

namespace kestro::test {

void WriteZip(const std::filesystem::path& path, const std::vector<TZipMember>& members) {
    std::filesystem::create_directories(path.parent_path());
    zipFile zip = zipOpen64(path.string().c_str(), APPEND_STATUS_CREATE);
    if (!zip) throw std::runtime_error("cannot create " + path.string());
    const std::string blanks(1 << 20, ' ');
    for (const auto& member : members) {
        zip_fileinfo info{};
        if (zipOpenNewFileInZip64(zip, member.Name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                  member.Stored ? 0 : Z_DEFLATED, member.Stored ? 0 : 6, 1) != ZIP_OK)
            throw std::runtime_error("cannot add " + member.Name);
        zipWriteInFileInZip(zip, member.Content.data(), static_cast<unsigned>(member.Content.size()));
        for (std::uint64_t left = member.Blanks; left > 0;) {
            const auto block = static_cast<unsigned>(std::min<std::uint64_t>(left, blanks.size()));
            zipWriteInFileInZip(zip, blanks.data(), block);
            left -= block;
        }
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

}  // namespace kestro::test
