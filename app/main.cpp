#include "CommandLine.h"
#include "CompactStyle.h"
#include "MessageBox.h"
#include "QtDialogHost.h"
#include "TargetFile.h"
#include "frmConvert.h"

#include <QApplication>
#include <QIcon>

namespace {

// The installed theme's icon, so that a theme may restyle it; the program's own where none is installed.
QIcon WindowIcon()
{
    QIcon own;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        own.addFile(QStringLiteral(":/icons/varnuth-%1.png").arg(size));
    }
    return QIcon::fromTheme(QStringLiteral("varnuth"), own);
}

} // namespace

int main(int argc, char* argv[])
{
    // Before any thread starts, so that every thread has the handlers.
    varnuth::CleanUpOnSignals(varnuth::PlacedOutput::EndsWithTheSignal);
    const bool styleAskedFor = StyleAskedFor(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnuth"));
    QApplication::setApplicationVersion(QStringLiteral(VARNUTH_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("varnuth"));
    QApplication::setWindowIcon(WindowIcon());
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
