#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavrix {

// Texts are UTF-8. Widths and positions in laid-out text count characters
// (code points), not bytes, so that a name such as "CaSO4°" takes the room
// a reader sees.
std::size_t CharCount(std::string_view s);
std::u32string ToChars(std::string_view utf8);
std::string FromChars(std::u32string_view chars);

// s padded with blanks on the right, or cut, to exactly width characters.
std::string FitToWidth(std::string_view s, std::size_t width);

// s without blanks at either end / at the end.
std::string_view TrimBlanks(std::string_view s);
std::string_view TrimTrailingBlanks(std::string_view s);

// Rows of texts laid out in columns: each cell padded to its column's
// widest, two blanks between columns, no blanks at the end of a line.
std::vector<std::string> AlignedColumns(const std::vector<std::vector<std::string>>& rows);

}  // namespace tavrix
