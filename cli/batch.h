#pragma once
// The rows of a batch: which column holds which input, and one output row for
// every input row.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "calculator/inputs.h"
#include "calculator/state.h"
#include "cli/csv_read.h"

namespace valdenta::cli {

/// The twelve values that Calculate derives, in file order, as output columns.
extern const std::array<StateValue, 12> kDerivedValues;

/// Values for the inputs that have no column: the built-in defaults, each
/// replaced by a value given on the command line.
struct InputFill {
    InputMemory values = defaultInputs();
    std::array<bool, 10> given{};  ///< per kInputFields: set on the command line
};

/// A header that cannot be used (an input named by two columns).
class HeaderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What to do with each column, and the state every row starts from.
struct BatchPlan {
    std::size_t columns = 0;
    std::vector<const InputField*> fieldOfColumn;  ///< nullptr: passed through
    CalcState start{};                             ///< inputs without a column filled in
    std::array<bool, 10> hasColumn{};              ///< per kInputFields
    std::string outputHeader;                      ///< header line of the output
};

/// The plan for `header`: a cell equal to an input's name (blanks around it
/// ignored) is that input's column.  Throws HeaderError.
BatchPlan planBatch(const std::vector<std::string>& header, const InputFill& fill);

/// The lines for standard error about inputs without a column (the value used
/// for every row and where it comes from) and about command-line values that
/// are not used because a column exists.  Empty when there is nothing to say.
std::string fillNotice(const BatchPlan& plan, const InputFill& fill);

/// Records of the input, kept back to back, and the output they give.
struct RowBlock {
    std::uint64_t sequence = 0;
    std::string cells;                    ///< the cells' bytes, back to back
    std::vector<std::uint32_t> cellEnds;  ///< end of each cell in `cells`
    std::vector<std::uint32_t> rowEnds;   ///< per record: end of its cells in `cellEnds`
    std::vector<RecordFault> rowFaults;   ///< per record
    std::string out;                      ///< output lines of the records
    std::uint64_t failedRows = 0;

    std::size_t rows() const noexcept { return rowEnds.size(); }
    std::size_t inputBytes() const noexcept { return cells.size(); }
    void addCell(std::string_view text);
    void endRow(RecordFault fault);
    void clear() noexcept;
};

/// Computes every record of `block` on its own and writes its output line:
/// the header's cells as given (missing cells empty, surplus ones left out),
/// the twelve derived values, and "ok" or the reason the row failed.
void processBlock(const BatchPlan& plan, RowBlock& block);

}  // namespace valdenta::cli
