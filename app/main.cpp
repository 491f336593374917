#include "CompactStyle.h"
#include "MessageBox.h"
#include "QtDialogHost.h"
#include "frmConvert.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The window's captions are sized for this style's indicators and gaps.
    UseCompactStyle();
    frmConvert window(std::make_unique<QtDialogHost>(), ShowMessageBox);
    window.show();
    return QApplication::exec();
}
