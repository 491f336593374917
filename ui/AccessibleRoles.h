#pragma once

#include <QWidget>

/// A container without a frame that a screen reader announces as the group of the controls inside it, by its
/// accessible name.
class ControlGroup final : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;
};

/// Gives the windows, the colour swatches, the preview's frame and the control groups the roles a screen reader
/// expects of them (a frame, an image and a panel) instead of Qt's "filler" for any plain widget. Call before any of
/// them is made.
void InstallAccessibleRoles();
