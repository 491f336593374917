#pragma once

#include <QLineEdit>

/// A file-name box that also takes a file dropped from the desktop, as its full local name.
class FileNameBox final : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
