#pragma once
// Lines of a text file as the C library reads them in text mode into a line
// buffer of 1024 bytes.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace valdenta {

class LineReader {
public:
    /// Bytes a line buffer of 1024 bytes holds besides its terminating NUL.
    static constexpr std::size_t kMaxLineBytes = 1023;

    /// Fills `buffer` with up to `size` further bytes of the file and returns
    /// how many; 0 at the end of the file.  May throw.
    using Fill = std::function<std::size_t(char* buffer, std::size_t size)>;

    explicit LineReader(Fill fill) : fill_(std::move(fill)) {}

    /// The next line: the bytes up to and including the next line feed, but
    /// at most kMaxLineBytes, so a longer line comes back in pieces.  Every
    /// carriage return is dropped and not counted.  The last line of a file
    /// need not end in a line feed.  Empty when the file has no more bytes.
    /// The text stays valid until the next call.
    std::optional<std::string_view> next();

private:
    bool refill();

    Fill fill_;
    char chunk_[4096];
    std::size_t chunkPos_ = 0;
    std::size_t chunkLen_ = 0;
    std::string line_;
};

}  // namespace valdenta
