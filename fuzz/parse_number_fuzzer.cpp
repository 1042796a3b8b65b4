// Fuzz target: scanNumber and parseNumber against a slow reference conversion
// written straight from the input fields' number grammar.
//
// The reference shares nothing with the implementation: it collects the
// number's characters as text, rebuilds it as "0.<digits>e<power>" and lets
// the C library's correctly rounding strtod_l (in the "C" locale) convert it.
// Any difference in value (bit for bit), in sign or in the bytes consumed
// aborts, and so does any memory or undefined-behaviour fault the sanitizers see.

#include <locale.h>  // newlocale
#include <stdlib.h>  // strtod_l

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "calculator/number.h"

namespace {

/// Significant digits of the mantissa that take part; later ones read as zeros.
constexpr std::size_t kKeptDigits = 19;
/// A written exponent beyond this decides alone (infinity or zero).
constexpr long long kExponentLimit = 4932;
/// Written exponents are read up to this; every larger one acts alike.
constexpr long long kExponentSaturation = 1'000'000'000;

struct Expected {
    double value;
    std::size_t end;
};

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

double withSign(double magnitude, bool negative) {
    return negative ? -magnitude : magnitude;
}

/// The correctly rounded double of a plain decimal text, whatever the locale.
double convertDecimalText(const std::string& text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr)) {
        std::fputs("parse_number_fuzzer: no \"C\" locale\n", stderr);
        std::abort();
    }
    return strtod_l(text.c_str(), nullptr, cLocale);
}

Expected referenceScan(std::string_view text) {
    const double inf = std::numeric_limits<double>::infinity();
    std::size_t i = 0;
    while (i < text.size() && isWhiteSpace(text[i])) ++i;

    bool signRead = false;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        signRead = true;
        negative = text[i] == '-';
        ++i;
    }
    if (signRead && text.substr(i, 3) == "INF") return {withSign(inf, negative), i + 3};
    if (signRead && text.substr(i, 3) == "NAN") {
        return {std::copysign(std::numeric_limits<double>::quiet_NaN(), negative ? -1.0 : 1.0),
                i + 3};
    }

    // Mantissa: every digit, and how many stood before the point.
    std::string digits;
    std::size_t digitsBeforePoint = 0;
    bool pointSeen = false;
    for (; i < text.size(); ++i) {
        if (text[i] == '.' && !pointSeen) {
            pointSeen = true;
        } else if (isDecimalDigit(text[i])) {
            digits += text[i];
            if (!pointSeen) ++digitsBeforePoint;
        } else {
            break;
        }
    }
    if (digits.empty()) return {withSign(0.0, negative), 0};

    // Exponent: only when at least one digit follows "e", "E" and the optional sign.
    long long written = 0;
    std::size_t j = i;
    if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
        ++j;
        bool exponentNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            exponentNegative = text[j] == '-';
            ++j;
        }
        if (j < text.size() && isDecimalDigit(text[j])) {
            for (; j < text.size() && isDecimalDigit(text[j]); ++j) {
                if (written < kExponentSaturation) written = written * 10 + (text[j] - '0');
            }
            if (exponentNegative) written = -written;
            i = j;
        }
    }
    const std::size_t end = i;

    const std::size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) return {withSign(0.0, negative), end};
    if (written > kExponentLimit) return {withSign(inf, negative), end};
    if (written < -kExponentLimit) return {withSign(0.0, negative), end};

    // value = 0.<significant digits> * 10^power
    const long long power = static_cast<long long>(digitsBeforePoint) -
                            static_cast<long long>(firstNonZero) + written;
    const std::string kept = digits.substr(firstNonZero, kKeptDigits);
    const double magnitude = convertDecimalText("0." + kept + "e" + std::to_string(power));
    return {withSign(magnitude, negative), end};
}

bool sameDouble(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    }
    std::uint64_t bitsA = 0;
    std::uint64_t bitsB = 0;
    std::memcpy(&bitsA, &a, sizeof a);
    std::memcpy(&bitsB, &b, sizeof b);
    return bitsA == bitsB;
}

[[noreturn]] void reportMismatch(std::string_view text, const char* what, double gotValue,
                                 std::size_t gotEnd, const Expected& expected) {
    constexpr std::size_t kShownBytes = 200;
    std::fprintf(stderr, "parse_number_fuzzer: %s differs for the text of %zu bytes \"", what,
                 text.size());
    for (const char c : text.substr(0, kShownBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02X", byte);
        }
    }
    std::fprintf(stderr, "\"%s\n", text.size() > kShownBytes ? "..." : "");
    std::fprintf(stderr, "  got      value %a (%.17g), end %zu\n", gotValue, gotValue, gotEnd);
    std::fprintf(stderr, "  expected value %a (%.17g), end %zu\n", expected.value, expected.value,
                 expected.end);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const valdenta::ScannedNumber got = valdenta::scanNumber(text);
    const Expected expected = referenceScan(text);

    if (!sameDouble(got.value, expected.value)) reportMismatch(text, "value", got.value, got.end, expected);
    if (got.end != expected.end) reportMismatch(text, "end", got.value, got.end, expected);
    const double parsed = valdenta::parseNumber(text);
    if (!sameDouble(parsed, got.value)) {
        reportMismatch(text, "parseNumber and scanNumber", parsed, got.end, expected);
    }
    return 0;
}
