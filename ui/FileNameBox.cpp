#include "FileNameBox.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList DroppedFileNames(const QMimeData* data)
{
    QStringList fileNames;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            fileNames << url.toLocalFile();
        }
    }
    return fileNames;
}

} // namespace

void FileNameBox::takeFiles(const QStringList& fileNames)
{
    if (!fileNames.isEmpty()) {
        setText(QFileInfo(fileNames.front()).absoluteFilePath());
    }
}

std::string FileNameBox::fileNameBytes() const
{
    return (!droppedBytes_.isEmpty() && text() == droppedText_ ? droppedBytes_ : QFile::encodeName(text()))
        .toStdString();
}

void FileNameBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedFileNames(event->mimeData()).isEmpty()) {
        QLineEdit::dragEnterEvent(event);
    } else {
        event->acceptProposedAction();
    }
}

void FileNameBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (DroppedFileNames(event->mimeData()).isEmpty()) {
        QLineEdit::dragMoveEvent(event);
    } else {
        event->acceptProposedAction();
    }
}

// Files replace the whole name; dropped plain text is inserted as in any text box.
void FileNameBox::dropEvent(QDropEvent* event)
{
    const QStringList fileNames = DroppedFileNames(event->mimeData());
    if (fileNames.isEmpty()) {
        QLineEdit::dropEvent(event);
        return;
    }
    takeFiles(fileNames);
    // A file URL holds the name's bytes percent-encoded; toLocalFile() would take them for UTF-8.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            droppedBytes_ = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
            droppedText_ = text();
            break;
        }
    }
    event->acceptProposedAction();
}
