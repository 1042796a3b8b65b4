#include "support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <algorithm>

namespace valdenta::test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "resultfile_test.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string fixtureBytes(std::string_view name) {
    return readBytes(std::string(VALDENTA_RESULTFILE_FIXTURES) + "/" + std::string(name));
}

void expectSameValues(const CalcState& expected, const CalcState& actual) {
    for (const StateValue& value : kStateValues) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(expected.*value.member),
                  std::bit_cast<std::uint64_t>(actual.*value.member))
            << value.name << ": expected " << expected.*value.member << ", got " << actual.*value.member;
    }
}

void expectSameValues(const InputMemory& expected, const InputMemory& actual) {
    for (const InputValue& value : kInputValues) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(expected.*value.memory),
                  std::bit_cast<std::uint64_t>(actual.*value.memory))
            << value.name << ": expected " << expected.*value.memory << ", got " << actual.*value.memory;
    }
}

CalculatorSnapshot snapshot(HeadlessCalculator& calculator) {
    CalculatorSnapshot s{calculator.calc.state(), calculator.calc.memory(), {}};
    for (int edit = 1; edit <= kFieldCount; ++edit) s.texts.push_back(calculator.fields.text(edit));
    return s;
}

void expectUnchanged(const CalculatorSnapshot& before, HeadlessCalculator& calculator) {
    const CalculatorSnapshot after = snapshot(calculator);
    expectSameValues(before.state, after.state);
    expectSameValues(before.memory, after.memory);
    EXPECT_EQ(before.texts, after.texts);
}

}  // namespace valdenta::test
