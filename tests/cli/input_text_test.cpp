#include "cli/input_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "formulas/errors.h"

namespace valdenta::cli {
namespace {

const InputField& field(std::string_view name) {
    return *inputFieldNamed(name);
}

struct TextCase {
    const char* field;
    const char* text;
    InputVerdict verdict;
    double value;  // when accepted
};

TEST(ReadInputText, WholeTextMustBeOneAcceptedNumber) {
    const double inf = std::numeric_limits<double>::infinity();
    const TextCase cases[] = {
        {"Ta", "15", InputVerdict::Accepted, 15.0},
        {"Ta", "  -237.3\t", InputVerdict::Accepted, -237.3},
        {"Ta", "1e2", InputVerdict::Accepted, 100.0},
        {"Ta", ".5", InputVerdict::Accepted, 0.5},
        {"Ta", "+INF", InputVerdict::Accepted, inf},
        {"Ta", "1e999", InputVerdict::Accepted, inf},
        // What an input field would read as 12, 0, 1 or 1.5 is a mistake here.
        {"Ta", "12abc", InputVerdict::NotANumber, 0},
        {"Ta", "", InputVerdict::NotANumber, 0},
        {"Ta", "   ", InputVerdict::NotANumber, 0},
        {"Ta", "-", InputVerdict::NotANumber, 0},
        {"Ta", "1,5", InputVerdict::NotANumber, 0},
        {"Ta", "1.5.3", InputVerdict::NotANumber, 0},
        {"Ta", "0x10", InputVerdict::NotANumber, 0},
        {"Ta", "inf", InputVerdict::NotANumber, 0},
        {"Ta", "+IN", InputVerdict::NotANumber, 0},
        {"Ta", "\xEF\xBC\x91\xEF\xBC\x92", InputVerdict::NotANumber, 0},  // full-width 12
        {"Ta", "12 \xE3\x80\x80", InputVerdict::NotANumber, 0},  // ideographic space is no blank
        // The fields' own bounds.
        {"Rh", "100", InputVerdict::Accepted, 100.0},
        {"Rh", "150", InputVerdict::Refused, 0},
        {"Rh", "100.0000001", InputVerdict::Refused, 0},
        {"Rh", "-0.1", InputVerdict::Refused, 0},
        {"U", "0", InputVerdict::Accepted, 0.0},
        {"P", "0", InputVerdict::Refused, 0},
        {"P", "0.001", InputVerdict::Accepted, 0.001},
        {"P", "+INF", InputVerdict::Accepted, inf},
        {"Albedo", "1.01", InputVerdict::Refused, 0},
        {"Ch", "1", InputVerdict::Accepted, 1.0},
        {"Beta", "-INF", InputVerdict::Refused, 0},
        {"Beta", "5", InputVerdict::Accepted, 5.0},
        // A NaN cannot be compared with a bound: refused, not an error.
        {"Rh", "+NAN", InputVerdict::Refused, 0},
    };
    for (const TextCase& c : cases) {
        double value = -1.0;
        EXPECT_EQ(readInputText(field(c.field), c.text, value), c.verdict)
            << c.field << " \"" << c.text << "\"";
        if (c.verdict == InputVerdict::Accepted) {
            EXPECT_EQ(value, c.value) << c.field << " \"" << c.text << "\"";
        }
    }
}

TEST(ReadInputText, KeepsSignOfZeroAndNanWhereUnchecked) {
    double value = 1.0;
    ASSERT_EQ(readInputText(field("U"), "-0", value), InputVerdict::Accepted);
    EXPECT_TRUE(value == 0.0 && std::signbit(value));
    ASSERT_EQ(readInputText(field("Ta"), "-NAN", value), InputVerdict::Accepted);
    EXPECT_TRUE(std::isnan(value) && std::signbit(value));
}

TEST(VerdictMessage, NamesTextAndAcceptedRange) {
    EXPECT_EQ(verdictMessage(field("Rh"), "150", InputVerdict::Refused),
              "\"150\" is refused (accepted: 0 <= x <= 100)");
    EXPECT_EQ(verdictMessage(field("Ta"), "12abc", InputVerdict::NotANumber),
              "\"12abc\" is not a number (accepted: any number)");
}

}  // namespace
}  // namespace valdenta::cli
