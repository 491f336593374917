#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnuth::fuzz {

/// The lines of \p bytes split the plain, obviously correct way, for comparison with LineReader; a UTF-8
/// byte-order mark is no part of the first line.
inline std::vector<std::string> ReferenceLines(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end;
        if (start < bytes.size()) {
            start += bytes.compare(start, 2, "\r\n") == 0 ? 2 : 1;
        }
    }
    return lines;
}

} // namespace varnuth::fuzz
