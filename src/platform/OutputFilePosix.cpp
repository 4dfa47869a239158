// The POSIX side of output files (see OutputFileSystem.h).
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

#include "platform/OutputFileSystem.h"

namespace kestro {

TEntryKind EntryKindAt(const std::string& path) {
    struct stat entry {};
    if (lstat(path.c_str(), &entry) != 0) return TEntryKind::Missing;
    if (S_ISREG(entry.st_mode)) return TEntryKind::File;
    if (S_ISLNK(entry.st_mode)) return TEntryKind::Link;
    return TEntryKind::Other;
}

// A link that cannot be read, or a loop, is returned as it is; opening it
// then reports the error.
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

TOpenedOutput OpenOutput(const std::string& path, TOutputOpening how) {
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    switch (how) {
        case TOutputOpening::Temporary: flags = O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC; break;
        case TOutputOpening::OnlyNew: flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC; break;
        case TOutputOpening::Replace: flags = O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC; break;
        case TOutputOpening::Truncate: break;
    }
    TOpenedOutput opened;
    opened.Handle = open(path.c_str(), flags, 0666);
    if (opened.Handle < 0) opened.Error = errno;
    return opened;
}

TOpenedOutput DuplicateStandardOutput() {
    TOpenedOutput opened;
    opened.Handle = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (opened.Handle < 0) opened.Error = errno;
    return opened;
}

int WriteSome(int handle, std::string_view bytes, std::size_t& written) {
    for (;;) {
        const ssize_t count = write(handle, bytes.data(), bytes.size());
        if (count >= 0) {
            written = static_cast<std::size_t>(count);
            return 0;
        }
        if (errno != EINTR) return errno;
    }
}

int CloseOutput(int handle) { return close(handle) == 0 ? 0 : errno; }

int MoveOver(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void RemoveEntry(const std::string& path) { unlink(path.c_str()); }

std::string ProcessNumber() { return std::to_string(getpid()); }

TNameLimit NameLimitIn(const std::string& folder) {
    const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
    return TNameLimit{limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX, false};
}

namespace {

// The handler can only use fixed storage and calls that are safe in a
// signal handler, hence this process-wide record of the one file being
// written. The last line of such a run, on standard error, is written
// ready beforehand.
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

// Only a file or a link of the partial file's name is replaced, never a
// device or a folder.
bool MayReplacePartial(const char* partial) {
    struct stat entry {};
    return lstat(partial, &entry) != 0 || S_ISREG(entry.st_mode) || S_ISLNK(entry.st_mode);
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

// Holds the stopping signals back while it lives.
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

}  // namespace

void WithStopsHeld(const std::function<void()>& create) {
    InstallSignalHandlers();
    const TSignalsHeld held;
    create();
}

void WatchStops(const std::string& temporary, const std::string& partial, const std::string& keptLine,
                const std::string& lostLine) {
    if (!Store(SignalTemporary, temporary) || !Store(SignalPartial, partial) || !Store(SignalKeptLine, keptLine) ||
        !Store(SignalLostLine, lostLine))
        return;
    SignalWatch = 1;
}

void UnwatchStops() { SignalWatch = 0; }

}  // namespace kestro
