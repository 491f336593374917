#pragma once

#include <cstddef>
#include <string>
#include <vector>

/// The command's arguments, the program's name first, as UTF-8 whatever the system passed.
[[nodiscard]] std::vector<std::string> CommandArguments(int argc, char** argv);

/// Makes standard output and error take UTF-8 bytes as they are, shown as Unicode text on a console.
void PrepareStandardStreams();

/// How many processors this process may run on; at least 1.
[[nodiscard]] unsigned UsableProcessors();

/// The width in columns of the terminal standard error goes to; 0 when it goes elsewhere.
[[nodiscard]] std::size_t StandardErrorColumns();

/// Whether \p name (UTF-8) leads to the very file standard output has open.
[[nodiscard]] bool IsStandardOutput(const std::string& name);

/// Keeps the memory one conversion frees for the next, instead of handing it back to the system and having it
/// cleared again for every source of a batch.
void KeepFreedMemory();

/// Makes an interrupt remove the run's temporary file before the command ends, and a closed pipe or a file-size
/// limit a failure.
void InstallInterruptCleanup();

/// For a batch: an interrupt removes the temporary files of every run in flight and ends the command, also once
/// other targets are in place, which stay.
void EndBatchOnInterrupt();
