#include "FileNameBox.h"

#include <QDropEvent>
#include <QFile>
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
    event->acceptProposedAction();
    emit filesDropped(fileNames);
    // A file URL holds the name's bytes percent-encoded; toLocalFile() would take them for UTF-8. Kept for a single
    // name taken by this box.
    const QList<QUrl> urls = event->mimeData()->urls();
    if (fileNames.size() == 1 && urls.size() == 1 && urls.front().isLocalFile()) {
        droppedBytes_ = QByteArray::fromPercentEncoding(urls.front().path(QUrl::FullyEncoded).toLatin1());
        droppedText_ = text();
    }
}
