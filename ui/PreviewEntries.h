#pragma once

#include "LineReader.h"

#include <optional>
#include <string>
#include <vector>

/// One SubRip entry as its source has it: the timing line and the text lines.
struct PreviewEntry {
    std::string timing;
    std::vector<std::string> text;

    /// The entry as a SubRip source holds it, closed by a blank line.
    [[nodiscard]] std::string SubRip() const;
};

/// The entries that have text, read from the source file one at a time and never held all at once: going forward
/// reads on, going back reads from the start again.
class PreviewEntries {
public:
    /// Opens \p name and counts its entries in one pass; throws RunError if it cannot be read.
    explicit PreviewEntries(std::string name);

    [[nodiscard]] int Count() const noexcept { return count_; }

    /// The entry at \p index, from 0 to Count() - 1.
    [[nodiscard]] PreviewEntry At(int index);

private:
    void Rewind();
    bool ReadEntry(PreviewEntry& entry);

    std::string name_;
    std::optional<varnuth::LineReader> reader_;
    std::optional<std::string> nextTiming_; // a timing line already read, which starts the next entry
    int nextIndex_ = 0;
    int count_ = 0;
};
