#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

QStringList SourceFilesOnCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts SubRip files to SSA scripts, and Sonic listings to SON or STL scripts."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("source files, as if dropped on the window"),
                                 QStringLiteral("[FILE...]"));
    parser.process(arguments);
    return parser.positionalArguments();
}
