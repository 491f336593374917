#pragma once

#include <QByteArray>
#include <QLineEdit>
#include <QStringList>

#include <string>

/// A file-name box that also takes a file dropped from the desktop, as its full local name.
class FileNameBox final : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    /// Takes files as a drop does: the first of \p fileNames, made a full name, replaces the whole text.
    void takeFiles(const QStringList& fileNames);

    /// The name as the file system takes it: the exact bytes of a dropped name while the text is unchanged, even
    /// where they are no UTF-8 and the text can only show them approximately.
    [[nodiscard]] std::string fileNameBytes() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QByteArray droppedBytes_;
    QString droppedText_;
};
