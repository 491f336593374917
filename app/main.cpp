#include "CommandLine.h"
#include "CompactStyle.h"
#include "MessageBox.h"
#include "QtDialogHost.h"
#include "TargetFile.h"
#include "frmConvert.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Before any thread starts, so that every thread has the handlers.
    varnuth::CleanUpOnSignals(varnuth::PlacedOutput::EndsWithTheSignal);
    const bool styleAskedFor = StyleAskedFor(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnuth"));
    QApplication::setApplicationVersion(QStringLiteral(VARNUTH_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("varnuth"));
    const QStringList sources = SourceFilesOnCommandLine(QApplication::arguments());
    // The window's captions are sized for this style's indicators and gaps; a style the user names wins.
    if (!styleAskedFor) {
        UseCompactStyle();
    }
    frmConvert window(std::make_unique<QtDialogHost>(),
                      [&window](const std::string& text) { ShowMessageBox(&window, text); });
    window.openSources(sources);
    window.show();
    return QApplication::exec();
}
