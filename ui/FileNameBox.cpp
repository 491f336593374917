#include "FileNameBox.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

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

void FileNameBox::takeFiles(const QStringList& fileNames)
{
    QStringList fullNames;
    for (const QString& name : fileNames) {
        fullNames << QFileInfo(name).absoluteFilePath();
    }
    if (fullNames.size() == 1) {
        setText(fullNames.front());
    } else if (!fullNames.isEmpty()) {
        setText(QLatin1Char('"') + fullNames.join(QStringLiteral("\" \"")) + QLatin1Char('"'));
    }
}

// A text that is not wholly a list of quoted names is one name, quotes and all.
QStringList FileNameBox::fileNames() const
{
    static const QRegularExpression list(QStringLiteral(R"re(^\s*(?:"[^"]+"\s*)+$)re"));
    static const QRegularExpression quoted(QStringLiteral(R"re("([^"]+)")re"));
    const QString content = text();
    if (!list.match(content).hasMatch()) {
        return content.isEmpty() ? QStringList() : QStringList{content};
    }
    QStringList names;
    for (const QRegularExpressionMatch& match : quoted.globalMatch(content)) {
        names << match.captured(1);
    }
    return names;
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
    event->acceptProposedAction();
    emit filesDropped(fileNames);
}
