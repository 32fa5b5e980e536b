// A module that imports GetSysColor through its own import table, for the tests of the
// system-colour redirection: loaded after the redirection is switched on, it shows whether
// modules loaded later are reached.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD ProbeSysColor(int index) { return GetSysColor(index); }
