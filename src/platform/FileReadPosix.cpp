// The POSIX side of reading files (see FileReadSystem.h).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileReadSystem.h"

namespace kestro {

int OpenInput(const std::string& path, int& descriptor) {
    do descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (descriptor < 0 && errno == EINTR);
    return descriptor < 0 ? errno : 0;
}

int InputKindOf(int descriptor, TInputKind& kind) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return errno;
    kind = S_ISREG(status.st_mode) ? TInputKind::File : S_ISDIR(status.st_mode) ? TInputKind::Folder : TInputKind::Other;
    return 0;
}

void CloseInput(int descriptor) { ::close(descriptor); }

int ReadInputAt(int descriptor, char* buffer, std::size_t count, std::uint64_t offset, std::size_t& got) {
    for (;;) {
        const ssize_t read = ::pread(descriptor, buffer, count, static_cast<off_t>(offset));
        if (read >= 0) {
            got = static_cast<std::size_t>(read);
            return 0;
        }
        if (errno != EINTR) return errno;
    }
}

int ReadInputNext(int descriptor, char* buffer, std::size_t count, std::size_t& got) {
    for (;;) {
        const ssize_t read = ::read(descriptor, buffer, count);
        if (read >= 0) {
            got = static_cast<std::size_t>(read);
            return 0;
        }
        if (errno != EINTR) return errno;
    }
}

std::uint64_t InputSizeHint(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace kestro
