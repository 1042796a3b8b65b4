#include "number.h"

#include <charconv>  // from_chars, to_chars: correctly rounded and independent of the locale
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace valdenta {

namespace {

/// Digits of the mantissa that take part in the value; later digits read as zeros.
constexpr int kSignificantDigits = 19;

/// A written exponent beyond this makes a non-zero number infinite (or zero when
/// negative), whatever its mantissa.
constexpr int kExponentLimit = 4932;

/// Exponent digits are accumulated up to this value only, so that any number of
/// them is read without overflow; every value above kExponentLimit acts alike.
constexpr int kExponentCap = 99999;

/// The mantissa as its significant digits and the power of ten that scales them:
/// value = digits * 10^scale.
struct Mantissa {
    char digits[kSignificantDigits] = {};
    int count = 0;            ///< significant digits kept, at most kSignificantDigits
    std::int64_t scale = 0;   ///< decimal exponent of the last kept digit
    bool anyDigit = false;    ///< a digit 0-9 appeared, significant or not
};

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Reads digits with at most one "." from `pos`; returns the position after them.
std::size_t readMantissa(std::string_view text, std::size_t pos, Mantissa& m) {
    bool afterPoint = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (!isDigit(c)) {
            break;
        }
        m.anyDigit = true;
        const bool significant = m.count > 0 || c != '0';
        if (significant && m.count < kSignificantDigits) {
            m.digits[m.count++] = c;
            if (afterPoint) {
                --m.scale;
            }
        } else if (significant && !afterPoint) {
            ++m.scale;  // a dropped digit before the point still shifts the point
        } else if (!significant && afterPoint) {
            --m.scale;  // a leading zero after the point moves the first digit down
        }
    }
    return pos;
}

/// Reads "e" or "E", an optional sign and digits from `pos`. Returns the
/// position after them, or `pos` itself when no digit follows (no exponent).
std::size_t readExponent(std::string_view text, std::size_t pos, int& exponent) {
    exponent = 0;
    std::size_t p = pos;
    if (p >= text.size() || (text[p] != 'e' && text[p] != 'E')) {
        return pos;
    }
    ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || !isDigit(text[p])) {
        return pos;
    }
    int value = 0;
    for (; p < text.size() && isDigit(text[p]); ++p) {
        value = value * 10 + (text[p] - '0');
        if (value > kExponentCap) {
            value = kExponentCap;
        }
    }
    exponent = negative ? -value : value;
    return p;
}

/// The nearest double to digits * 10^(scale + exponent), not yet signed.
// Exact powers of ten: every one up to 10^22 is a double.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common short number: at most 15 digits are an integer below 2^53, held
// exactly, and one multiplication or division by an exact power of ten is then
// rounded correctly by the hardware.  Returns false where this does not apply.
bool roundShortNumber(const Mantissa& m, std::int64_t power, double& value) {
    constexpr int kExactDigits = 15;
    constexpr std::int64_t kMaxPower = 22;
    if (m.count > kExactDigits || power > kMaxPower || power < -kMaxPower) return false;
    std::uint64_t integer = 0;
    for (int i = 0; i < m.count; ++i) integer = integer * 10 + static_cast<unsigned>(m.digits[i] - '0');
    const double exact = static_cast<double>(integer);
    value = power >= 0 ? exact * kExactPowersOfTen[power] : exact / kExactPowersOfTen[-power];
    return true;
}

double roundToDouble(const Mantissa& m, int exponent) {
    // The written exponent alone decides beyond the limit, whatever the digits.
    if (exponent > kExponentLimit) {
        return std::numeric_limits<double>::infinity();
    }
    if (exponent < -kExponentLimit) {
        return 0.0;
    }
    const std::int64_t power = m.scale + exponent;
    if (double value; roundShortNumber(m, power, value)) return value;

    // Canonical text "<digits>e<power>": at most 19 digits and a 64-bit exponent.
    char buffer[kSignificantDigits + 2 + std::numeric_limits<std::int64_t>::digits10 + 2];
    char* end = buffer;
    for (int i = 0; i < m.count; ++i) {
        *end++ = m.digits[i];
    }
    *end++ = 'e';
    end = std::to_chars(end, buffer + sizeof buffer, power).ptr;

    double value = 0.0;
    const auto result = std::from_chars(buffer, end, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the doubles: too large if the leading digit stands at 10^1 or above.
        const std::int64_t leadingPower = power + m.count - 1;
        return leadingPower > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return value;
}

/// "INF" or "NAN" at `pos`, right after a sign.
bool startsWithWord(std::string_view text, std::size_t pos, std::string_view word) {
    return text.substr(pos, word.size()) == word;
}

}  // namespace

// `end` counts the bytes of the number including the leading white space, and is 0
// when the text holds no number at all (no digit in the mantissa, or a sign followed
// by an incomplete "INF"/"NAN"). So "-" alone gives -0.0 with end 0, "+INF" end 4,
// "1e" and "1e+" end 1 (an "e" without digits is not part of the number).
ScannedNumber scanNumber(std::string_view text) noexcept {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    bool hasSign = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        hasSign = true;
        ++pos;
    }
    const double zero = negative ? -0.0 : 0.0;

    if (hasSign && pos < text.size() && (text[pos] == 'I' || text[pos] == 'N')) {
        if (startsWithWord(text, pos, "INF")) {
            return {std::copysign(std::numeric_limits<double>::infinity(), zero), pos + 3};
        }
        if (startsWithWord(text, pos, "NAN")) {
            return {std::copysign(std::numeric_limits<double>::quiet_NaN(), zero), pos + 3};
        }
        return {zero, 0};
    }

    Mantissa mantissa;
    pos = readMantissa(text, pos, mantissa);
    if (!mantissa.anyDigit) {
        return {zero, 0};
    }
    int exponent = 0;
    pos = readExponent(text, pos, exponent);
    if (mantissa.count == 0) {
        return {zero, pos};  // zeros only: zero whatever the exponent
    }
    const double magnitude = roundToDouble(mantissa, exponent);
    return {negative ? -magnitude : magnitude, pos};
}

double parseNumber(std::string_view text) noexcept {
    return scanNumber(text).value;
}

}  // namespace valdenta
