#include "platform/OutputFile.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

#include "diag/Exceptions.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

// The file a path leads to once symbolic links are followed, also when the
// last link leads nowhere yet. A link that cannot be read, or a loop, is
// returned as it is; opening it then reports the error.
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat entry {};
        if (lstat(path.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0) return path;
        target.resize(static_cast<std::size_t>(length));
        const auto slash = path.rfind('/');
        if (target.front() != '/' && slash != std::string::npos) target = path.substr(0, slash + 1) + target;
        path = std::move(target);
    }
    return path;
}

bool IsRegularFile(const std::string& path) {
    struct stat entry {};
    return lstat(path.c_str(), &entry) == 0 && S_ISREG(entry.st_mode);
}

// Only a file or a link of the partial file's name is replaced, never a
// device or a folder.
bool MayReplacePartial(const char* partial) {
    struct stat entry {};
    return lstat(partial, &entry) != 0 || S_ISREG(entry.st_mode) || S_ISLNK(entry.st_mode);
}

// A new file beside the target: hidden, and ending in ".tmp", so no run
// lists it as a GPX file; a short name part keeps it within the name limit.
int CreateTemporary(const std::string& target, std::string& name) {
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int handle = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (handle >= 0 || errno != EEXIST) return handle;
    }
    return -1;
}

// A run stopped by Ctrl-C or kill keeps what it wrote as the partial file
// too, instead of leaving a hidden temporary file behind. The handler can
// only use fixed storage and calls that are safe in a signal handler, hence
// this process-wide record of the one file being written.
// The last line of such a run, on standard error, is written ready beforehand.
char SignalTemporary[PATH_MAX];
char SignalPartial[PATH_MAX];
char SignalKeptLine[3 * PATH_MAX];
char SignalLostLine[2 * PATH_MAX];
volatile std::sig_atomic_t SignalWatch = 0;

void WriteLine(const char* line) {
    for (std::size_t length = std::strlen(line); length > 0;) {
        const ssize_t written = write(STDERR_FILENO, line, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        line += written;
        length -= static_cast<std::size_t>(written);
    }
}

extern "C" void KeepPartialOnSignal(int signalNumber) {
    if (SignalWatch) {
        SignalWatch = 0;
        const int savedErrno = errno;
        if (MayReplacePartial(SignalPartial) && rename(SignalTemporary, SignalPartial) == 0) {
            WriteLine(SignalKeptLine);
        } else {
            unlink(SignalTemporary);
            WriteLine(SignalLostLine);
        }
        errno = savedErrno;
    }
    std::signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

// The signals that end a run as Ctrl-C does: also a closed pipe
// ("kestro SRC DEST | head") and Ctrl-\\.
constexpr int StoppingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT};

// Installed before the temporary file exists; it acts only once the file is
// recorded (SignalWatch).
void InstallSignalHandlers() {
    for (int signalNumber : StoppingSignals) {
        struct sigaction current {};
        // A signal that is ignored (nohup) or already handled stays so.
        if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = KeepPartialOnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signalNumber, &action, nullptr);
    }
}

// Copies text into fixed storage; false when it does not fit.
template <std::size_t Size>
bool Store(char (&storage)[Size], const std::string& text) {
    if (text.size() >= Size) return false;
    std::memcpy(storage, text.c_str(), text.size() + 1);
    return true;
}

void WatchForSignals(const std::string& temporary, const std::string& partial, const std::string& destination) {
    const std::string kept = Format("\nkestro: stopped by a signal. What was written is kept in \"%s\"; \"%s\" is as "
                                    "it was before the run.\n",
                                    FullFileName(partial).c_str(), FullFileName(destination).c_str());
    const std::string lost = Format("\nkestro: stopped by a signal. \"%s\" is as it was before the run.\n",
                                    FullFileName(destination).c_str());
    if (!Store(SignalTemporary, temporary) || !Store(SignalPartial, partial) || !Store(SignalKeptLine, kept) ||
        !Store(SignalLostLine, lost))
        return;
    SignalWatch = 1;
}

// Holds the stopping signals back while the temporary file is created and
// recorded, so that none can end the run between the two.
class TSignalsHeld {
public:
    TSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int signalNumber : StoppingSignals) sigaddset(&held, signalNumber);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~TSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    TSignalsHeld(const TSignalsHeld&) = delete;
    TSignalsHeld& operator=(const TSignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

// "DESTINATION.partial", or where the folder's limit on name length refuses
// that, the destination's name cut short enough to take the ending.
std::string PartialName(const std::string& target) {
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1);
    const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t longest = limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
    const std::string ending = ".partial";
    if (name.size() + ending.size() <= longest || longest <= ending.size()) return target + ending;
    std::size_t keep = longest - ending.size();
    // Never a UTF-8 character cut in two.
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return target.substr(0, target.size() - name.size()) + name.substr(0, keep) + ending;
}

}  // namespace

TOutputFile::TOutputFile(const std::string& path, const TOutputOptions& options) : path_(path), options_(options) {
    if (options_.StandardOutput) {
        // A handle of its own, so that closing it checks the writes and leaves standard output open.
        handle_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (handle_ < 0)
            throw EFCreateError(Format("Cannot write to standard output. %s", SystemErrorText(errno).c_str()));
        return;
    }
    if (options_.ReplaceOnClose && !options_.OnlyNew) {
        target_ = FollowLinks(path);
        struct stat existing {};
        if (lstat(target_.c_str(), &existing) != 0 || S_ISREG(existing.st_mode)) {
            partial_ = PartialName(target_);
            InstallSignalHandlers();
            const TSignalsHeld held;
            handle_ = CreateTemporary(target_, temporary_);
            if (handle_ >= 0) {
                WatchForSignals(temporary_, partial_, path_);
                return;
            }
        }
        temporary_.clear();
    }
    OpenInPlace();
}

void TOutputFile::OpenInPlace() {
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    if (options_.OnlyNew) {
        flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    } else if (options_.ReplaceFile || options_.ReplaceOnClose) {
        // Devices and links are left as they are, and a failed removal
        // shows up when the file is opened.
        if (IsRegularFile(path_)) unlink(path_.c_str());
        flags = O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC;  // a FIFO then opens without waiting for a reader
    }
    handle_ = open(path_.c_str(), flags, 0666);
    if (handle_ < 0) {
        const int errorNumber = errno;
        throw EFCreateError(Format("Cannot create file \"%s\". %s",
                                   (options_.FullPath ? FullFileName(path_) : path_).c_str(),
                                   SystemErrorText(errorNumber).c_str()));
    }
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
        const ssize_t written = write(handle_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) RaiseWriteError(errno);
        // No progress without an error: the device has no room left.
        if (written == 0) RaiseWriteError(ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TOutputFile::Close() {
    if (handle_ < 0) return;
    const int handle = std::exchange(handle_, -1);
    if (close(handle) != 0) RaiseWriteError(errno);
    if (temporary_.empty()) return;
    if (rename(temporary_.c_str(), target_.c_str()) != 0) RaiseWriteError(errno);
    SignalWatch = 0;
    temporary_.clear();
    // What an earlier failed run left would only mislead now.
    if (IsRegularFile(partial_)) unlink(partial_.c_str());
}

std::string TOutputFile::KeepPartial() {
    if (handle_ >= 0) close(std::exchange(handle_, -1));
    if (temporary_.empty()) return std::string();
    SignalWatch = 0;
    const std::string temporary = std::exchange(temporary_, std::string());
    if (MayReplacePartial(partial_.c_str()) && rename(temporary.c_str(), partial_.c_str()) == 0)
        return FullFileName(partial_);
    unlink(temporary.c_str());
    return std::string();
}

void WriteWholeFile(const std::string& path, std::string_view bytes, const TOutputOptions& options) {
    TOutputFile file(path, options);
    file.Write(bytes);
    file.Close();
}

}  // namespace kestro
