#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnuth {

/// A source line the run dropped or could not read as its format intends, and why.
struct UnconvertedLine {
    long number = 0;
    std::string reason;
};

/// The lines a run did not convert: only the first kKept of them and how many in all, so that memory stays constant.
struct UnconvertedLines {
    static constexpr std::size_t kKept = 20;

    void Add(long number, std::string_view reason)
    {
        if (first.size() < kKept) {
            first.push_back({number, std::string(reason)});
        }
        ++total;
    }

    std::vector<UnconvertedLine> first;
    long total = 0;
};

} // namespace varnuth
