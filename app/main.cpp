#include "CompactStyle.h"
#include "MessageBox.h"
#include "QtDialogHost.h"
#include "frmConvert.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    const bool styleAskedFor = StyleAskedFor(argc, argv);
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("varnuth"));
    // The window's captions are sized for this style's indicators and gaps; a style the user names wins.
    if (!styleAskedFor) {
        UseCompactStyle();
    }
    frmConvert window(std::make_unique<QtDialogHost>(),
                      [&window](const std::string& text) { ShowMessageBox(&window, text); });
    window.show();
    return QApplication::exec();
}
