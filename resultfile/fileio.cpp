#include "resultfile/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>  // mkostemp, realpath, free
#include <cstring>  // strerrorname_np, strerrordesc_np

namespace valdenta {

namespace {

/// The length of the valid UTF-8 sequence at the start of `s`, 0 if invalid
/// (a stray byte, a truncated, overlong or surrogate sequence, above U+10FFFF).
std::size_t utf8SequenceLength(std::string_view s) {
    const auto lead = static_cast<unsigned char>(s[0]);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) secondLow = 0xA0;   // overlong
        if (lead == 0xED) secondHigh = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) secondLow = 0x90;   // overlong
        if (lead == 0xF4) secondHigh = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        const unsigned char low = i == 1 ? secondLow : 0x80;
        const unsigned char high = i == 1 ? secondHigh : 0xBF;
        if (b < low || b > high) return 0;
    }
    return length;
}

/// A file name as it can appear in a UTF-8 message: bytes that are not UTF-8
/// become U+FFFD.
std::string displayName(std::string_view path) {
    std::string out;
    while (!path.empty()) {
        const std::size_t length = utf8SequenceLength(path);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            path.remove_prefix(1);
        } else {
            out += path.substr(0, length);
            path.remove_prefix(length);
        }
    }
    return out;
}

std::string fileMessage(const std::string& path, const char* what, const std::string& reason) {
    return "ファイル「" + displayName(path) + "」" + what + ": " + reason;
}

/// A file descriptor that is closed with the object unless closed before.
class Descriptor {
public:
    explicit Descriptor(int fd) noexcept : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const noexcept { return fd_; }
    /// Closes now; the C error number of a failed close, else 0.
    int close() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw cannotWrite(path, n < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void closeAfterWriting(Descriptor& file, const std::string& path) {
    if (const int err = file.close()) throw cannotWrite(path, err);
}

/// Longest file name most Linux file systems accept, in bytes.
constexpr std::size_t kMaxFileNameBytes = 255;

/// "folder/.name.XXXXXX" beside `target`, for mkostemp.  The name is cut so
/// that the temporary name stays within kMaxFileNameBytes.
std::string temporaryPattern(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string suffix = ".XXXXXX";
    const std::size_t keep = kMaxFileNameBytes - 1 - suffix.size();
    return target.substr(0, nameStart) + "." + target.substr(nameStart, keep) + suffix;
}

/// A temporary file beside the target: removed again unless renamed over it.
class TemporaryFile {
public:
    TemporaryFile(const std::string& target, const std::string& pathForMessages)
        : target_(target), path_(pathForMessages), name_(temporaryPattern(target)),
          file_(::mkostemp(name_.data(), O_CLOEXEC)) {
        if (file_.get() < 0) throw cannotOpen(path_, errno, true);
    }
    ~TemporaryFile() {
        if (!renamed_) ::unlink(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void write(std::string_view bytes, mode_t mode) {
        if (::fchmod(file_.get(), mode) != 0) throw cannotWrite(path_, errno);
        writeAll(file_.get(), bytes, path_);
        if (::fsync(file_.get()) != 0) throw cannotWrite(path_, errno);
        closeAfterWriting(file_, path_);
    }
    void renameOverTarget() {
        if (::rename(name_.c_str(), target_.c_str()) != 0) throw cannotWrite(path_, errno);
        renamed_ = true;
    }

private:
    std::string target_;
    std::string path_;
    std::string name_;
    Descriptor file_;
    bool renamed_ = false;
};

/// 0666 less the umask, the permissions that creating a file would give.  The
/// umask can only be read by setting it; the program has one thread.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

/// The file a path names, through symbolic links, so that replacing it keeps the links.
std::string resolvedPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) throw cannotOpen(path, errno, true);
    std::string result(resolved);
    std::free(resolved);
    return result;
}

/// Fails as opening the file for writing would (permissions, read-only file
/// system), without changing it.
void checkWritable(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) throw cannotOpen(path, errno, true);
}

void writeViaTemporary(const std::string& target, const std::string& path, std::string_view bytes,
                       mode_t mode) {
    TemporaryFile temporary(target, path);
    temporary.write(bytes, mode);
    temporary.renameOverTarget();
}

/// A device or pipe cannot be replaced; it takes the bytes as they come.
void writeInPlace(const std::string& path, std::string_view bytes) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) throw cannotOpen(path, errno, true);
    writeAll(file.get(), bytes, path);
    closeAfterWriting(file, path);
}

}  // namespace

std::string fileErrorReason(int err, bool writing) {
    switch (err) {
        case ENOENT:
            return writing ? "保存先のフォルダが見つかりません" : "ファイルが見つかりません";
        case EACCES:
        case EPERM:
            return "アクセスが許可されていません";
        case EISDIR:
            return "ファイルではなくフォルダです";
        case ENOTDIR:
            return "パスの途中にフォルダでないものがあります";
        case ENOSPC:
            return "ディスクの空き容量が足りません";
        case EFBIG:
            return "ファイルサイズの上限を超えました";
        case EROFS:
            return "読み取り専用のファイルシステムです";
        case EDQUOT:
            return "ディスク使用量の制限を超えました";
        case ENAMETOOLONG:
            return "ファイル名が長すぎます";
        case ELOOP:
            return "シンボリックリンクの階層が深すぎます";
        default: {
            // The C library's English description, which does not depend on the locale.
            const char* name = ::strerrorname_np(err);
            const char* description = ::strerrordesc_np(err);
            return std::string("予期しないエラーです (") + (name ? name : "errno " + std::to_string(err)) +
                   ": " + (description ? description : "unknown") + ")";
        }
    }
}

FileError cannotOpen(const std::string& path, int err, bool writing) {
    return FileError(fileMessage(path, "を開けません", fileErrorReason(err, writing)));
}

FileError cannotRead(const std::string& path, int err) {
    return FileError(fileMessage(path, "を読み込めません", fileErrorReason(err, false)));
}

FileError cannotWrite(const std::string& path, int err) {
    return FileError(fileMessage(path, "に書き込めません", fileErrorReason(err, true)));
}

FileError notResultFile(const std::string& path, const std::string& detail) {
    return FileError(fileMessage(path, "は結果ファイルではありません", detail));
}

InputFile::InputFile(const std::string& path)
    : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC)) {
    if (fd_ < 0) throw cannotOpen(path_, errno, false);
    struct stat status {};
    const int err = ::fstat(fd_, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
    if (err != 0) {
        ::close(fd_);
        throw cannotOpen(path_, err, false);
    }
}

InputFile::~InputFile() { ::close(fd_); }

LineReader InputFile::lines() {
    return LineReader([this](char* buffer, std::size_t size) {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno != EINTR) throw cannotRead(path_, errno);
        }
    });
}

void replaceFileContents(const std::string& path, std::string_view bytes) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) throw cannotOpen(path, errno, true);
        writeViaTemporary(path, path, bytes, newFileMode());
    } else if (S_ISDIR(status.st_mode)) {
        throw cannotOpen(path, EISDIR, true);
    } else if (!S_ISREG(status.st_mode)) {
        writeInPlace(path, bytes);
    } else {
        checkWritable(path);
        writeViaTemporary(resolvedPath(path), path, bytes, status.st_mode & 07777);
    }
}

}  // namespace valdenta
