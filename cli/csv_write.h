#pragma once
// Writing CSV cells and numbers into a growing buffer, without the locale and
// without a heap allocation per cell.

#include <string>
#include <string_view>

namespace valdenta::cli {

/// Appends `cell` as one CSV field: quoted, with quotes doubled, when it holds
/// a comma, a quote, a carriage return or a line feed; as it is otherwise.
void appendCsvCell(std::string& out, std::string_view cell);

/// Appends the text of formatShortest(v): the shortest text that reads back
/// to `v`, or "+INF", "-INF", "+NAN", "-NAN".
void appendShortest(std::string& out, double v);

}  // namespace valdenta::cli
