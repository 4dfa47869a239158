// The zip archive through minizip's unzip: its file access goes through the
// program's own input file, so names are UTF-8 on every system and nothing
// of the library opens a file by itself.
#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <vector>

#include "kml/ZipArchive.h"
#include "platform/FileRead.h"
#include "platform/PathName.h"

#include "unzip.h"

namespace kestro {
namespace {

// The archive file as the library's access functions see it.
struct TArchiveFile {
    TInputFile File;
    std::uint64_t Size = 0;
    std::uint64_t Position = 0;
    bool Failed = false;
};

voidpf OpenArchive(voidpf opaque, const void*, int) { return opaque; }

uLong ReadArchive(voidpf, voidpf stream, void* buffer, uLong size) {
    auto& archive = *static_cast<TArchiveFile*>(stream);
    try {
        const Bytes bytes = archive.File.ReadAt(archive.Position, size);
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(buffer));
        archive.Position += bytes.size();
        return static_cast<uLong>(bytes.size());
    } catch (...) {
        // No error may pass through the library's C frames: it sees a short read.
        archive.Failed = true;
        return 0;
    }
}

uLong WriteArchive(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T TellArchive(voidpf, voidpf stream) { return static_cast<TArchiveFile*>(stream)->Position; }

long SeekArchive(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto& archive = *static_cast<TArchiveFile*>(stream);
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: archive.Position = offset; break;
        case ZLIB_FILEFUNC_SEEK_CUR: archive.Position += offset; break;
        case ZLIB_FILEFUNC_SEEK_END: archive.Position = archive.Size + offset; break;
        default: return -1;
    }
    return 0;
}

int CloseArchive(voidpf, voidpf) { return 0; }

int ArchiveError(voidpf, voidpf stream) { return static_cast<TArchiveFile*>(stream)->Failed ? 1 : 0; }

constexpr const char* Damaged = "damaged";

// A member's unpacked bytes, ending after a bound: what lies beyond it is
// not unpacked, only noticed. A deflated stream that ends before the size
// the archive gives is damaged (the library checks no sum then).
class TMemberBuffer final : public std::streambuf {
public:
    TMemberBuffer(unzFile archive, std::uint64_t limit) : archive_(archive), left_(limit) {}
    bool Cut() const { return cut_; }
    bool Damaged() const { return damaged_; }
    // Unpacks what is left unread, up to the bound, so that the end, where
    // the library checks the member's sum, is reached.
    void Drain() {
        while (!traits_type::eq_int_type(underflow(), traits_type::eof())) setg(egptr(), egptr(), egptr());
    }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (damaged_ || cut_) return traits_type::eof();
        if (left_ == 0) {
            char next;
            const int more = unzReadCurrentFile(archive_, &next, 1);
            if (more > 0) cut_ = true;
            if (more < 0) damaged_ = true;
            return traits_type::eof();
        }
        const auto wanted = static_cast<unsigned>(std::min<std::uint64_t>(buffer_.size(), left_));
        const int read = unzReadCurrentFile(archive_, buffer_.data(), wanted);
        if (read < 0 || (read == 0 && unzeof(archive_) != 1)) damaged_ = true;
        if (read <= 0) return traits_type::eof();
        left_ -= static_cast<std::uint64_t>(read);
        setg(buffer_.data(), buffer_.data(), buffer_.data() + read);
        return traits_type::to_int_type(*gptr());
    }

private:
    unzFile archive_;
    std::uint64_t left_;
    bool cut_ = false;
    bool damaged_ = false;
    std::array<char, 65536> buffer_{};
};

}  // namespace

struct TZipArchive::TLibrary {
    explicit TLibrary(const std::string& path) : Archive{TInputFile(path), 0, 0, false} {
        std::error_code error;
        const auto size = std::filesystem::file_size(PathFromUtf8(path), error);
        Archive.Size = error ? 0 : size;
        Functions.zopen64_file = OpenArchive;
        Functions.zread_file = ReadArchive;
        Functions.zwrite_file = WriteArchive;
        Functions.ztell64_file = TellArchive;
        Functions.zseek64_file = SeekArchive;
        Functions.zclose_file = CloseArchive;
        Functions.zerror_file = ArchiveError;
        Functions.opaque = &Archive;
        Handle = unzOpen2_64("", &Functions);
    }
    ~TLibrary() {
        if (Handle) unzClose(Handle);
    }
    // Makes `name` the current member and opens it; else says why not.
    bool OpenMember(const std::string& name, std::string& problem) {
        if (unzLocateFile(Handle, name.c_str(), 1) != UNZ_OK) {
            problem = "not in the archive";
            return false;
        }
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(Handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            problem = Damaged;
            return false;
        }
        if ((info.flag & 1) != 0) {
            problem = "encrypted";
            return false;
        }
        if (unzOpenCurrentFile(Handle) != UNZ_OK) {
            problem = "damaged or packed in a way this program does not unpack";
            return false;
        }
        return true;
    }

    TArchiveFile Archive;
    zlib_filefunc64_def Functions{};
    unzFile Handle = nullptr;
};

bool ZipArchivesRead() { return true; }

TZipArchive::TZipArchive(const std::string& path) : library_(std::make_unique<TLibrary>(path)), path_(path) {
    unzFile handle = library_->Handle;
    if (!handle) {
        problem_ = "not a zip archive, or a damaged one";
        return;
    }
    std::vector<char> name(65536);
    for (int at = unzGoToFirstFile(handle); at == UNZ_OK; at = unzGoToNextFile(handle)) {
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(handle, &info, name.data(), name.size() - 1, nullptr, 0, nullptr, 0) != UNZ_OK) {
            problem_ = "a damaged zip archive";
            return;
        }
        names_.emplace_back(name.data(), std::min<std::size_t>(info.size_filename, name.size() - 1));
    }
}

TZipArchive::~TZipArchive() = default;

std::optional<Bytes> TZipArchive::Read(const std::string& name, std::uint64_t limit, std::string& problem) {
    if (!IsOpen()) {
        problem = problem_;
        return std::nullopt;
    }
    if (!library_->OpenMember(name, problem)) return std::nullopt;
    TMemberBuffer buffer(library_->Handle, limit);
    Bytes content;
    std::array<char, 65536> block{};
    for (std::streamsize read; (read = buffer.sgetn(block.data(), block.size())) > 0;) content.append(block.data(), read);
    const bool crcBad = unzCloseCurrentFile(library_->Handle) == UNZ_CRCERROR;
    if (buffer.Cut()) {
        problem = "more than " + std::to_string(limit) + " bytes unpacked";
        return std::nullopt;
    }
    if (buffer.Damaged() || crcBad) {
        problem = Damaged;
        return std::nullopt;
    }
    return content;
}

void TZipArchive::Stream(const std::string& name, std::uint64_t limit, const std::function<void(std::istream&)>& read,
                         std::string& problem) {
    if (!IsOpen()) {
        problem = problem_;
        return;
    }
    // A handle of its own: the members read while the stream is open (a
    // style's icon, a photo) would close it on the shared one.
    TLibrary library(path_);
    if (!library.Handle) {
        problem = "not a zip archive, or a damaged one";
        return;
    }
    if (!library.OpenMember(name, problem)) return;
    TMemberBuffer buffer(library.Handle, limit);
    std::istream stream(&buffer);
    std::exception_ptr failure;
    try {
        read(stream);
    } catch (...) {
        failure = std::current_exception();
    }
    const bool cutWhileRead = buffer.Cut();
    // Inflating may give text from a damaged member without a fault; only its
    // sum at the end tells. So the rest is unpacked too, and an error the
    // damaged text caused gives way to the damage.
    buffer.Drain();
    const bool damaged = (unzCloseCurrentFile(library.Handle) == UNZ_CRCERROR) || buffer.Damaged();
    // Cut short only after the error: the sum was not reached, the text up to the error is trusted.
    if (failure && !damaged && !cutWhileRead) std::rethrow_exception(failure);
    if (damaged)
        problem = "damaged; what could be unpacked is read";
    else if (buffer.Cut())
        problem = "more than " + std::to_string(limit) + " bytes unpacked; the rest is not read";
}

}  // namespace kestro
