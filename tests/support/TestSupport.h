#pragma once

#include "ConversionRun.h"

#include <filesystem>
#include <initializer_list>
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

/// Each line followed by CR LF, the way every target line is written.
[[nodiscard]] std::string CrLf(std::initializer_list<std::string_view> lines);
/// \p text as UTF-16 bytes after their byte-order mark.
[[nodiscard]] std::string Utf16(std::u16string_view text, bool bigEndian = false);
[[nodiscard]] std::string Repeated(std::string_view text, std::size_t times);
/// The lines of \p bytes split the plain, obviously correct way; a UTF-8 byte-order mark is no part of the first.
[[nodiscard]] std::vector<std::string> PlainLines(std::string_view bytes);

/// SubRip and Sonic sources of about \p bytes bytes, each entry giving at least one target line.
[[nodiscard]] std::string SubRipSource(std::size_t bytes);
[[nodiscard]] std::string SonicSource(std::size_t bytes);

/// A request with the window's defaults: centred, margins 10, 10 and 14.
[[nodiscard]] ConversionRequest DefaultRequest(std::string source, std::string target, OutputFormat format);
/// The window's default style record.
[[nodiscard]] StyleSettings DefaultStyle();

/// The lines a run did not convert, each as its number, ": " and why.
[[nodiscard]] std::vector<std::string> Reported(const RunOutcome& outcome);

} // namespace varnuth::test
