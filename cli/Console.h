#pragma once

#include <string>
#include <vector>

/// The command's arguments, the program's name first, as UTF-8 whatever the system passed.
[[nodiscard]] std::vector<std::string> CommandArguments(int argc, char** argv);

/// Makes standard output and error take UTF-8 bytes as they are, shown as Unicode text on a console.
void PrepareStandardStreams();

/// Makes an interrupt remove the run's temporary file before the command ends, and a closed pipe or a file-size
/// limit a failure.
void InstallInterruptCleanup();
