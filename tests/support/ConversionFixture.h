#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace varnuth::test {

/// Converts sources held in memory, in a fresh folder, with the window's defaults.
class ConversionFixture : public testing::Test {
protected:
    RunOutcome Convert(OutputFormat format, std::string_view source)
    {
        WriteBytes(temp_.PathOf("source"), source);
        request_.format = format;
        return PerformConversion(request_, style_);
    }
    [[nodiscard]] std::string Target() const { return ReadBytes(temp_.PathOf("target")); }

    TempFolder temp_;
    StyleSettings style_ = DefaultStyle();
    ConversionRequest request_ = DefaultRequest(temp_.PathOf("source"), temp_.PathOf("target"), OutputFormat::SSA);
};

} // namespace varnuth::test
