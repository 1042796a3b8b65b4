#pragma once
// Files by name for the result file: the errors the user sees, reading in
// pieces, and replacing a file's contents without ever leaving it half written.

#include <string>
#include <string_view>

#include "resultfile/linereader.h"
#include "resultfile/resultfile.h"

namespace valdenta {

/// Why a file operation failed, in Japanese, for the C error number `err`.
/// `writing` tells whether the file was to be written (a missing file is then
/// a missing folder).
std::string fileErrorReason(int err, bool writing);

/// "ファイル「name」を開けません: reason" and the like; `path` may hold any
/// bytes, the message is valid UTF-8.
FileError cannotOpen(const std::string& path, int err, bool writing);
FileError cannotRead(const std::string& path, int err);
FileError cannotWrite(const std::string& path, int err);
FileError notResultFile(const std::string& path, const std::string& detail);

/// A file opened for reading; closed with the object.
class InputFile {
public:
    /// Opens `path` for reading.  Throws FileError (also for a folder).
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// The file's lines; a read error throws FileError.
    LineReader lines();

private:
    std::string path_;
    int fd_;
};

/// Makes `bytes` the whole contents of the file `path`.  A regular file (new or
/// existing) is written to a temporary file in the same folder, synced and
/// renamed over `path`, so on any failure the previous file stays as it was
/// and no temporary file remains.  A new file gets the permissions 0666 less
/// the umask, a replaced one keeps its permissions; a symbolic link is written
/// through.  A device or pipe is written directly.  Throws FileError.
void replaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace valdenta
