#include "FileNameBox.h"

#include <QDropEvent>
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
    event->acceptProposedAction();
}
