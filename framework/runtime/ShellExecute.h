#pragma once
// The one way the program asks the shell to open or run something: ShellExecuteW and
// ShellExecuteExW both go through one replaceable function, so tests can record the calls and
// nothing starts.
#include <windows.h>
#include <shellapi.h>

using TShellExecuteExProc = BOOL (*)(SHELLEXECUTEINFOW* info);

// ShellExecuteExW through the current entry.
BOOL acShellExecuteEx(SHELLEXECUTEINFOW* info);
// ShellExecuteW's contract (a result above 32 is success) over the same entry.
HINSTANCE acShellExecute(HWND wnd, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                         const wchar_t* directory, int show);

// Replaces the entry (null restores the platform's) and returns the previous one.
TShellExecuteExProc SetShellExecuteEntry(TShellExecuteExProc proc);
