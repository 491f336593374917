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

/// \p word with every digit made '0', so that it compares with a shape written with '0' for any digit. The seven low
/// bits of each byte are added apart, so no carry crosses bytes; a byte with its high bit set is no digit.
constexpr Word DigitsAsZeros(Word word)
{
    const Word low = word & kLowBits;
    const Word atLeastZero = low + kOnes * (0x80U - '0');
    const Word aboveNine = low + kOnes * (0x80U - '9' - 1);
    const Word digits = atLeastZero & ~aboveNine & ~word & kHighBits;
    const Word digitBytes = (digits >> 7U) * 0xFFU;
    return (word & ~digitBytes) | (kOnes * '0' & digitBytes);
}

static_assert(DigitsAsZeros(WordOf("09:/;a5~")) == WordOf("00:/;a0~"));

} // namespace varnuth::words
