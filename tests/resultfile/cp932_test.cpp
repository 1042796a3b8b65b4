#include "resultfile/cp932.h"

#include <gtest/gtest.h>

#include "formulas/errors.h"

namespace valdenta {
namespace {

TEST(Cp932, ConvertsTheCharactersOfTheResultFile) {
    // Double-byte codes from the code page 932 table.
    EXPECT_EQ(toCp932("気温,(℃),"), "\x8B\x43\x89\xB7,(\x81\x8E),");
    EXPECT_EQ(toCp932("蒸発効率β"), "\x8F\xF6\x94\xAD\x8C\xF8\x97\xA6\x83\xC0");
    EXPECT_EQ(toCp932("ボーエン比"), "\x83\x7B\x81\x5B\x83\x47\x83\x93\x94\xE4");
    EXPECT_EQ(toCp932("(W/m2),(%)"), "(W/m2),(%)");
    EXPECT_EQ(toCp932(""), "");
}

TEST(Cp932, RefusesCharactersOutsideTheCodePage) {
    EXPECT_THROW(toCp932("€"), CommandError);
    EXPECT_THROW(toCp932("\xFF"), CommandError);  // not UTF-8
}

}  // namespace
}  // namespace valdenta
