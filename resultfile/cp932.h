#pragma once
// Text of the result file: the labels and units are stored in code page 932.

#include <string>
#include <string_view>

namespace valdenta {

/// The code page 932 bytes of UTF-8 `text`, converted with the C library's
/// "CP932" table.  Throws CommandError when the conversion is not available or
/// `text` holds a character that code page 932 lacks.
std::string toCp932(std::string_view text);

}  // namespace valdenta
