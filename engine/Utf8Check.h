#pragma once

#include <string_view>

namespace varnuth {

/// Checks that text is UTF-8, a buffer at a time: a character may be split between two.
class Utf8Check {
public:
    /// Takes the next bytes of the text.
    void Feed(std::string_view bytes)
    {
        for (const char c : bytes) {
            if (!valid_) {
                return;
            }
            Take(static_cast<unsigned char>(c));
        }
    }

    /// Whether the bytes so far are UTF-8, perhaps ending inside a character.
    [[nodiscard]] bool ValidSoFar() const noexcept { return valid_; }
    /// Whether the bytes so far are UTF-8 that ends with a whole character.
    [[nodiscard]] bool Valid() const noexcept { return valid_ && continuations_ == 0; }

private:
    void Take(unsigned char byte)
    {
        constexpr unsigned char kContinuationFirst = 0x80;
        constexpr unsigned char kContinuationEnd = 0xC0;
        if (continuations_ > 0) {
            valid_ = byte >= low_ && byte <= high_;
            low_ = kContinuationFirst;
            high_ = kContinuationEnd - 1;
            --continuations_;
            return;
        }
        if (byte < kContinuationFirst) {
            return;
        }
        // The first continuation's range excludes overlong forms, surrogates and values past U+10FFFF.
        struct Lead {
            unsigned char first, last, continuations, low, high;
        };
        static constexpr Lead kLeads[] = {{0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF},
                                          {0xE1, 0xEC, 2, 0x80, 0xBF}, {0xED, 0xED, 2, 0x80, 0x9F},
                                          {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
                                          {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F}};
        for (const Lead& lead : kLeads) {
            if (byte >= lead.first && byte <= lead.last) {
                continuations_ = lead.continuations;
                low_ = lead.low;
                high_ = lead.high;
                return;
            }
        }
        valid_ = false;
    }

    bool valid_ = true;
    int continuations_ = 0;
    unsigned char low_ = 0;
    unsigned char high_ = 0;
};

} // namespace varnuth
