#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

// Eight bytes of text tested at once in a 64-bit word, where a fixed shape is compared on every line.
namespace varnuth::words {

using Word = std::uint64_t;
inline constexpr Word kOnes = 0x0101010101010101U;
inline constexpr Word kHighBits = kOnes * 0x80U;
inline constexpr Word kLowBits = kOnes * 0x7FU;

/// The eight bytes at \p bytes, in the order of memory whatever the machine's byte order.
inline Word Load(const char* bytes) noexcept
{
    Word word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

/// The word Load gives for the first eight characters of \p text, for constants.
constexpr Word WordOf(std::string_view text)
{
    std::array<char, sizeof(Word)> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = text[i];
    }
    return std::bit_cast<Word>(bytes);
}

/// The high bit of every zero byte of \p word, exactly: no carry runs from one byte into the next.
constexpr Word ZeroBytes(Word word)
{
    return ~(((word & kLowBits) + kLowBits) | word | kLowBits);
}

/// The high bit of every byte of \p word that is \p c.
constexpr Word BytesEqualTo(Word word, char c)
{
    return ZeroBytes(word ^ (kOnes * static_cast<unsigned char>(c)));
}

/// Eight bytes of a fixed shape, where '0' stands for any digit, ',' for a comma or a point, and any other character
/// for itself.
class Shape {
public:
    constexpr explicit Shape(std::string_view shape)
    {
        std::array<char, sizeof(Word)> fold{};
        std::array<char, sizeof(Word)> expected{};
        std::array<char, sizeof(Word)> allowance{};
        for (std::size_t i = 0; i < expected.size(); ++i) {
            expected[i] = shape[i];
            if (shape[i] == '0') {
                allowance[i] = '9' - '0';
            } else if (shape[i] == ',') {
                static_assert((',' | ('.' ^ ',')) == '.');
                fold[i] = '.' ^ ',';
                expected[i] = '.';
            }
        }
        fold_ = std::bit_cast<Word>(fold);
        expected_ = std::bit_cast<Word>(expected);
        // Added to the low seven bits of a difference, 0x7F less the allowance sets the high bit exactly where the
        // difference exceeds the allowance, and never carries into the next byte.
        addend_ = kLowBits - std::bit_cast<Word>(allowance);
    }

    /// Whether \p word has the shape: each byte XOR the expected one is at most its allowance, which is 9 where a
    /// digit stands (the digits are '0' XOR 0 to 9) and 0 elsewhere.
    [[nodiscard]] constexpr bool Matches(Word word) const { return (Misfits(word) & kHighBits) == 0; }

    /// A word whose high bits, and only those, mark the bytes of \p word that do not fit; the misfits of several
    /// words ORed together are tested once.
    [[nodiscard]] constexpr Word Misfits(Word word) const
    {
        const Word difference = (word | fold_) ^ expected_;
        return ((difference & kLowBits) + addend_) | difference;
    }

private:
    Word fold_ = 0;
    Word expected_ = 0;
    Word addend_ = 0;
};

static_assert(Shape("00:00,00").Matches(WordOf("09:59.10")) && Shape("00:00,00").Matches(WordOf("12:34,56")));
static_assert(!Shape("00:00,00").Matches(WordOf("0::00,00")) && !Shape("00:00,00").Matches(WordOf("/0:00,00"))
              && !Shape("00:00,00").Matches(WordOf("00:00-00")) && !Shape("00:00,00").Matches(WordOf("00:00/00")));

} // namespace varnuth::words
