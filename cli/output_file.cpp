#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>  // mkostemp, realpath, free
#include <cstring>

namespace valdenta::cli {

namespace {

// The temporary file to remove when a signal ends the process.  Written only
// while no handler is installed, read only by the handler.
std::array<char, 4096> gTempPath{};
constexpr std::array<int, 3> kEndingSignals{SIGINT, SIGTERM, SIGHUP};
// The handlers in place before the guard, put back when it ends.
std::array<void (*)(int), 3> gPreviousHandlers{};
bool gGuarded = false;

extern "C" void removeTempAndDie(int signal) {
    if (gTempPath[0] != '\0') {
        ::unlink(gTempPath.data());
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void guardTempFile(const std::string& path) {
    if (path.size() >= gTempPath.size()) {
        return;  // too long to keep: only the destructor removes it
    }
    std::memcpy(gTempPath.data(), path.c_str(), path.size() + 1);
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
        gPreviousHandlers[i] = std::signal(kEndingSignals[i], removeTempAndDie);
        if (gPreviousHandlers[i] == SIG_IGN) {
            std::signal(kEndingSignals[i], SIG_IGN);  // an ignored signal (nohup) ends nothing
        }
    }
    gGuarded = true;
}

void unguardTempFile() {
    if (gGuarded) {
        for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
            std::signal(kEndingSignals[i], gPreviousHandlers[i]);
        }
        gGuarded = false;
    }
    gTempPath[0] = '\0';
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// The permissions a newly created file gets: 0666 less the umask.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path) {
    if (path == "-") {
        return;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            fail("cannot write");
        }
        openTemporaryBeside(path, newFileMode());
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        fail("cannot write");
    }
    // Opening it tells a file that may not be written (permissions, a
    // read-only file system) from one that may, before any work is done.
    fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        fail("cannot write");
    }
    if (!S_ISREG(info.st_mode)) {
        return;  // a device or a pipe takes the bytes as they come
    }
    ::close(fd_);
    fd_ = -1;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        fail("cannot write");
    }
    const std::string target = resolved;
    std::free(resolved);
    openTemporaryBeside(target, info.st_mode & 07777);
}

void OutputFile::openTemporaryBeside(const std::string& target, mode_t mode) {
    std::string pattern = folderOf(target) + "/." + baseNameOf(target) + ".XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail("cannot create a temporary file for");
    }
    tempPath_ = pattern;
    target_ = target;
    ::fchmod(fd_, mode);
    guardTempFile(tempPath_);
}

OutputFile::~OutputFile() {
    if (!tempPath_.empty()) {
        unguardTempFile();
        ::close(fd_);
        ::unlink(tempPath_.c_str());
    } else if (fd_ > 2) {
        ::close(fd_);
    }
}

void OutputFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("cannot write");
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void OutputFile::commit() {
    if (tempPath_.empty()) {
        return;  // standard output, a device or a pipe: written as it went
    }
    if (::fsync(fd_) != 0) {
        fail("cannot write");
    }
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail("cannot write");
    }
    fd_ = -1;
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        fail("cannot replace");
    }
    unguardTempFile();
    tempPath_.clear();
}

void OutputFile::fail(const char* what) const {
    const std::string name = path_ == "-" ? "standard output" : path_;
    throw CliFileError(std::string(what) + " " + name + ": " + std::strerror(errno));
}

}  // namespace valdenta::cli
