// Windows has no detector, and decodes with its own code pages: an iconv name is mapped to one.

#include "SourceEncoding.h"

#include "RunError.h"
#include "SourceDecoder.h"
#include "SystemFiles.h"
#include "Utf8Check.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <vector>

namespace varnuth {
namespace {

// Names glibc's iconv accepts too, so that a command line works on both; numbered ones follow a prefix.
struct NamedCodePage {
    std::string_view name;
    UINT codePage;
};
constexpr NamedCodePage kNames[] = {{"utf-8", CP_UTF8}, {"utf8", CP_UTF8},    {"tis-620", 874},  {"shift_jis", 932},
                                    {"shift-jis", 932}, {"sjis", 932},        {"ms_kanji", 932}, {"windows-31j", 932},
                                    {"gbk", 936},       {"gb2312", 936},      {"uhc", 949},      {"euc-kr", 949},
                                    {"big5", 950},      {"big-5", 950},       {"koi8-r", 20866}, {"koi8r", 20866},
                                    {"koi8-u", 21866},  {"macintosh", 10000}, {"mac", 10000},    {"latin1", 28591},
                                    {"latin2", 28592},  {"latin5", 28599},    {"latin9", 28605}};

constexpr UINT kWindowsPages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
constexpr UINT kDosPages[] = {437, 850, 866};
constexpr UINT kAsianPages[] = {932, 936, 949, 950};

struct NumberedCodePages {
    std::string_view prefix;
    std::span<const UINT> pages;
};

// ISO-8859-N is code page 28590 + N, but for the two past 9.
constexpr UINT kIsoBase = 28590;
constexpr UINT kIsoParts[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 15};
constexpr UINT kIso13 = 28603;
constexpr UINT kIso15 = 28605;

std::string Lowercase(std::string_view text)
{
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

std::optional<UINT> NumberAfter(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix) || name.size() == prefix.size()) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(prefix.size());
    UINT number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return error == std::errc() && end == digits.data() + digits.size() ? std::optional(number) : std::nullopt;
}

std::optional<UINT> CodePageOf(std::string_view encoding)
{
    const std::string name = Lowercase(encoding);
    for (const NamedCodePage& named : kNames) {
        if (name == named.name) {
            return named.codePage;
        }
    }
    const NumberedCodePages numbered[] = {
        {"cp", kWindowsPages}, {"cp", kDosPages}, {"cp", kAsianPages}, {"windows-", kWindowsPages}, {"ibm", kDosPages}};
    for (const auto& [prefix, pages] : numbered) {
        const std::optional<UINT> number = NumberAfter(name, prefix);
        if (number && std::ranges::find(pages, *number) != pages.end()) {
            return number;
        }
    }
    for (const std::string_view prefix : {"iso-8859-", "iso_8859-", "iso8859-", "iso8859"}) {
        const std::optional<UINT> part = NumberAfter(name, prefix);
        if (part && std::ranges::find(kIsoParts, *part) != std::end(kIsoParts)) {
            constexpr UINT kLastPlain = 9;
            return *part <= kLastPlain ? kIsoBase + *part : *part == 13 ? kIso13 : kIso15;
        }
    }
    return std::nullopt;
}

// What Utf8Recoder holds: the code page, and how many bytes a character starting with each byte takes.
struct Decoding {
    UINT codePage = 0;
    std::array<unsigned char, 256> lengths{};
    // At most this many UTF-8 bytes for each byte of a character.
    std::size_t utf8PerByte = 3;

    explicit Decoding(UINT page) : codePage(page)
    {
        lengths.fill(1);
        if (page == CP_UTF8) {
            // A lead byte tells the length; a byte that can start no character is one, and fails.
            constexpr unsigned twoFirst = 0xC2, threeFirst = 0xE0, fourFirst = 0xF0, fourEnd = 0xF5;
            std::fill(lengths.begin() + twoFirst, lengths.begin() + threeFirst, 2);
            std::fill(lengths.begin() + threeFirst, lengths.begin() + fourFirst, 3);
            std::fill(lengths.begin() + fourFirst, lengths.begin() + fourEnd, 4);
            utf8PerByte = 1;
            return;
        }
        CPINFO info{};
        if (::GetCPInfo(page, &info) == 0) {
            return;
        }
        for (std::size_t range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
            std::fill(lengths.begin() + info.LeadByte[range], lengths.begin() + info.LeadByte[range + 1] + 1, 2);
        }
    }

    [[nodiscard]] std::size_t LengthAt(const char* at) const { return lengths[static_cast<unsigned char>(*at)]; }

    [[nodiscard]] bool Decodes(const char* in, std::size_t size) const
    {
        return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, static_cast<int>(size), nullptr, 0) > 0;
    }

    // The first of the \p size bytes at \p in, whole characters, that starts no character of the code page.
    [[nodiscard]] std::size_t FirstInvalid(const char* in, std::size_t size) const
    {
        std::size_t at = 0;
        while (at < size && Decodes(in + at, LengthAt(in + at))) {
            at += LengthAt(in + at);
        }
        return at;
    }
};

// What a user who cannot name the encoding, such as one of the window, can do.
constexpr std::string_view kUndetected =
    ": it is neither UTF-8 nor UTF-16, and Windows cannot tell its encoding. Save it as UTF-8 (in Notepad: Save as, "
    "Encoding UTF-8), or name its encoding to varnuth-convert with --encoding, such as --encoding cp1251";

} // namespace

const bool kDetectsEncodings = false;

std::string DetectSourceEncoding(const std::string& name)
{
    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };
    const std::unique_ptr<std::FILE, FileCloser> file(OpenSourceFile(name));
    // The decoder sets a byte-order mark aside, and sees UTF-16 as the conversion will.
    SourceDecoder decoder(name);
    Utf8Check utf8;
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    std::vector<char> buffer(kChunk);
    while (const std::size_t read = decoder.Read(file.get(), buffer)) {
        if (decoder.HadByteOrderMark() || decoder.ReadsUtf16()) {
            return {};
        }
        utf8.Feed({buffer.data(), read});
        if (!utf8.ValidSoFar()) {
            throw RunError(static_cast<int>(std::errc::illegal_byte_sequence),
                           SourceContext(name) + std::string(kUndetected));
        }
    }
    // UTF-8 to its last character, which the source ends inside: the decoding names that byte.
    return utf8.Valid() ? std::string() : "UTF-8";
}

bool IsKnownEncoding(const std::string& encoding)
{
    const std::optional<UINT> codePage = CodePageOf(encoding);
    return codePage && ::IsValidCodePage(*codePage) != 0;
}

Utf8Recoder::Utf8Recoder(const std::string& encoding) : handle_(nullptr)
{
    if (!IsKnownEncoding(encoding)) {
        throw RunError(static_cast<int>(std::errc::invalid_argument), "Unknown encoding \"" + encoding + "\"");
    }
    handle_ = new Decoding(*CodePageOf(encoding));
}

Utf8Recoder::~Utf8Recoder()
{
    delete static_cast<Decoding*>(handle_);
}

Utf8Recoder::Result Utf8Recoder::Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft)
{
    const Decoding& decoding = *static_cast<const Decoding*>(handle_);
    constexpr std::size_t kWideUnits = 4096;
    std::array<wchar_t, kWideUnits> wide{};
    while (inLeft > 0) {
        // Whole characters only, no more than the wide buffer holds (a byte gives at most one unit) and no more than
        // the output has room for.
        std::size_t take = 0;
        bool incomplete = false;
        while (take < inLeft) {
            const std::size_t length = decoding.LengthAt(in + take);
            incomplete = take + length > inLeft;
            if (incomplete || take + length > wide.size() || (take + length) * decoding.utf8PerByte > outLeft) {
                break;
            }
            take += length;
        }
        if (take == 0) {
            return incomplete ? Result::Incomplete : Result::OutputFull;
        }
        const std::size_t valid = decoding.Decodes(in, take) ? take : decoding.FirstInvalid(in, take);
        if (valid > 0) {
            const int units = ::MultiByteToWideChar(decoding.codePage, 0, in, static_cast<int>(valid), wide.data(),
                                                    static_cast<int>(wide.size()));
            const int bytes =
                ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out, static_cast<int>(outLeft), nullptr, nullptr);
            in += valid;
            inLeft -= valid;
            out += bytes;
            outLeft -= static_cast<std::size_t>(bytes);
        }
        if (valid < take) {
            return Result::Invalid;
        }
    }
    return Result::Done;
}

} // namespace varnuth
