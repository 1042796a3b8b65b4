#include "formulas/errors.h"

#include <charconv>

namespace valdenta {

namespace {

std::string nonConvergenceMessage(long passes) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, passes);
    (void)ec;  // a long always fits in 24 characters
    return "地表面温度が収束しませんでした（" + std::string(digits, end) +
           "回の反復で熱収支が閉じません）";
}

}  // namespace

FloatingPointError::FloatingPointError(FpFault fault)
    : CommandError(fpFaultMessage(fault)), fault_(fault) {}

const char* fpFaultMessage(FpFault fault) noexcept {
    switch (fault) {
        case FpFault::DivideByZero:
            return "浮動小数点ｴﾗｰ: ｾﾞﾛによる除算";
        case FpFault::Overflow:
            return "浮動小数点ｴﾗｰ: ｵｰﾊﾞｰﾌﾛｰ";
        case FpFault::Invalid:
            break;
    }
    return "無効な浮動小数点操作";
}

NonConvergenceError::NonConvergenceError(long passes)
    : CommandError(nonConvergenceMessage(passes)), passes_(passes) {}

}  // namespace valdenta
