#pragma once

#include <filesystem>

namespace obrin {

// The temporary files being written at this moment, kept where a signal
// handler can remove them: a killed save must not leave a hidden copy of a
// song behind. FileReplacement registers each temporary file it creates and
// unregisters it once it is renamed or removed.
//
// A program's registry is one table, shared with the libraries it loads as
// long as the program exports the table's symbol (see temporary_files.list);
// otherwise each library keeps its own, which no handler reads.

// Notes `path`; returns its slot, or -1 when the table is full or the path too
// long to keep (the file is then only removed by its writer).
[[nodiscard]] int RegisterTemporaryFile(const std::filesystem::path& path);
void UnregisterTemporaryFile(int slot);

// From now on SIGINT, SIGTERM and SIGHUP remove every registered temporary
// file and then end the process as the signal's default action would, so the
// parent still sees the signal as the cause. A signal the process was started
// with ignored (under nohup, SIGHUP) stays ignored. A handler installed later
// for one of them (a conversion that stops politely) takes precedence while
// it is installed.
void RemoveTemporaryFilesOnSignals();

}  // namespace obrin
