#pragma once
// Appending lines to the server's log files (the daily telegram CSV logs and the connection
// log). One process-wide lock covers every append, so lines written by concurrent contacts
// never interleave.
#include "Strings.h"

#include <functional>

// Appends text unchanged to the file at path, creating the file when missing and closing it
// again. A failed attempt is repeated at once, up to three attempts in all; the error of the
// third is raised.
void AppendLogFileText(const UnicodeString& path, const AnsiString& text);

// Test seam, for tests only: while set, each attempt calls writer instead of writing the file
// (still under the lock). An empty function restores the file writes.
using TLogFileWriter = std::function<void(const UnicodeString& path, const AnsiString& text)>;
void SetLogFileWriterForTests(TLogFileWriter writer);
