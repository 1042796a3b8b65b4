#pragma once
// Helpers of the result file tests: a scratch folder, whole-file bytes, the
// committed fixtures and comparisons of the calculator's values.

#include <string>
#include <string_view>
#include <vector>

#include "calculator/calculator.h"
#include "calculator/state.h"

namespace valdenta::test {

/// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
    /// The names in the folder, sorted.
    std::vector<std::string> names() const;

private:
    std::string path_;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, std::string_view bytes);
/// The bytes of a fixture file committed beside the tests.
std::string fixtureBytes(std::string_view name);

/// Bit-for-bit equality of every value (NaN and negative zero included).
void expectSameValues(const CalcState& expected, const CalcState& actual);
void expectSameValues(const InputMemory& expected, const InputMemory& actual);

/// Everything the user can see or that a command can change.
struct CalculatorSnapshot {
    CalcState state;
    InputMemory memory;
    std::vector<std::string> texts;  ///< Edit1 ... Edit26
};
CalculatorSnapshot snapshot(HeadlessCalculator& calculator);
void expectUnchanged(const CalculatorSnapshot& before, HeadlessCalculator& calculator);

}  // namespace valdenta::test
