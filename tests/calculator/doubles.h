#pragma once
// Special doubles and bit patterns shared by the number text tests.

#include <bit>
#include <cstdint>
#include <limits>

namespace valdenta::testing_doubles {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kMinNormal = std::numeric_limits<double>::min();
constexpr double kMinSubnormal = std::numeric_limits<double>::denorm_min();

/// The bits of `v`, to compare doubles exactly (the sign of zero included).
inline std::uint64_t bits(double v) {
    return std::bit_cast<std::uint64_t>(v);
}

}  // namespace valdenta::testing_doubles
