#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>

void ShowMessageBox(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Varnuth"), QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // File names and system texts are never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
