#pragma once
// The redirection of the process's system-colour calls to the skin's colours. For now it only
// remembers whether it is switched on; the calls themselves are not patched yet.

// Switches the redirection on or off (nothing happens when it is already so).
void SetSysColorsRedirected(bool on);
bool SysColorsRedirected();
