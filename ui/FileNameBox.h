#pragma once

#include <QByteArray>
#include <QLineEdit>
#include <QStringList>

#include <string>

class QMimeData;

/// A file-name box that also takes files dropped from the desktop, as their full local names.
class FileNameBox final : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    /// Takes files as a drop does: one full name replaces the whole text, several stand as a list.
    void takeFiles(const QStringList& fileNames);

    /// The names the box holds: those of a list, each in double quotes as Qt's own file dialogs write them
    /// ("ep01.srt" "ep02.srt"), or else the whole text as one name, unchanged. None when it is empty.
    [[nodiscard]] QStringList fileNames() const;

    /// The name as the file system takes it: the exact bytes of a dropped name while the text is unchanged, even
    /// where they are no UTF-8 and the text can only show them approximately.
    [[nodiscard]] std::string fileNameBytes() const;

signals:
    /// Files were dropped on the box; the window decides where they go.
    void filesDropped(const QStringList& fileNames);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QByteArray droppedBytes_;
    QString droppedText_;
};

/// The local files among what a drag carries.
[[nodiscard]] QStringList DroppedFileNames(const QMimeData* data);
