#include "PreviewEntries.h"

#include "SubRipTiming.h"

#include <cassert>
#include <utility>

std::string PreviewEntry::SubRip() const
{
    std::string lines = timing + "\n";
    for (const std::string& line : text) {
        lines.append(line).append("\n");
    }
    return lines + "\n";
}

PreviewEntries::PreviewEntries(std::string name) : name_(std::move(name))
{
    Rewind();
    PreviewEntry entry;
    while (ReadEntry(entry)) {
        ++count_;
    }
    Rewind();
}

PreviewEntry PreviewEntries::At(int index)
{
    assert(index >= 0 && index < count_ && "an entry of the source");
    if (index < nextIndex_) {
        Rewind();
    }
    PreviewEntry entry;
    while (nextIndex_ <= index && ReadEntry(entry)) {
        ++nextIndex_;
    }
    return entry;
}

void PreviewEntries::Rewind()
{
    reader_.reset();
    reader_.emplace(name_);
    nextTiming_.reset();
    nextIndex_ = 0;
}

// As the converters read a source: a timing line starts an entry, and a blank line or the next timing line ends it;
// an entry without text is no entry.
bool PreviewEntries::ReadEntry(PreviewEntry& entry)
{
    entry = {};
    bool inEntry = false;
    if (nextTiming_) {
        entry.timing = *std::exchange(nextTiming_, std::nullopt);
        inEntry = true;
    }
    std::string_view line;
    while (reader_->Next(line)) {
        if (varnuth::ParseTimingLine(line)) {
            if (!entry.text.empty()) {
                nextTiming_ = std::string(line);
                return true;
            }
            entry.timing = line;
            inEntry = true;
        } else if (line.empty()) {
            if (!entry.text.empty()) {
                return true;
            }
            inEntry = false;
        } else if (inEntry) {
            entry.text.emplace_back(line);
        }
    }
    return !entry.text.empty();
}
