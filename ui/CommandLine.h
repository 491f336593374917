#pragma once

#include <QStringList>

/// The window program's own arguments, read after QApplication has taken Qt's: the source files named on it.
/// --help and --version print and end the program, as in every Qt program.
[[nodiscard]] QStringList SourceFilesOnCommandLine(const QStringList& arguments);
