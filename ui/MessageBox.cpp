#include "MessageBox.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

constexpr int kLinesShownWhole = 20;

const QString kTitle = QStringLiteral("Varnuth");

// A short text makes a box so narrow that the title bar cuts the caption; leave room for it and the title bar's own
// buttons.
int TitleRoom(const QWidget& box)
{
    constexpr int kTitleBarButtons = 160;
    return box.fontMetrics().horizontalAdvance(kTitle) * 2 + kTitleBarButtons;
}

std::unique_ptr<QDialog> MakeShortBox(QWidget* parent, const QString& text)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, parent);
    // File names and system texts are never markup.
    box->setTextFormat(Qt::PlainText);
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(TitleRoom(*box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, grid->columnCount());
    }
    return box;
}

// The list below the first paragraph scrolls, as many lines as fit in the box's own height.
std::unique_ptr<QDialog> MakeListBox(QWidget* parent, const QString& text)
{
    const qsizetype paragraphEnd = text.indexOf(QStringLiteral("\n\n"));
    auto box = std::make_unique<QDialog>(parent);
    box->setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(box.get());
    auto* heading = new QLabel(text.left(paragraphEnd), box.get());
    heading->setTextFormat(Qt::PlainText);
    auto* list = new QPlainTextEdit(text.mid(paragraphEnd + 2), box.get());
    list->setObjectName(QStringLiteral("messageList"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setFixedHeight(list->fontMetrics().lineSpacing() * kLinesShownWhole);
    list->setMinimumWidth(TitleRoom(*box) * 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box.get());
    QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
    layout->addWidget(heading);
    layout->addWidget(list);
    layout->addWidget(buttons);
    return box;
}

} // namespace

std::unique_ptr<QDialog> MakeMessageBox(QWidget* parent, const std::string& text)
{
    const QString shown = QString::fromStdString(text);
    const bool list = shown.count(QLatin1Char('\n')) >= kLinesShownWhole && shown.contains(QStringLiteral("\n\n"));
    return list ? MakeListBox(parent, shown) : MakeShortBox(parent, shown);
}

void ShowMessageBox(QWidget* parent, const std::string& text)
{
    MakeMessageBox(parent, text)->exec();
}
