#pragma once
// The connection log file <shared documents>\VELMORA\W_MBUS_SRV_GWSETUPS\VerbindungsLog.txt:
// the text of the connection memo is appended to it before the memo is cleared, so that its
// lines outlive the memo. The file is only ever appended to.
#include "Strings.h"

// Full path of the connection log; the folder is built afresh from the shared documents folder.
UnicodeString ConnectionLogPath();

// Appends memoText (lines separated by CR LF, LF or CR; a last line break is optional) as its
// lines, each ended by CR LF, in the ANSI code page without a byte-order mark. Creates the
// folder (raising an error whose message is the folder path when that fails) and the file. A
// write is tried three times; the third failure is raised. Appends never interleave.
void AppendConnectionLog(const UnicodeString& memoText);
