#pragma once

#include <QLineEdit>
#include <QStringList>

/// A file-name box that also takes a file dropped from the desktop, as its full local name.
class FileNameBox final : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    /// Takes files as a drop does: the first of \p fileNames, made a full name, replaces the whole text.
    void takeFiles(const QStringList& fileNames);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
