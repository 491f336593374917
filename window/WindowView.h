#pragma once

#include "ConversionRequest.h"

#include <cstdint>
#include <string>

namespace varnuth {

/// The window's text boxes.
enum class Box { Source, Target, FontName, FontSize, MarginLeft, MarginRight, MarginBottom };

/// The Bold and Italic check boxes.
enum class StyleCheck { Bold, Italic };

/// The three colour rows: setting, swatch and button.
enum class ColourRow { Primary, Secondary, Tertiary };

/// The alignment options' values, SSA's numbers for them; kNoAlignment when none is selected.
inline constexpr int kNoAlignment = 0;
inline constexpr int kAlignLeft = 1;
inline constexpr int kAlignCentre = 2;
inline constexpr int kAlignRight = 3;

/// What the window's behaviour needs of a toolkit's controls: reading and writing their values, nothing more.
class WindowView {
public:
    virtual ~WindowView() = default;

    /// The box's text; a file name as the file system takes it (UTF-8 on Windows, a dropped name's own bytes).
    [[nodiscard]] virtual std::string Text(Box box) const = 0;
    virtual void SetText(Box box, const std::string& text) = 0;
    virtual void Focus(Box box) = 0;

    [[nodiscard]] virtual CheckState Check(StyleCheck check) const = 0;
    virtual void Tick(StyleCheck check) = 0;

    /// The selected alignment option's value, or kNoAlignment.
    [[nodiscard]] virtual int Alignment() const = 0;
    virtual void SelectAlignment(int alignment) = 0;

    /// The selected format option's index (the format table's optionIndex), or -1 when none is selected.
    [[nodiscard]] virtual int FormatOption() const = 0;

    /// Enables or disables the font, colour and margin frames, in that order, and whatever else only a styled
    /// format uses; the values inside them stay.
    virtual void EnableStyleFrames(bool enabled) = 0;

    /// Fills the row's swatch with \p colour (red + 256 * green + 65536 * blue).
    virtual void FillSwatch(ColourRow row, std::int32_t colour) = 0;
};

} // namespace varnuth
