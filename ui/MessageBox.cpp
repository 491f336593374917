#include "MessageBox.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

void ShowMessageBox(QWidget* parent, const std::string& text)
{
    const QString title = QStringLiteral("Varnuth");
    QMessageBox box(QMessageBox::NoIcon, title, QString::fromStdString(text), QMessageBox::Ok, parent);
    // File names and system texts are never markup.
    box.setTextFormat(Qt::PlainText);
    // A short text makes a box so narrow that the title bar cuts the caption; leave room for it and the title
    // bar's own buttons.
    constexpr int kTitleBarButtons = 160;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = box.fontMetrics().horizontalAdvance(title) * 2 + kTitleBarButtons;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    box.exec();
}
