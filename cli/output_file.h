#pragma once
// The output of a batch: standard output, or a file that appears complete or
// not at all.

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

/// Output to standard output ("-") or to a temporary file in the target's
/// folder that commit() renames over the target.  Until then the target is
/// untouched: the destructor, SIGINT, SIGTERM and SIGHUP remove the temporary
/// file.
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
    [[noreturn]] void fail(const char* what) const;

    std::string path_;
    std::string tempPath_;
    int fd_ = 1;
};

}  // namespace valdenta::cli
