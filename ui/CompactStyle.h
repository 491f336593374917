#pragma once

#include <QProxyStyle>

/// Fusion with the narrow gap between an option or check box and its caption that the layout was drawn for.
class CompactStyle final : public QProxyStyle {
    Q_OBJECT

public:
    CompactStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

/// Makes the running application use CompactStyle; the application owns and deletes it.
void UseCompactStyle();

/// Whether the user chose a style with "-style NAME", "-style=NAME" (also with "--") or QT_STYLE_OVERRIDE.
/// Look before QApplication is made, which takes the option out of \p argv.
[[nodiscard]] bool StyleAskedFor(int argc, const char* const* argv);
