#pragma once

#include "ConversionRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace varnuth::test {

/// Each line followed by CR LF, the way every target line is written.
std::string CrLf(std::initializer_list<std::string_view> lines);

/// \p text as UTF-16 bytes after their byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian = false);

/// The lines a run did not convert, each as its number, ": " and why.
std::vector<std::string> Reported(const RunOutcome& outcome);

/// The whole file at \p path, as bytes.
std::string ReadBytes(const std::filesystem::path& path);

/// Makes \p path hold exactly \p bytes.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

/// A fresh folder per test, removed afterwards, with helpers to write and read whole files as bytes.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    [[nodiscard]] std::string PathOf(std::string_view name) const;
    void WriteFile(std::string_view name, std::string_view bytes) const;
    [[nodiscard]] std::string ReadFile(std::string_view name) const;

    std::filesystem::path folder_;
};

/// Runs conversions of a source held in memory, with the window's default style and margins.
class ConversionTest : public TempFolderTest {
protected:
    void SetUp() override;

    /// Writes \p source to "source", converts it to "target" and returns how the run ended.
    RunOutcome Convert(OutputFormat format, std::string_view source);
    [[nodiscard]] std::string Target() const { return ReadFile("target"); }

    StyleSettings style_;
    ConversionRequest request_;
};

} // namespace varnuth::test
