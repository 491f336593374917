#include "FileNameBox.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

QString DroppedFileName(const QMimeData* data)
{
    const QList<QUrl> urls = data->urls();
    return !urls.isEmpty() && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

} // namespace

void FileNameBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedFileName(event->mimeData()).isEmpty()) {
        QLineEdit::dragEnterEvent(event);
    } else {
        event->acceptProposedAction();
    }
}

void FileNameBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (DroppedFileName(event->mimeData()).isEmpty()) {
        QLineEdit::dragMoveEvent(event);
    } else {
        event->acceptProposedAction();
    }
}

// A file replaces the whole name; dropped plain text is inserted as in any text box.
void FileNameBox::dropEvent(QDropEvent* event)
{
    const QString fileName = DroppedFileName(event->mimeData());
    if (fileName.isEmpty()) {
        QLineEdit::dropEvent(event);
        return;
    }
    setText(fileName);
    event->acceptProposedAction();
}
