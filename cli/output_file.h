#pragma once
// The output of a batch: standard output, or a file that appears complete or
// not at all.

#include <sys/types.h>

#include <string>
#include <string_view>

#include "formulas/errors.h"

namespace valdenta::cli {

/// A file that cannot be opened, read or written; the message names it and
/// says why.
class CliFileError : public CommandError {
public:
    using CommandError::CommandError;
};

/// Output to standard output ("-"), or to a temporary file in the target's
/// folder that commit() renames over the target.  Until then the target is
/// untouched: the destructor, SIGINT, SIGTERM and SIGHUP remove the temporary
/// file.  A target that is a symbolic link is replaced behind the link, and
/// an existing file keeps its permissions.  A device or a pipe (/dev/null, a
/// FIFO) cannot be replaced and is written directly.
class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Writes all of `bytes`.  Throws CliFileError.
    void write(std::string_view bytes);
    /// Makes the output complete: flushes it to disk and renames it into place.
    /// Throws CliFileError.
    void commit();

private:
    void openTemporaryBeside(const std::string& target, mode_t mode);
    [[noreturn]] void fail(const char* what) const;

    std::string path_;
    std::string target_;    ///< the file to replace, symbolic links resolved
    std::string tempPath_;  ///< empty when writing directly
    int fd_ = 1;
};

}  // namespace valdenta::cli
