#include "xml/XmlFileOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "diag/Exceptions.h"

namespace kestro {

namespace {

class TFileDescriptor {
public:
    explicit TFileDescriptor(int descriptor) : Descriptor_(descriptor) {}
    ~TFileDescriptor() {
        if (Descriptor_ >= 0) ::close(Descriptor_);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return Descriptor_; }
    // Closes now; the result of close, since a late write error shows there.
    int Close() { return ::close(std::exchange(Descriptor_, -1)); }

private:
    int Descriptor_;
};

}  // namespace

void WriteXmlFile(const std::string& fileName, std::string_view bytes) {
    TFileDescriptor file(::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName.c_str(), SystemErrorText(errno).c_str()));
    while (!bytes.empty()) {
        ssize_t written = ::write(file.Get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            throw EWriteError(Format("Cannot write file \"%s\". %s", fileName.c_str(),
                                     SystemErrorText(written < 0 ? errno : ENOSPC).c_str()));
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (file.Close() != 0)
        throw EWriteError(Format("Cannot write file \"%s\". %s", fileName.c_str(), SystemErrorText(errno).c_str()));
}

}  // namespace kestro
