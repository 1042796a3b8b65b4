#pragma once
// The result file: 22 lines "label,(unit),value" in code page 932, CR LF line
// ends.  Save As writes the whole state; Open reads the ten inputs back by line
// position into the memory slot.

#include <string>

#include "calculator/calculator.h"
#include "calculator/state.h"
#include "formulas/errors.h"

namespace valdenta {

/// A file that cannot be opened, read, written or is not a result file.  The
/// message (UTF-8, Japanese) names the file and the reason.
class FileError : public CommandError {
public:
    using CommandError::CommandError;
};

/// The exact bytes of the result file for `state`.
std::string resultFileBytes(const CalcState& state);

/// Writes the result file for `state` to `path` (bytes of a file name).  The
/// file is written to a temporary file in the same folder, synced and renamed
/// over `path`, so a failure leaves any previous file intact.  Throws FileError.
void writeResultFile(const CalcState& state, const std::string& path);

/// Reads the ten inputs of the result file at `path`.  Throws FileError when
/// the file cannot be read, has fewer than 21 lines, or one of the ten input
/// lines has no comma; nothing is returned then.
InputMemory readResultFile(const std::string& path);

/// The ten inputs of a result file given as bytes (the same rules as readResultFile).
InputMemory readResultBytes(const std::string& bytes, const std::string& nameForMessages);

/// File > Open without its dialog: the file's inputs into the memory slot, then Restore.
/// On an error nothing changes.
void openResultFile(Calculator& calc, const std::string& path);

/// File > Save As without its dialog: writes the state as it stands.
void saveResultFile(const Calculator& calc, const std::string& path);

}  // namespace valdenta
