#include "resultfile/linereader.h"

namespace valdenta {

bool LineReader::refill() {
    chunkPos_ = 0;
    chunkLen_ = fill_(chunk_, sizeof chunk_);
    return chunkLen_ != 0;
}

std::optional<std::string_view> LineReader::next() {
    line_.clear();
    while (line_.size() < kMaxLineBytes) {
        if (chunkPos_ == chunkLen_ && !refill()) break;
        const char c = chunk_[chunkPos_++];
        if (c == '\r') continue;
        line_.push_back(c);
        if (c == '\n') break;
    }
    if (line_.empty()) return std::nullopt;
    return std::string_view(line_);
}

}  // namespace valdenta
