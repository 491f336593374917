#pragma once

#include "ConversionRun.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varnuth::test {

/// A fresh folder under TMPDIR, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    [[nodiscard]] std::string PathOf(std::string_view name) const { return (path_ / name).string(); }
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

[[nodiscard]] std::string ReadBytes(const std::filesystem::path& path);
/// Makes \p path hold exactly \p bytes; aborts if it cannot.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

/// \p text as UTF-16 bytes after their byte-order mark.
[[nodiscard]] std::string Utf16(std::u16string_view text, bool bigEndian = false);
[[nodiscard]] std::string Repeated(std::string_view text, std::size_t times);
/// The lines of \p bytes split the plain, obviously correct way; a UTF-8 byte-order mark is no part of the first.
[[nodiscard]] std::vector<std::string> PlainLines(std::string_view bytes);

/// One entry of each source format, each giving one target line.
inline constexpr std::string_view kSubRipEntry = "1\r\n00:00:01,000 --> 00:00:04,000\r\nSome words of text\r\n\r\n";
inline constexpr std::string_view kSonicEntry = "0001  00:00:20:13  00:00:24:01  Some words of text\r\n\r\n";

/// Converts \p source into \p target with the window's defaults: centred, margins 10, 10 and 14.
[[nodiscard]] ConversionRequest DefaultRequest(std::string source, std::string target, OutputFormat format);
[[nodiscard]] StyleSettings DefaultStyle();
RunOutcome Convert(const std::filesystem::path& source, const std::filesystem::path& target, OutputFormat format);

} // namespace varnuth::test
