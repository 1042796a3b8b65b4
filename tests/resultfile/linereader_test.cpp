#include "resultfile/linereader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace valdenta {
namespace {

/// All lines of `bytes`, handed to the reader `piece` bytes at a time.
std::vector<std::string> readLines(const std::string& bytes, std::size_t piece) {
    std::size_t pos = 0;
    LineReader reader([&](char* buffer, std::size_t size) {
        const std::size_t n = std::min({size, piece, bytes.size() - pos});
        bytes.copy(buffer, n, pos);
        pos += n;
        return n;
    });
    std::vector<std::string> lines;
    while (auto line = reader.next()) lines.emplace_back(*line);
    return lines;
}

struct LineCase {
    const char* what;
    std::string bytes;
    std::vector<std::string> lines;
};

const std::string k1022(1022, 'a');
const std::string k1023(1023, 'a');

const LineCase kLineCases[] = {
    {"nothing", "", {}},
    {"CR LF and LF read the same", "a,1\r\nb,2\n", {"a,1\n", "b,2\n"}},
    {"every carriage return is dropped", "\ra\r,\r1\r\r\n", {"a,1\n"}},
    {"a carriage return alone is no line", "\r\r\r", {}},
    {"a last line without a line feed", "a\nb", {"a\n", "b"}},
    {"empty lines", "\n\n", {"\n", "\n"}},
    {"1022 bytes and the line feed fill one read", k1022 + "\n", {k1022 + "\n"}},
    {"1023 bytes before the line feed need two reads", k1023 + "\nb\n", {k1023, "\n", "b\n"}},
    {"carriage returns do not count towards 1023", k1022 + "\r\n", {k1022 + "\n"}},
    {"a long line comes in pieces of 1023", std::string(2100, 'x') + "\n",
     {std::string(1023, 'x'), std::string(1023, 'x'), std::string(54, 'x') + "\n"}},
    {"NUL bytes are ordinary bytes", std::string("a\0b\n", 4), {std::string("a\0b\n", 4)}},
};

TEST(LineReader, SplitsLikeTextModeReadsIntoA1024ByteBuffer) {
    for (const LineCase& c : kLineCases) {
        // The file arrives in pieces of many sizes; a line must not depend on them.
        for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1000}, std::size_t{1 << 16}}) {
            EXPECT_EQ(readLines(c.bytes, piece), c.lines) << c.what << ", pieces of " << piece;
        }
    }
}

TEST(LineReader, StaysAtTheEndOnceThere) {
    int fills = 0;
    LineReader reader([&](char* buffer, std::size_t) {
        if (fills++ > 0) return std::size_t{0};
        buffer[0] = 'x';
        return std::size_t{1};
    });
    ASSERT_EQ(reader.next(), std::optional<std::string_view>("x"));
    EXPECT_EQ(reader.next(), std::nullopt);
    EXPECT_EQ(reader.next(), std::nullopt);
}

}  // namespace
}  // namespace valdenta
