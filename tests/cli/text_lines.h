#pragma once
// Splitting program output into lines, for the command-line tests.

#include <sstream>
#include <string>
#include <vector>

namespace valdenta::cli {

/// The lines of `text` without their line feeds.
inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

}  // namespace valdenta::cli
