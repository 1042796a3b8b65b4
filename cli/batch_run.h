#pragma once
// The batch command: a CSV of inputs in, the same rows with the derived
// values out, in constant memory whatever the length of the input.

#include <cstddef>
#include <cstdio>
#include <string>

#include "cli/batch.h"

namespace valdenta::cli {

struct BatchSettings {
    std::string input = "-";   ///< a file, or "-" for standard input
    std::string output = "-";  ///< a file, or "-" for standard output
    unsigned threads = 1;      ///< threads that compute rows
    InputFill fill;
    bool progress = false;         ///< show rows done, rows/s and time left on `err`
    std::size_t blockRows = 2048;  ///< records per block at most
    std::size_t blockBytes = std::size_t{256} << 10;  ///< cell bytes per block, about
};

/// Exit statuses of the batch command.
inline constexpr int kBatchAllRowsOk = 0;
inline constexpr int kBatchUsageOrFileError = 2;
inline constexpr int kBatchSomeRowsFailed = 3;

/// Runs the batch.  A reader thread parses the input into blocks of records,
/// `threads` workers compute the blocks, and this thread writes them in input
/// order; a fixed set of blocks circulates, so memory stays bounded.  Notices
/// and errors go to `err`.  Returns one of the exit statuses above.
int runBatch(const BatchSettings& settings, std::FILE* err);

}  // namespace valdenta::cli
